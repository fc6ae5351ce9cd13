#pragma once
// The window's own pictures, drawn at run time: the icon, the four tool-bar faces, the logo.

#include <QIcon>
#include <QPixmap>

namespace qm17 {

QIcon WindowIcon();
QIcon NewFileIcon();
QIcon OpenFileIcon();
QIcon SaveFileIcon();
QIcon PrintIcon();
// The logo on a transparent background, `size` in device-independent pixels.
QPixmap LogoPicture(QSize size);

}  // namespace qm17
