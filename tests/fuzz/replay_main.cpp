// Runs a fuzz target's entry point once on every file of the folders (or files) named on the
// command line, so that the seed corpus and every input that once found a fault run in CTest
// without clang. Files are taken in name order; names starting with '.' are skipped.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "fuzz_support.h"

namespace fs = std::filesystem;

namespace {

bool ReplayFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
  // A fresh copy of exactly the file's size, so that AddressSanitizer sees a read past its end.
  std::vector<std::uint8_t> input(bytes.begin(), bytes.end());
  auto* data = input.empty() ? nullptr : input.data();
  LLVMFuzzerTestOneInput(data, input.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t replayed = 0;
  for (int a = 1; a < argc; ++a) {
    const fs::path root(argv[a]);
    std::error_code error;
    if (fs::is_regular_file(root, error)) {
      if (!ReplayFile(root)) return 1;
      ++replayed;
      continue;
    }
    if (!fs::is_directory(root, error)) continue;  // a target may have no regressions yet
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(root, error)) {
      if (entry.is_regular_file() && entry.path().filename().string().front() != '.') {
        files.push_back(entry.path());
      }
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
      if (!ReplayFile(file)) return 1;
      ++replayed;
    }
  }
  std::printf("replayed %zu inputs\n", replayed);
  // An empty run means the folders were not found: that must not pass as a clean replay.
  return replayed > 0 ? 0 : 1;
}
