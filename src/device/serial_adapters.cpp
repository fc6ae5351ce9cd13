#include "device/serial_adapters.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace qm17 {
namespace fs = std::filesystem;

namespace {

// UTF-8 names stay intact on every system.
fs::path PathOf(const std::string& name) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(name.data()), name.size()));
}

}  // namespace

std::string SerialAdapter::Description() const {
  std::string text = manufacturer;
  if (!product.empty()) text += (text.empty() ? "" : " ") + product;
  std::string ids;
  if (!vendorId.empty() || !productId.empty()) ids = vendorId + ":" + productId;
  if (!serial.empty()) ids += (ids.empty() ? "serial " : ", serial ") + serial;
  if (!ids.empty()) text += (text.empty() ? "(" : " (") + ids + ")";
  return text;
}

const SerialAdapter* FindAdapter(const std::vector<SerialAdapter>& adapters,
                                 const std::string& path) {
  std::error_code error;
  const fs::path resolved = fs::weakly_canonical(PathOf(path), error);
  for (const SerialAdapter& adapter : adapters) {
    if (path == adapter.device || path == adapter.stableName) return &adapter;
    if (!error && resolved == PathOf(adapter.device)) return &adapter;
  }
  return nullptr;
}

}  // namespace qm17
