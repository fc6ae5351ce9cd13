#include "files/settings_store.h"

#include <charconv>
#include <cstddef>

#include "files/atomic_file.h"

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

}  // namespace

void IniFile::Parse(std::string_view text) {
  m_lines.clear();
  while (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // byte-order marks
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
  return out;
}

bool IniFile::Load(const std::string& path) {
  const std::optional<std::string> content = ReadRegularFile(path);
  if (!content) return false;
  Parse(*content);
  return true;
}

bool IniFile::Save(const std::string& path) const {
  return WriteRegularFileAtomically(path, Serialise());
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
  bool inSection = false;
  for (const auto& line : m_lines) {
    if (const auto name = SectionName(line)) {
      inSection = EqualsNoCase(*name, section);
      continue;
    }
    if (!inSection) continue;
    const auto keyLine = SplitKeyLine(line);
    if (keyLine && EqualsNoCase(keyLine->key, key)) return std::string(keyLine->value);
  }
  return std::nullopt;
}

long IniFile::ReadInteger(std::string_view section, std::string_view key, long defaultValue) const {
  const std::optional<std::string> text = Get(section, key);
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
