#include "texts/printable.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace qm17 {

namespace {

// The length of the valid UTF-8 sequence at the start of `text` and its code point; a length
// of 0 when the first byte starts none (overlong forms and surrogates included).
std::size_t Utf8Sequence(std::string_view text, char32_t& code) {
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char first = byte(0);
  if (first < 0x80) {
    code = first;
    return 1;
  }
  std::size_t length = 0;
  char32_t min = 0;
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2, min = 0x80, code = first & 0x1F;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3, min = 0x800, code = first & 0x0F;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4, min = 0x10000, code = first & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i) & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

bool IsControl(char32_t code) {
  return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

// Calls `piece(bytes, code, valid)` for each character or stray byte of `text`.
template <typename Piece>
void ForEachCharacter(std::string_view text, Piece piece) {
  while (!text.empty()) {
    char32_t code = 0;
    const std::size_t length = Utf8Sequence(text, code);
    const std::size_t taken = length == 0 ? 1 : length;
    piece(text.substr(0, taken), code, length != 0);
    text.remove_prefix(taken);
  }
}

}  // namespace

std::string Printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  ForEachCharacter(text, [&out](std::string_view bytes, char32_t code, bool valid) {
    if (valid && !IsControl(code)) {
      out += bytes;
    } else {
      out += '?';
    }
  });
  return out;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  ForEachCharacter(text, [&out](std::string_view bytes, char32_t code, bool valid) {
    if (!valid || IsControl(code)) {
      const unsigned value =
          valid ? static_cast<unsigned>(code) : static_cast<unsigned char>(bytes[0]);
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", value);
      out += escaped;
    } else {
      if (code == '"' || code == '\\') out += '\\';
      out += bytes;
    }
  });
  return out + "\"";
}

std::string ShortenedMiddle(std::string_view text, std::size_t limit) {
  std::size_t count = 0;
  ForEachCharacter(text, [&count](std::string_view, char32_t, bool) { ++count; });
  if (count <= limit || limit < 3) return std::string(text);
  const std::size_t head = (limit - 1) / 2;
  const std::size_t tailStart = count - (limit - 1 - head);
  std::string out;
  std::size_t index = 0;
  ForEachCharacter(text, [&](std::string_view bytes, char32_t, bool) {
    if (index < head || index >= tailStart) out += bytes;
    if (++index == head) out += "…";
  });
  return out;
}

}  // namespace qm17
