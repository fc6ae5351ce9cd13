#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/run_program.h"

namespace qm17::test {

const char kNullDevice[] = "/dev/null";

int RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
               const std::filesystem::path& input, const std::filesystem::path& output,
               const std::filesystem::path& errors) {
  std::filesystem::path path = program;
  if (!program.has_parent_path()) {
    std::error_code error;
    path = std::filesystem::read_symlink("/proc/self/exe", error).parent_path() / program;
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = ::open(input.c_str(), O_RDONLY);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<char*> argv;
    std::string name = path.string();
    argv.push_back(name.data());
    std::vector<std::string> copies = args;
    for (auto& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ::execv(name.c_str(), argv.data());
    ::_exit(127);
  }
  if (pid < 0) return -1;
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace qm17::test
