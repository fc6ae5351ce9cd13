#pragma once
// Word-by-word reading of the program's text files: words are runs of characters other than
// white space, and a number is a word made only of decimal digits.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qm17 {

class WordReader {
 public:
  explicit WordReader(std::string_view text) : m_text(text) {}

  // The next word without consuming it; empty at the end of the text.
  std::string_view Peek() const;
  std::string_view Next();
  bool AtEnd() const { return Peek().empty(); }

 private:
  std::size_t WordStart() const;
  std::string_view m_text;
  std::size_t m_pos = 0;
};

// The value of an unsigned decimal word of any length, reduced modulo 65536 so that no
// length can overflow; also whether the exact value is `expected`. Empty when the word holds
// anything but digits (a sign included).
struct DecimalWord {
  std::uint16_t mod65536;
  std::uint32_t value;  // the exact value when fitsExactly
  bool fitsExactly;

  bool Equals(std::uint32_t expected) const { return fitsExactly && value == expected; }
};
std::optional<DecimalWord> ParseDecimalWord(std::string_view word);

// The length of the well-formed UTF-8 sequence that starts at `pos`; 0 when none starts there
// (a Latin-1 or Windows-1250 byte, a cut or overlong sequence, an encoded surrogate).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos);

}  // namespace qm17
