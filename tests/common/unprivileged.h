#pragma once
// Runs a check as a user who may not write everywhere: as root, in a child process that has
// dropped to "nobody" (root would pass any permission check); otherwise right here.

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qm17::test {

template <typename Check>
bool AsUnprivilegedUser(const Check& check) {
  if (::geteuid() != 0) return check();
  const pid_t child = ::fork();
  if (child == 0) {
    const bool ok =
        ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0 && check();
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

}  // namespace qm17::test
