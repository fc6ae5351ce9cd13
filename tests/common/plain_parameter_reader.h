#pragma once
// A reader of parameter files written from the file format alone, sharing no code with the
// program: the set as another program that follows the format takes it from a file. Words
// longer than `longestWord` are cut into pieces of that length, as a reader into a fixed
// buffer does; 0 takes words whole.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm17::test {

// Image bytes 50..99 as the file sets them; nullopt when no key with 26 is found.
inline std::optional<std::array<std::uint8_t, 50>> PlainReadParameterBlock(
    std::string_view content, std::size_t longestWord = 0) {
  std::vector<std::string> words;
  std::string word;
  const auto flush = [&] {
    if (!word.empty()) words.push_back(word);
    word.clear();
  };
  for (const char c : content) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f') {
      flush();
    } else {
      word += c;
      if (longestWord != 0 && word.size() == longestWord) flush();
    }
  }
  flush();
  const auto number = [](const std::string& w) -> std::optional<unsigned long> {
    if (w.empty() || w.size() > 9 || w.find_first_not_of("0123456789") != std::string::npos)
      return std::nullopt;
    return std::strtoul(w.c_str(), nullptr, 10);
  };
  std::size_t i = 0;
  for (;; ++i) {
    if (i + 1 >= words.size()) return std::nullopt;
    if (words[i] == "KORVALEX_KEY" && number(words[i + 1]) == 26ul) break;
  }
  struct Keyword {
    const char* name;
    std::vector<int> bytes;
    bool rpm;
  };
  const Keyword keywords[] = {
      {"RPM_ADV", {60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74}, true},
      {"ADVANCE", {80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94}, false},
      {"POCET_BODU", {50}, false},
      {"BASE_ADV", {51}, false},
      {"LIMITER", {56, 52, 57}, false},
      {"POLARITA", {55}, false},
      {"GEBER_NR", {58}, false},
      {"PILOT_LIGHT", {59}, true}};
  std::array<std::uint8_t, 50> block{};
  for (i += 2; i < words.size(); ++i) {
    for (const Keyword& keyword : keywords) {
      if (words[i] != keyword.name) continue;
      for (const int byte : keyword.bytes) {
        if (i + 1 >= words.size()) break;
        const std::optional<unsigned long> value = number(words[++i]);
        if (value)
          block[byte - 50] = static_cast<std::uint8_t>(keyword.rpm ? *value / 100 : *value);
      }
    }
  }
  return block;
}

}  // namespace qm17::test
