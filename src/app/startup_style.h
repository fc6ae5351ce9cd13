#pragma once
// The application's style, set up so that the window's first frame needs no image-format plugin:
// opening them (and the libraries behind them) was about a millisecond of every start.

class QString;
class QStyle;

namespace qm17 {

// When the application style is Fusion, replaces it by Fusion wrapped so that the menu bar's
// overflow arrow is read from its image files only when it is first drawn, and preloads the
// group box frame; any other style stays as it is. Call once, right after the QApplication is
// made and before any widget exists.
void InstallStartupStyle();

// Fusion draws every group box frame from this picture, loaded by file name when first painted.
inline constexpr const char* kFusionGroupBoxFrame =
    ":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png";

// Reads the PNG picture at `path` with the built-in reader and puts it in the pixmap cache under
// the key QPixmap(path) looks for, so that loading it by name later finds it there. Loading a
// picture by name otherwise makes Qt open every image-format plugin (and the libraries behind
// them) to ask whether it reads PNG. Returns false when the picture could not be read or kept.
bool PreloadStylePixmap(const QString& path);

// The key QPixmap(path) looks for in the pixmap cache. Qt does not publish it; should a Qt
// version spell it otherwise, the preloaded picture is merely unused and Qt loads its own.
QString FilePixmapCacheKey(const QString& path);

// The wrapper on its own, for tests: `base` is owned by the result.
QStyle* MakeStartupStyle(QStyle* base);

}  // namespace qm17
