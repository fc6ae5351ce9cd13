#include "files/history.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <system_error>

#include "files/atomic_file.h"
#include "files/file_names.h"
#include "files/parameter_file.h"
#include "files/text_words.h"

namespace qm17 {

namespace {

constexpr std::string_view kMarker = "qm17-history";
constexpr std::string_view kSuffix = ".ign";
constexpr std::size_t kStampLength = 23;  // "20261209T030405.123456Z"
constexpr char kHex[] = "0123456789abcdef";

// Nothing a word reader could split on, nothing outside ASCII, and no '_': every keyword but
// three has one, and the key itself does, so not even a reader that cuts long words into
// pieces can find the key in a value.
std::string Encode(std::string_view value) {
  std::string out;
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F || c == '%' || c == '_') {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Decode(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '%' && i + 2 < value.size() && HexDigit(value[i + 1]) >= 0 &&
        HexDigit(value[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(value[i + 1]) * 16 + HexDigit(value[i + 2]));
      i += 2;
    } else {
      out += value[i];
    }
  }
  return out;
}

struct Stamp {
  std::string name;   // "20261209T030405.123456Z"
  std::string saved;  // "2026-12-09T03:04:05.123456Z"
};

Stamp StampOf(std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  // The calendar of the standard library: the same on every system, and before 1970 as after.
  const auto micros = floor<microseconds>(when);
  const auto day = floor<days>(micros);
  const year_month_day date{day};
  const hh_mm_ss time{micros - day};
  const int yearNumber = static_cast<int>(date.year());
  const unsigned month = static_cast<unsigned>(date.month());
  const unsigned dayOfMonth = static_cast<unsigned>(date.day());
  const long hour = static_cast<long>(time.hours().count());
  const long minute = static_cast<long>(time.minutes().count());
  const long second = static_cast<long>(time.seconds().count());
  const long fraction = static_cast<long>(time.subseconds().count());
  char name[64];
  char saved[64];
  std::snprintf(name, sizeof name, "%04d%02u%02uT%02ld%02ld%02ld.%06ldZ", yearNumber, month,
                dayOfMonth, hour, minute, second, fraction);
  std::snprintf(saved, sizeof saved, "%04d-%02u-%02uT%02ld:%02ld:%02ld.%06ldZ", yearNumber, month,
                dayOfMonth, hour, minute, second, fraction);
  return {name, saved};
}

bool IsHistoryName(std::string_view name) {
  if (name.size() <= kStampLength + 1 + kSuffix.size()) return false;
  for (std::size_t i = 0; i < kStampLength; ++i) {
    const char expected = i == 8 ? 'T' : i == 15 ? '.' : i == 22 ? 'Z' : '0';
    const bool ok = expected == '0' ? (name[i] >= '0' && name[i] <= '9') : name[i] == expected;
    if (!ok) return false;
  }
  if (name[kStampLength] != '-' || name.substr(name.size() - kSuffix.size()) != kSuffix) {
    return false;
  }
  const std::string_view operation =
      name.substr(kStampLength + 1, name.size() - kStampLength - 1 - kSuffix.size());
  return std::all_of(operation.begin(), operation.end(),
                     [](char c) { return c >= 'a' && c <= 'z'; });
}

}  // namespace

std::string WriteHistoryFile(const HistoryEntry& entry) {
  std::string out;
  const auto line = [&out](std::string_view name, std::string_view value) {
    out += std::string(name) + "=" + Encode(value) + "\r\n";
  };
  line(kMarker, "1");
  line("saved-at", entry.savedAt);
  line("operation", entry.operation);
  line("unit-version", entry.unitVersion);
  line("unit-date", entry.unitDate);
  line("unit-time", entry.unitTime);
  if (entry.programCount) line("program-count", std::to_string(*entry.programCount));
  line("file", entry.file);
  std::string hex;
  for (const std::uint8_t byte : entry.image) {
    hex += kHex[byte >> 4];
    hex += kHex[byte & 0x0F];
  }
  line("image", hex);
  out += "\r\n";
  return out + WriteParameterFile(entry.image, entry.note);
}

std::optional<HistoryEntry> ReadHistoryFile(std::string_view content) {
  HistoryEntry entry;
  SetDefaultImage(entry.image);
  WordReader reader(content);
  for (std::string_view word = reader.Next(); !word.empty() && word != "KORVALEX_KEY";
       word = reader.Next()) {
    const std::size_t equals = word.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view name = word.substr(0, equals);
    const std::string value = Decode(word.substr(equals + 1));
    if (name == "saved-at") entry.savedAt = value;
    if (name == "operation") entry.operation = value;
    if (name == "unit-version") entry.unitVersion = value;
    if (name == "unit-date") entry.unitDate = value;
    if (name == "unit-time") entry.unitTime = value;
    if (name == "file") entry.file = value;
    if (name == "program-count") {
      const std::optional<DecimalWord> count = ParseDecimalWord(value);
      if (count && count->fitsExactly && count->value <= 0xFFFF) {
        entry.programCount = static_cast<std::uint16_t>(count->value);
      }
    }
    if (name == "image" && value.size() == 2 * kImageSize &&
        std::all_of(value.begin(), value.end(), [](char c) { return HexDigit(c) >= 0; })) {
      for (std::size_t i = 0; i < kImageSize; ++i) {
        entry.image[i] =
            static_cast<std::uint8_t>(HexDigit(value[2 * i]) * 16 + HexDigit(value[2 * i + 1]));
      }
    }
  }
  if (!ReadParameterFile(content, entry.image)) return std::nullopt;
  entry.note = ReadParameterNote(content);
  return entry;
}

std::string KeepInHistory(const std::string& folder, HistoryEntry entry,
                          std::chrono::system_clock::time_point now, std::size_t limit) {
  if (entry.operation.empty() || !std::all_of(entry.operation.begin(), entry.operation.end(),
                                              [](char c) { return c >= 'a' && c <= 'z'; })) {
    return {};
  }
  const std::filesystem::path where = PathFromUtf8(folder);
  std::error_code error;
  std::filesystem::create_directories(where, error);
  if (!std::filesystem::is_directory(where, error)) return {};
  // A name already taken (two writers in the same microsecond) moves on by a microsecond, so
  // names still sort by time.
  std::string path;
  for (int attempt = 0; attempt < 1000 && path.empty(); ++attempt) {
    const Stamp stamp = StampOf(now + std::chrono::microseconds(attempt));
    // Claiming the name keeps any other writer, this program's or another's, off it.
    const std::string candidate =
        Utf8FromPath(where / PathFromUtf8(stamp.name + "-" + entry.operation + ".ign"));
    if (CreateNewFile(candidate)) {
      path = candidate;
      entry.savedAt = stamp.saved;
    }
  }
  if (path.empty()) return {};
  if (!WriteFileAtomically(path, WriteHistoryFile(entry))) {
    std::filesystem::remove(PathFromUtf8(path), error);
    return {};
  }
  // The entry just written always stays, even where a clock that ran ahead left later names
  // behind: the oldest of the others make room for it.
  std::size_t others = limit > 0 ? limit - 1 : 0;
  for (const std::string& kept : ListHistory(folder)) {
    if (kept == path) continue;
    if (others > 0) {
      --others;
    } else {
      std::filesystem::remove(PathFromUtf8(kept), error);
    }
  }
  return path;
}

std::vector<std::string> ListHistory(const std::string& folder) {
  const std::filesystem::path where = PathFromUtf8(folder);
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(where, error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = Utf8FromPath(it->path().filename());
    if (IsHistoryName(name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), std::greater<>());
  std::vector<std::string> paths;
  paths.reserve(names.size());
  for (const std::string& name : names) {
    paths.push_back(Utf8FromPath(where / PathFromUtf8(name)));
  }
  return paths;
}

}  // namespace qm17
