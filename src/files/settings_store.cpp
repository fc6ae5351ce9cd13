#include "files/settings_store.h"

#include <algorithm>
#include <charconv>
#include <cstddef>

#include "files/atomic_file.h"
#include "files/text_words.h"

namespace qm17 {

namespace {

std::string_view Trim(std::string_view s) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// The name of a "[section]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
  line = Trim(line);
  return !line.empty() && (line.front() == ';' || line.front() == '#');
}

struct KeyLine {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyLine> SplitKeyLine(std::string_view line) {
  if (IsComment(line) || SectionName(line)) return std::nullopt;
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  const std::string_view key = Trim(line.substr(0, eq));
  if (key.empty()) return std::nullopt;
  return KeyLine{key, Trim(line.substr(eq + 1))};
}

// A line break in a value would end the line early and let the rest of the value pose as
// further keys or sections in the file, so a value is kept only up to its first line break.
std::string_view SingleLine(std::string_view value) {
  return value.substr(0, value.find_first_of("\r\n"));
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-16 without its mark into UTF-8; false when it is broken (an odd byte, a lone surrogate:
// each reads as U+FFFD).
bool Utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string& out) {
  const auto unit = [&](std::size_t i) -> char32_t {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    return bigEndian ? (first << 8 | second) : (second << 8 | first);
  };
  bool wellFormed = bytes.size() % 2 == 0;
  const std::size_t units = bytes.size() / 2;
  for (std::size_t i = 0; i < units; ++i) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(++i) - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
      wellFormed = false;
    }
    AppendUtf8(out, c);
  }
  if (!wellFormed && bytes.size() % 2 != 0) AppendUtf8(out, 0xFFFD);
  return wellFormed;
}

// Empty when the text holds bytes that are not UTF-8, which UTF-16 cannot carry.
std::optional<std::string> Utf8ToUtf16(std::string_view text, bool bigEndian) {
  std::string out;
  out.reserve(2 * text.size() + 2);
  const auto put = [&](char32_t unit) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  };
  put(0xFEFF);
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8SequenceLength(text, i);
    if (length == 0) return std::nullopt;
    char32_t c = static_cast<unsigned char>(text[i]) & (length == 1 ? 0x7F : 0x7F >> length);
    for (std::size_t k = 1; k < length; ++k)
      c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += length;
    if (c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
  }
  return out;
}

}  // namespace

void IniFile::Parse(std::string_view text) {
  m_lines.clear();
  m_encoding = Encoding::Utf8;
  m_faithful = true;
  std::string decoded;
  if (text.substr(0, 2) == kUtf16LeMark || text.substr(0, 2) == kUtf16BeMark) {
    m_encoding = text.substr(0, 2) == kUtf16LeMark ? Encoding::Utf16Le : Encoding::Utf16Be;
    m_faithful = Utf16ToUtf8(text.substr(2), m_encoding == Encoding::Utf16Be, decoded);
    text = decoded;
  } else if (text.substr(0, 3) == kUtf8Mark) {
    m_encoding = Encoding::Utf8WithMark;
  } else if (text.find('\0') != std::string_view::npos) {
    m_faithful = false;  // most likely UTF-16 without its mark: ASCII written into it breaks it
  }
  while (text.substr(0, 3) == kUtf8Mark) text.remove_prefix(3);
  // Counted first: growing line by line moves every line again and again in a long file.
  m_lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    m_lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

std::string IniFile::Serialise() const {
  std::string out;
  for (const auto& line : m_lines) {
    out += line;
    out += "\r\n";
  }
  if (m_encoding == Encoding::Utf16Le || m_encoding == Encoding::Utf16Be) {
    // A value kept as bytes that are not UTF-8 (a Latin-1 file name) has no UTF-16 form; the
    // file then goes out as marked UTF-8, which keeps those bytes and every other setting.
    if (auto wide = Utf8ToUtf16(out, m_encoding == Encoding::Utf16Be)) return std::move(*wide);
    return std::string(kUtf8Mark) + out;
  }
  return m_encoding == Encoding::Utf8WithMark ? std::string(kUtf8Mark) + out : out;
}

bool IniFile::Load(const std::string& path) {
  const std::optional<std::string> content = ReadRegularFile(path);
  if (!content) return false;
  Parse(*content);
  return m_faithful;
}

bool IniFile::Save(const std::string& path) const {
  return WriteRegularFileAtomically(path, Serialise());
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
  return GetMany(section, std::span<const std::string_view>(&key, 1)).front();
}

std::vector<std::optional<std::string>> IniFile::GetMany(
    std::string_view section, std::span<const std::string_view> keys) const {
  std::vector<std::optional<std::string>> values(keys.size());
  bool inSection = false;
  for (const auto& line : m_lines) {
    if (const auto name = SectionName(line)) {
      inSection = EqualsNoCase(*name, section);
      continue;
    }
    if (!inSection) continue;
    const auto keyLine = SplitKeyLine(line);
    if (!keyLine) continue;
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (!values[i] && EqualsNoCase(keyLine->key, keys[i]))
        values[i] = std::string(keyLine->value);
    }
  }
  return values;
}

long IniFile::ReadInteger(std::string_view section, std::string_view key, long defaultValue) const {
  return IntegerOr(Get(section, key), defaultValue);
}

long IniFile::IntegerOr(const std::optional<std::string>& text, long defaultValue) {
  if (!text || text->empty()) return defaultValue;
  const char* first = text->data();
  const char* last = first + text->size();
  if (*first == '+') ++first;  // from_chars takes '-' but not '+'
  long value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc{} || end != last || first == last) return defaultValue;
  return value;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                const std::string& defaultValue) const {
  return Get(section, key).value_or(defaultValue);
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  key = SingleLine(key);
  value = SingleLine(value);
  std::optional<std::size_t> sectionLine;
  std::size_t insertAt = 0;  // just after the section's last non-blank line
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    const std::string& line = m_lines[i];
    if (const auto name = SectionName(line)) {
      if (sectionLine) break;  // end of the section
      if (EqualsNoCase(*name, section)) {
        sectionLine = i;
        insertAt = i + 1;
      }
      continue;
    }
    if (!sectionLine) continue;
    if (const auto keyLine = SplitKeyLine(line); keyLine && EqualsNoCase(keyLine->key, key)) {
      // The stored spelling of the key stays, so that rewriting a value changes only it.
      m_lines[i] = std::string(keyLine->key) + "=" + std::string(value);
      return;
    }
    if (!Trim(line).empty()) insertAt = i + 1;
  }
  std::string newLine = std::string(key) + "=" + std::string(value);
  if (!sectionLine) {
    // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) about "[" + std::string.
    std::string header(1, '[');
    header.append(section).append(1, ']');
    m_lines.push_back(std::move(header));
    m_lines.push_back(std::move(newLine));
    return;
  }
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(newLine));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, long value) {
  WriteString(section, key, std::to_string(value));
}

}  // namespace qm17
