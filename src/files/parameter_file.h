#pragma once
// ".ign" parameter files: ten text lines holding the parameter block (never the
// identification block or the reserved bytes).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "params/device_image.h"
#include "params/differences.h"

namespace qm17 {

inline constexpr unsigned kParameterFileVersion = 26;

// The whole file content: ten lines ended by CR LF, no line end after the last.
std::string WriteParameterFile(const DeviceImage& image);

// The same, preceded by the set's note (customer, bike, what changed) in lines of their own
// before the key, where a reader of the format ignores them: each line one word,
// "qm17-note=" and at most kNoteChunk characters of the note's UTF-8 bytes, with white space,
// controls, '%', '_' and everything outside ASCII percent-encoded, so that no word of it can
// be the key or a keyword. An empty note writes exactly the ten lines.
inline constexpr std::size_t kNoteChunk = 64;
std::string WriteParameterFile(const DeviceImage& image, std::string_view note);
// The note as one word of printable ASCII, encoded as in a file's note lines (for a settings
// value), and back.
std::string NoteAsWord(std::string_view note);
std::string NoteFromWord(std::string_view word);

// A file's content with its note replaced by `note` (none when empty), everything else
// exactly as it stands, so that every reader reads the same set from it.
std::string WithParameterNote(std::string_view content, std::string_view note);
// The note a file holds before its version key (cleaned as CleanNote does); empty for none.
std::string ReadParameterNote(std::string_view content);
// A note as the program keeps it: valid UTF-8 (a byte of no UTF-8 sequence becomes U+FFFD),
// lines ended by '\n' alone, a tab as a space, no other control characters, and no white
// space at the end, so that a note of nothing but spaces is none.
std::string CleanNote(std::string_view text);

// Reads a file's content into the parameter block; returns whether the version key with 26
// was found (FileVersionOk). Before the key nothing is read.
bool ReadParameterFile(std::string_view content, DeviceImage& image);

// A value the file states that the loaded set holds otherwise: a number wrapped to its low 8
// bits, reduced modulo 65536, a speed without its remainder below 100 rpm, a speed or the
// limiter moved by NormaliseImage, a value held to its control's range.
struct FileAdjustment {
  ParameterField field;
  std::uint8_t imageByte;  // 50..99
  std::string stated;      // the file's number in the user's units (limiters in rpm), any length
  std::uint32_t used;      // what the set holds, in the user's units
  ValueUnit unit;

  bool operator==(const FileAdjustment&) const = default;
};

// Reads exactly as above (the image is left as read, not yet normalised) and lists every
// value the file states that the set holds otherwise once it is normalised and shown, in
// byte order. Values the file does not state are not listed.
bool ReadParameterFile(std::string_view content, DeviceImage& image,
                       std::vector<FileAdjustment>& adjustments);
// "<name>: <file's number> → <value used> [<unit>]"
std::string FormatFileAdjustment(const ChangeWording& wording, const FileAdjustment& adjustment);

}  // namespace qm17
