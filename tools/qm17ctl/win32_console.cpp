#include <windows.h>
// After windows.h, which it needs.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "console.h"
#include "device/win32_port_names.h"

namespace qm17::ctl {
namespace {

std::atomic<bool> g_stop{false};
HANDLE g_stopped = nullptr;  // set once the command has stopped and closed its port
UINT g_consoleCodePage = 0;

std::string ToUtf8(const wchar_t* text) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string bytes(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
  bytes.pop_back();  // the terminating zero
  return bytes;
}

void RestoreCodePage() {
  if (g_consoleCodePage != 0) ::SetConsoleOutputCP(g_consoleCodePage);
}

// Runs on a thread that Windows starts for the event. When the console window closes, the
// process ends as soon as this returns, so it waits (Windows allows about five seconds) until
// the command has stopped.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  g_stop = true;
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && g_stopped != nullptr)
    ::WaitForSingleObject(g_stopped, 4000);
  return TRUE;
}

}  // namespace

const char kPortWords[] = "the port is a number 1..10, COMn or \\\\.\\COMn";

std::vector<std::string> Utf8Arguments(int, char**) {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(ToUtf8(wide[i]));
  ::LocalFree(wide);
  return args;
}

void PrepareConsole() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  const UINT current = ::GetConsoleOutputCP();
  if (current != 0 && current != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
    g_consoleCodePage = current;
    std::atexit(RestoreCodePage);
  }
}

StopRequests::StopRequests() {
  g_stop = false;
  g_stopped = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

StopRequests::~StopRequests() {
  ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  if (g_stopped != nullptr) ::SetEvent(g_stopped);
}

bool StopRequested() {
  return g_stop;
}

std::optional<std::string> PortDeviceName(const std::string& port) {
  static const std::string kDeviceNamespace = "\\\\.\\";
  const bool prefixed = port.starts_with(kDeviceNamespace);
  const std::string name = prefixed ? port.substr(kDeviceNamespace.size()) : port;
  if (ComPortNumberOf(name) <= 0) return std::nullopt;
  return prefixed ? port : name;
}

bool DevicePresent(const std::string& device, const std::vector<SerialAdapter>& adapters) {
  const auto number = [](const std::string& name) {
    const std::size_t slash = name.rfind('\\');
    return ComPortNumberOf(slash == std::string::npos ? name : name.substr(slash + 1));
  };
  const int wanted = number(device);
  for (const SerialAdapter& adapter : adapters) {
    if (adapter.device == device || (wanted > 0 && number(adapter.device) == wanted)) return true;
  }
  return false;
}

}  // namespace qm17::ctl
