#include "app/local_path.h"

namespace qm17 {

// Windows names are UTF-16, and the core holds them as UTF-8: every name converts both ways.
std::string LocalPath(const QString& path) {
  return path.toUtf8().toStdString();
}

QString FromLocalPath(std::string_view bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace qm17
