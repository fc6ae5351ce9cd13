#pragma once
// Text from outside (file and device names, a unit's or an adapter's own strings) on its way
// to a terminal, a dialog or a JSON reader.

#include <cstddef>
#include <string>
#include <string_view>

namespace qm17 {

// Every control character (C0, DEL, C1 as a raw byte or as UTF-8) and every byte that is not
// part of valid UTF-8 shows as '?', so that none can start a terminal's escape sequence.
// Letters of any language pass unchanged.
std::string Printable(std::string_view text);

// A JSON string, quotes included, that is valid JSON whatever the bytes: controls are escaped,
// and a byte that is not part of valid UTF-8 becomes \u00XX of that byte (read as Latin-1, as
// an old file name would mean it).
std::string JsonString(std::string_view text);

// At most `limit` characters (code points): a longer text keeps its start and its end with
// "…" between, as device paths are told in messages and dialogs.
inline constexpr std::size_t kShownNameLimit = 80;
std::string ShortenedMiddle(std::string_view text, std::size_t limit = kShownNameLimit);

}  // namespace qm17
