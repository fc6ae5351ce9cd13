#include "app/startup_style.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmapCache>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <optional>

namespace qm17 {
namespace {

// The overflow arrow is a set of image files, and reading the first image file makes Qt open
// every image-format plugin (and the libraries behind them) to ask whether it reads PNG. The
// menu bar asks for the arrow when it is made, but shows it only when the window is too narrow
// for its menus, so the icon is fetched from the style when it is first needed.
class DeferredIconEngine : public QIconEngine {
 public:
  DeferredIconEngine(QStyle* style, QStyle::StandardPixmap which)
      : m_style(style), m_which(which) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().actualSize(size, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().pixmap(size, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                       qreal scale) override {
    return Icon().pixmap(size, scale, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return Icon().availableSizes(mode, state);
  }
  bool isNull() override { return Icon().isNull(); }
  QString key() const override { return QStringLiteral("qm17-deferred"); }
  QIconEngine* clone() const override {
    auto* copy = new DeferredIconEngine(m_style, m_which);
    copy->m_icon = m_icon;
    return copy;
  }

 private:
  const QIcon& Icon() {
    if (!m_icon && m_style) m_icon = m_style->standardIcon(m_which);
    if (!m_icon) m_icon = QIcon();
    return *m_icon;
  }

  QPointer<QStyle> m_style;
  QStyle::StandardPixmap m_which;
  std::optional<QIcon> m_icon;
};

class StartupStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;

  QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                     const QWidget* widget) const override {
    const bool leftToRight = (option == nullptr || option->direction == Qt::LeftToRight) &&
                             (widget == nullptr || widget->isLeftToRight()) &&
                             !QGuiApplication::isRightToLeft();
    if (leftToRight && (which == SP_ToolBarHorizontalExtensionButton ||
                        which == SP_ToolBarVerticalExtensionButton))
      return QIcon(new DeferredIconEngine(baseStyle(), which));
    return QProxyStyle::standardIcon(which, option, widget);
  }
};

// Hex digits of a value's bytes in memory order, low nibble first, as the pixmap cache's file keys
// spell numbers.
QString CacheHex(const void* value, std::size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  QString text;
  const auto* bytes = static_cast<const unsigned char*>(value);
  for (std::size_t i = 0; i < size; ++i) {
    text += QLatin1Char(kDigits[bytes[i] & 0xf]);
    text += QLatin1Char(kDigits[bytes[i] >> 4]);
  }
  return text;
}

}  // namespace

QString FilePixmapCacheKey(const QString& path) {
  const QFileInfo info(path);
  const auto modified = static_cast<quint32>(info.lastModified().toSecsSinceEpoch());
  const auto size = static_cast<quint64>(info.size());
  const quint32 pixmapType = 0;
  return QStringLiteral("qt_pixmap") + info.absoluteFilePath() +
         CacheHex(&modified, sizeof modified) + CacheHex(&size, sizeof size) +
         CacheHex(&pixmapType, sizeof pixmapType);
}

bool PreloadStylePixmap(const QString& path) {
  QImageReader reader(path, "png");
  reader.setAutoDetectImageFormat(false);
  const QImage image = reader.read();
  if (image.isNull()) return false;
  return QPixmapCache::insert(FilePixmapCacheKey(path), QPixmap::fromImage(image));
}

QStyle* MakeStartupStyle(QStyle* base) {
  return new StartupStyle(base);
}

void InstallStartupStyle() {
  // Fusion is what both pictures come from; a desktop's own style or Windows' stays untouched.
  if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
    return;
  // A fresh instance, since the wrapper owns its base and the application deletes the style it
  // replaces.
  QStyle* base = QStyleFactory::create(QStringLiteral("fusion"));
  if (base == nullptr) return;
  PreloadStylePixmap(QString::fromLatin1(kFusionGroupBoxFrame));
  QApplication::setStyle(MakeStartupStyle(base));
}

}  // namespace qm17
