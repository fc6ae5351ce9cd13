// "qm17ctl ports": the device each Com number names and the serial adapters plugged in, as the
// window's Com menu dialog shows them.

#include <ostream>
#include <string>
#include <vector>

#include "commands.h"
#include "console.h"
#include "device/serial_adapters.h"
#include "files/config_paths.h"
#include "files/settings_store.h"
#include "params/com_port.h"
#include "texts/printable.h"
#include "texts/texts.h"

namespace qm17::ctl {
namespace {

void PrintAdapterJson(std::ostream& out, const SerialAdapter& a) {
  out << "{\"device\": " << JsonString(a.device)
      << ", \"stable_name\": " << JsonString(a.stableName)
      << ", \"manufacturer\": " << JsonString(a.manufacturer)
      << ", \"product\": " << JsonString(a.product) << ", \"vendor_id\": " << JsonString(a.vendorId)
      << ", \"product_id\": " << JsonString(a.productId) << ", \"serial\": " << JsonString(a.serial)
      << "}";
}

int RunPorts(const CommandContext& context, const std::vector<std::string>& args);

const Command kPorts{"ports", "[--json]",
                     "list the serial adapters plugged in and the device of each Com number",
                     "A Com number names the device its [PORTS] entry gives (else\n"
                     "/dev/ttyUSB0 for 1 ... on Linux, COM1 ... on Windows); assign an adapter by\n"
                     "writing its name there (on Linux its by-id name), as the window's Com menu\n"
                     "does. On Linux --port also takes a by-id name alone.\n",
                     RunPorts};

int RunPorts(const CommandContext& context, const std::vector<std::string>& args) {
  bool json = false;
  for (const std::string& arg : args) {
    if (arg != "--json") return UsageError(context, kPorts, "unexpected argument " + arg);
    json = true;
  }
  IniFile settings;
  settings.Load(SettingsFilePath());
  const std::vector<SerialAdapter> adapters = ListSerialAdapters();
  std::ostream& out = context.out;
  if (json) {
    out << "{\"ports\": [";
    for (const ComPort port : ComPort::All()) {
      const int n = port.Number();
      const std::string device = ComPortDevicePath(n, settings);
      const SerialAdapter* adapter = FindAdapter(adapters, device);
      out << (n > ComPort::kFirst ? ", " : "") << "{\"com\": " << n
          << ", \"device\": " << JsonString(device)
          << ", \"present\": " << (DevicePresent(device, adapters) ? "true" : "false")
          << ", \"adapter\": " << (adapter != nullptr ? JsonString(adapter->device) : "null")
          << "}";
    }
    out << "], \"adapters\": [";
    for (std::size_t i = 0; i < adapters.size(); ++i) {
      if (i > 0) out << ", ";
      PrintAdapterJson(out, adapters[i]);
    }
    out << "]}\n";
  } else {
    for (const ComPort port : ComPort::All()) {
      const std::string device = ComPortDevicePath(port.Number(), settings);
      const SerialAdapter* adapter = FindAdapter(adapters, device);
      std::string head = "Com " + std::to_string(port.Number());
      head.resize(8, ' ');
      out << head << Printable(device);
      if (adapter != nullptr) out << "  " << Printable(adapter->Description());
      out << '\n';
    }
    out << '\n' << PortText(context.language, PortTextId::AdaptersLabel) << '\n';
    if (adapters.empty()) out << "  " << PortText(context.language, PortTextId::NoAdapters) << '\n';
    for (const SerialAdapter& a : adapters) {
      out << "  " << Printable(a.device);
      if (!a.stableName.empty()) out << "  " << Printable(a.stableName);
      if (const std::string text = a.Description(); !text.empty()) out << "  " << Printable(text);
      out << '\n';
    }
  }
  return OutputWritten(context) ? kExitOk : kExitFailure;
}

const Command kPortCommands[] = {kPorts};

}  // namespace

std::span<const Command> PortCommands() {
  return kPortCommands;
}

}  // namespace qm17::ctl
