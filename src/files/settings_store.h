#pragma once
// An INI file that keeps what it does not know: keys matched without regard to case, values
// kept verbatim, other sections, unknown keys and comments preserved on rewrite. A file saved
// as UTF-16 or with a UTF-8 byte-order mark (as Windows Notepad saves) is read as text and
// written back in the same form.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm17 {

class IniFile {
 public:
  // Parses text; never fails (lines that mean nothing are kept as they are).
  void Parse(std::string_view text);
  std::string Serialise() const;  // CR LF line ends, in the encoding the text came in
  // False when the file cannot be read, or is not text that can be written back as it came
  // (broken UTF-16, or NUL bytes as in UTF-16 without a byte-order mark); what could be made
  // of such a file is still read.
  bool Load(const std::string& path);
  bool Save(const std::string& path) const;  // atomic; false when nothing could be written

  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // The first value of each of `keys` in `section`, as Get finds it, in one pass over the file
  // (Get reads it all for each key, and a file may hold thousands of keys).
  std::vector<std::optional<std::string>> GetMany(std::string_view section,
                                                  std::span<const std::string_view> keys) const;
  // A value as ReadInteger takes it.
  static long IntegerOr(const std::optional<std::string>& text, long defaultValue);
  // A value that is not a decimal integer reads as the default.
  long ReadInteger(std::string_view section, std::string_view key, long defaultValue) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         const std::string& defaultValue) const;
  // New keys are appended to their section in the order written.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, long value);

 private:
  enum class Encoding : std::uint8_t { Utf8, Utf8WithMark, Utf16Le, Utf16Be };
  struct Line {
    std::size_t begin = 0;  // in m_text
    std::size_t size = 0;   // without the line end
  };
  void Take(std::string text);
  std::string_view LineText(const Line& line) const;
  Line Append(std::string_view text);  // a line's new text, kept at the end of m_text

  std::string m_text;         // UTF-8, or bytes as they stood; rewritten lines appended
  std::vector<Line> m_lines;  // in file order
  Encoding m_encoding = Encoding::Utf8;
  bool m_faithful = true;  // the text can be written back as it was read
};

inline constexpr const char* kSettingsSection = "FORM_HLAV";
inline constexpr const char* kSettingsFileName = "Tarvex.ini";
inline constexpr const char* kImageSideFileName = "_Tarvex.ini";

}  // namespace qm17
