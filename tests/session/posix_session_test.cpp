#include <gtest/gtest.h>

#include "common/pseudo_terminal.h"
#include "session_rig.h"

namespace qm17 {
namespace {

using namespace test_session;

TEST(Session, ALostPseudoTerminalIsTriedAgainOnlyThroughALinkMadeAnew) {
  // A pseudo-terminal's number may belong to someone else's terminal by now: only a link to it
  // made anew is opened again.
  test::PseudoTerminal terminal(true);
  ASSERT_FALSE(terminal.slavePath().empty());
  Rig pty;
  const std::string link = pty.folder.File("sim");
  fs::create_symlink(terminal.slavePath(), link);
  WriteFile(pty.places.settingsFile, "[PORTS]\nCOM1=" + link + "\n");
  pty.session.Start({"qm17"});
  pty.line.Vanish();
  pty.Ticks(100);
  EXPECT_EQ(pty.line.Opens(), 1);
  fs::create_symlink(terminal.slavePath(), link + ".new");
  fs::rename(link + ".new", link);
  pty.Ticks(18);
  EXPECT_EQ(pty.line.Opens(), 2);
  EXPECT_TRUE(pty.line.IsOpen());
}

}  // namespace
}  // namespace qm17
