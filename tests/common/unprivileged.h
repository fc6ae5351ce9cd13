#pragma once
// Runs a check as a user who may not write everywhere: as root (who passes every permission
// check) in a child process dropped to "nobody", otherwise right here.

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qm17::test {

template <typename Check>
bool AsUnprivilegedUser(const Check& check) {
  if (::geteuid() != 0) return check();
  const pid_t child = ::fork();
  if (child == 0)
    ::_exit(::setgroups(0, nullptr) || ::setgid(65534) || ::setuid(65534) || !check());
  int status = 0;
  return ::waitpid(child, &status, 0) == child && status == 0;
}

}  // namespace qm17::test
