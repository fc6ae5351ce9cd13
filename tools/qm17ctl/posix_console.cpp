#include <unistd.h>

#include <csignal>

#include "console.h"

namespace qm17::ctl {
namespace {

volatile std::sig_atomic_t g_stop = 0;
struct sigaction g_oldInt {};
struct sigaction g_oldTerm {};

extern "C" void OnStopSignal(int) {
  g_stop = 1;
}

}  // namespace

const char kPortWords[] = "the port is a number 1..10 or a device path";

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void PrepareConsole() {}

StopRequests::StopRequests() {
  g_stop = 0;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &g_oldInt);
  sigaction(SIGTERM, &action, &g_oldTerm);
}

StopRequests::~StopRequests() {
  sigaction(SIGINT, &g_oldInt, nullptr);
  sigaction(SIGTERM, &g_oldTerm, nullptr);
}

bool StopRequested() {
  return g_stop != 0;
}

// A bare name that udev lists under /dev/serial/by-id is that link; anything else is a path.
std::optional<std::string> PortDeviceName(const std::string& port) {
  const std::string byId = "/dev/serial/by-id/" + port;
  if (port.find('/') == std::string::npos && ::access(port.c_str(), F_OK) != 0 &&
      ::access(byId.c_str(), F_OK) == 0)
    return byId;
  return port;
}

bool DevicePresent(const std::string& device, const std::vector<SerialAdapter>&) {
  return ::access(device.c_str(), F_OK) == 0;
}

}  // namespace qm17::ctl
