#pragma once
// Shared by the fuzz targets. A broken rule calls abort(), which both libFuzzer and the plain
// replayer (built by GCC for CTest) report as a failure, with the rule's text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#define FUZZ_REQUIRE(condition) \
  ((condition) ? static_cast<void>(0) : ::qm17::fuzz::Fail(#condition, __FILE__, __LINE__))

namespace qm17::fuzz {

[[noreturn]] inline void Fail(const char* rule, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: rule broken: %s\n", file, line, rule);
  std::abort();
}

// Reads an input byte by byte; past the end every byte reads as 0, so that a script cut short
// still means something.
class ByteScript {
 public:
  ByteScript(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  bool AtEnd() const { return m_pos >= m_size; }
  std::uint8_t Next() { return m_pos < m_size ? m_data[m_pos++] : 0; }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_pos = 0;
};

// The next part of `text` up to a zero byte (which is consumed), or the rest of it.
inline std::string_view TakePart(std::string_view& text) {
  const std::size_t end = text.find('\0');
  const std::string_view part = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  return part;
}

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
inline bool IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    std::uint32_t least = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, code = lead & 0x1Fu, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, code = lead & 0x0Fu, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, code = lead & 0x07u, least = 0x10000;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3Fu);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

}  // namespace qm17::fuzz

// The entry point every target defines; libFuzzer or replay_main.cpp calls it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
