#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "app/console_output.h"

namespace qm17 {
namespace {

UINT g_codePage = 0;

void RestoreCodePage() {
  ::SetConsoleOutputCP(g_codePage);
}

}  // namespace

void UseStartingConsole() {
  // Output already redirected (to a file or a pipe) stays where it goes.
  const auto redirected = [](DWORD which) {
    const HANDLE handle = ::GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
  };
  const bool out = redirected(STD_OUTPUT_HANDLE), err = redirected(STD_ERROR_HANDLE);
  if ((out && err) || !::AttachConsole(ATTACH_PARENT_PROCESS)) return;
  [[maybe_unused]] std::FILE* reopened = nullptr;
  if (!out) reopened = std::freopen("CONOUT$", "w", stdout);
  if (!err) reopened = std::freopen("CONOUT$", "w", stderr);
  // The help texts are UTF-8; the prompt gets its own code page back when the program ends.
  g_codePage = ::GetConsoleOutputCP();
  if (g_codePage != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) std::atexit(RestoreCodePage);
}

}  // namespace qm17
