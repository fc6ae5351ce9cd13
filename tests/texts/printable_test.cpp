#include "texts/printable.h"

#include <gtest/gtest.h>

#include <string>

namespace qm17 {
namespace {

// ESC, BEL, DEL and C1 (raw, or as UTF-8 like U+009B, the one-byte CSI) never reach a
// terminal; a stray byte is no character either; letters of any language pass.
TEST(Printable, NoControlReachesATerminalAndJsonStaysValid) {
  const std::string hostile =
      "a\x1b]0;x\x07"
      "b\x7f"
      "c\x9b"
      "2J"
      "d\xc2\x9b"
      "e\xe9"
      "f";
  EXPECT_EQ(Printable(hostile), "a?]0;x?b?c?2Jd?e?f");
  EXPECT_EQ(Printable("Jiří Čáp, Größe, 日本"), "Jiří Čáp, Größe, 日本");
  // Cut or overlong sequences and surrogates are stray bytes.
  EXPECT_EQ(Printable("\xe2\x82"
                      "A\xc0\xaf\xed\xa0\x80"),
            "??A?????");

  EXPECT_EQ(JsonString(hostile), "\"a\\u001b]0;x\\u0007b\\u007fc\\u009b2Jd\\u009be\\u00e9f\"");
  EXPECT_EQ(JsonString("\"C:\\x\" ř"), "\"\\\"C:\\\\x\\\" ř\"");
}

TEST(ShortenedMiddle, KeepsStartAndEndOfALongName) {
  EXPECT_EQ(ShortenedMiddle("/dev/ttyUSB0"), "/dev/ttyUSB0");
  const std::string shortened = ShortenedMiddle("/dev/" + std::string(1000000, 'x') + "/tty");
  EXPECT_EQ(shortened, "/dev/" + std::string(34, 'x') + "…" + std::string(36, 'x') + "/tty");
  // Counted in characters: a letter of two bytes is never cut in half.
  EXPECT_EQ(ShortenedMiddle("ččččččč", 5), "čč…čč");
}

}  // namespace
}  // namespace qm17
