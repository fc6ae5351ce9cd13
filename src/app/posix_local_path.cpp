#include <QFile>

#include "app/local_path.h"
#include "files/text_words.h"

namespace qm17 {
namespace {

// A file name on Linux is bytes, and one written in Latin-1 or Windows-1250 is not UTF-8. Each
// such byte travels through the window as a lone surrogate U+DC80..U+DCFF, which no decoded
// name holds, so that it reaches the file system and the settings again unchanged.
constexpr char16_t kByteEscape = 0xDC00;

}  // namespace

QString FromLocalPath(std::string_view bytes) {
  QString text;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = Utf8SequenceLength(bytes, i);
    if (length == 0) {
      text += QChar(static_cast<char16_t>(kByteEscape + static_cast<unsigned char>(bytes[i++])));
    } else {
      text += QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(length));
      i += length;
    }
  }
  return text;
}

std::string LocalPath(const QString& path) {
  const auto encode = [](const QString& run) { return QFile::encodeName(run).toStdString(); };
  // The runs between escaped bytes are encoded; each escaped byte goes back as it came.
  std::string bytes;
  qsizetype runStart = 0;
  for (qsizetype i = 0; i < path.size(); ++i) {
    const char16_t c = path[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < path.size() && path[i + 1].isLowSurrogate()) {
      ++i;
    } else if (c >= kByteEscape + 0x80 && c <= kByteEscape + 0xFF) {
      bytes += encode(path.mid(runStart, i - runStart));
      bytes += static_cast<char>(c - kByteEscape);
      runStart = i + 1;
    }
  }
  return bytes + encode(path.mid(runStart));
}

}  // namespace qm17
