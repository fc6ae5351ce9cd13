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

struct KeyLine {
  std::string_view key;
  std::string_view value;  // untrimmed: trimmed only where it is taken
};

// Trims once and looks at the first character: a file may hold thousands of lines, and each
// lookup passes over all of them.
std::optional<KeyLine> SplitKeyLine(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  line.remove_prefix(first);
  if (line.front() == ';' || line.front() == '#') return std::nullopt;
  if (line.front() == '[' && SectionName(line)) return std::nullopt;
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  const std::string_view key = Trim(line.substr(0, eq));
  if (key.empty()) return std::nullopt;
  return KeyLine{key, line.substr(eq + 1)};
}

// A "[section]" line's name, looked for only where the line starts with '[' after blanks, so
// that the lines of other sections cost a glance.
std::optional<std::string_view> SectionOf(std::string_view line) {
  for (const char c : line) {
    if (c == '[') return SectionName(line);
    if (c != ' ' && c != '\t') return std::nullopt;
  }
  return std::nullopt;
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

std::string_view IniFile::LineText(const Line& line) const {
  return std::string_view(m_text).substr(line.begin, line.size);
}

IniFile::Line IniFile::Append(std::string_view text) {
  const Line line{m_text.size(), text.size()};
  m_text += text;
  return line;
}

void IniFile::Parse(std::string_view text) {
  Take(std::string(text));
}

// The text is kept whole and the lines are spans of it: a file may hold thousands of lines, and
// a string each would cost an allocation each to read and to free.
void IniFile::Take(std::string text) {
  m_lines.clear();
  m_encoding = Encoding::Utf8;
  m_faithful = true;
  const std::string_view head = std::string_view(text).substr(0, 3);
  if (head.substr(0, 2) == kUtf16LeMark || head.substr(0, 2) == kUtf16BeMark) {
    m_encoding = head.substr(0, 2) == kUtf16LeMark ? Encoding::Utf16Le : Encoding::Utf16Be;
    std::string decoded;
    m_faithful =
        Utf16ToUtf8(std::string_view(text).substr(2), m_encoding == Encoding::Utf16Be, decoded);
    text = std::move(decoded);
  } else if (head == kUtf8Mark) {
    m_encoding = Encoding::Utf8WithMark;
  } else if (text.find('\0') != std::string::npos) {
    m_faithful = false;  // most likely UTF-16 without its mark: ASCII written into it breaks it
  }
  m_text = std::move(text);
  std::size_t begin = 0;
  while (std::string_view(m_text).substr(begin, 3) == kUtf8Mark) begin += 3;
  const std::string_view all = m_text;
  for (; begin < all.size();) {
    const std::size_t end = std::min(all.find('\n', begin), all.size());
    std::size_t size = end - begin;
    if (size > 0 && all[end - 1] == '\r') --size;
    m_lines.push_back({begin, size});
    begin = end + 1;
  }
}

std::string IniFile::Serialise() const {
  std::string out;
  out.reserve(m_text.size() + 2 * m_lines.size());
  for (const Line& line : m_lines) {
    out += LineText(line);
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
  std::optional<std::string> content = ReadRegularFile(path);
  if (!content) return false;
  Take(std::move(*content));
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
  // The lengths of the keys asked for, so that most other keys are passed over at a glance.
  std::uint64_t lengths = 0;
  for (const std::string_view key : keys) lengths |= key.size() < 64 ? 1ULL << key.size() : 0;
  const auto mayBeAsked = [lengths](std::string_view key) {
    return key.size() >= 64 || (lengths >> key.size() & 1U) != 0;
  };
  bool inSection = false;
  for (const Line& at : m_lines) {
    const std::string_view line = LineText(at);
    if (const auto name = SectionOf(line)) {
      inSection = EqualsNoCase(*name, section);
      continue;
    }
    if (!inSection) continue;
    const auto keyLine = SplitKeyLine(line);
    if (!keyLine || !mayBeAsked(keyLine->key)) continue;
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (!values[i] && EqualsNoCase(keyLine->key, keys[i]))
        values[i] = std::string(Trim(keyLine->value));
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
    const std::string_view line = LineText(m_lines[i]);
    if (const auto name = SectionOf(line)) {
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
      const std::string rewritten = std::string(keyLine->key) + "=" + std::string(value);
      m_lines[i] = Append(rewritten);  // after taking the key: appending may move the text
      return;
    }
    if (!Trim(line).empty()) insertAt = i + 1;
  }
  std::string newLine = std::string(key) + "=" + std::string(value);
  if (!sectionLine) {
    // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) about "[" + std::string.
    std::string header(1, '[');
    header.append(section).append(1, ']');
    m_lines.push_back(Append(header));
    m_lines.push_back(Append(newLine));
    return;
  }
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), Append(newLine));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, long value) {
  WriteString(section, key, std::to_string(value));
}

}  // namespace qm17
