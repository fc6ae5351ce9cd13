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

}  // namespace qm17
