#include <windows.h>

#include "common/run_program.h"

namespace qm17::test {
namespace {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int size =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

// One argument as CommandLineToArgvW (and the C runtime) reads it back: quoted when it holds
// blanks or quotes or is empty, a quote escaped by a backslash, backslashes doubled only
// before a quote.
std::wstring Quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

HANDLE OpenInherited(const std::filesystem::path& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::filesystem::path ThisProgramsFolder() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length < name.size()) {
      name.resize(length);
      return std::filesystem::path(name).parent_path();
    }
    name.resize(name.size() * 2);
  }
}

}  // namespace

const char kNullDevice[] = "NUL";

int RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
               const std::filesystem::path& input, const std::filesystem::path& output,
               const std::filesystem::path& errors) {
  const std::filesystem::path path =
      program.has_parent_path() ? program : ThisProgramsFolder() / program;
  std::wstring commandLine = Quoted(path.wstring());
  for (const std::string& arg : args) commandLine += L" " + Quoted(Wide(arg));

  const HANDLE in = OpenInherited(input, false);
  const HANDLE out = OpenInherited(output, true);
  const HANDLE err = OpenInherited(errors, true);
  int status = -1;
  if (in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    if (::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                         nullptr, &startup, &process)) {
      DWORD code = 0;
      if (::WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
          ::GetExitCodeProcess(process.hProcess, &code))
        status = static_cast<int>(code);
      ::CloseHandle(process.hThread);
      ::CloseHandle(process.hProcess);
    }
  }
  for (const HANDLE handle : {in, out, err}) {
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
  return status;
}

}  // namespace qm17::test
