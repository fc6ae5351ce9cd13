#include "files/text_words.h"

namespace qm17 {

namespace {
// The C locale's white space, as formatted stream input skips it.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
}  // namespace

std::size_t WordReader::WordStart() const {
  std::size_t pos = m_pos;
  while (pos < m_text.size() && IsSpace(m_text[pos])) ++pos;
  return pos;
}

std::string_view WordReader::Peek() const {
  const std::size_t start = WordStart();
  std::size_t end = start;
  while (end < m_text.size() && !IsSpace(m_text[end])) ++end;
  return m_text.substr(start, end - start);
}

std::string_view WordReader::Next() {
  const std::size_t start = WordStart();
  std::size_t end = start;
  while (end < m_text.size() && !IsSpace(m_text[end])) ++end;
  m_pos = end;
  return m_text.substr(start, end - start);
}

std::optional<DecimalWord> ParseDecimalWord(std::string_view word) {
  if (word.empty()) return std::nullopt;
  DecimalWord result{0, 0, true};
  for (const char c : word) {
    if (c < '0' || c > '9') return std::nullopt;
    const unsigned digit = static_cast<unsigned>(c - '0');
    result.mod65536 = static_cast<std::uint16_t>((result.mod65536 * 10u + digit) & 0xFFFFu);
    if (result.fitsExactly) {
      const std::uint64_t next = std::uint64_t{result.value} * 10u + digit;
      if (next > 0xFFFFFFFFu) {
        result.fitsExactly = false;
      } else {
        result.value = static_cast<std::uint32_t>(next);
      }
    }
  }
  return result;
}

std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) {
    return pos + i < text.size() ? static_cast<unsigned char>(text[pos + i]) : 0u;
  };
  if (pos >= text.size()) return 0;
  const unsigned lead = byte(0);
  if (lead < 0x80) return 1;
  // The range of the second byte narrows for E0, ED, F0 and F4; every later byte is 80..BF.
  std::size_t length = 0;
  unsigned low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace qm17
