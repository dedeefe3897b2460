#include "widgets/Icons.h"

#include <QFont>
#include <QFontMetricsF>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

#include <algorithm>
#include <array>

// The resources of a static library are registered by hand, once; the
// macro must be used outside any namespace.
static void registerIconFiles()
{
    Q_INIT_RESOURCE(icons);
}

namespace Icons {

namespace {

// The pictures are SVG files in the program's resources (src/ui/icons), each
// on a 100 x 100 canvas, in the order of Kind.
constexpr std::array<const char *, 24> FileNames = {
    "app",          "encrypt",         "decrypt",    "shred",     "settings",
    "key",          "key-load",        "key-save",   "key-new",   "select-files",
    "view-file",    "remove-file",     "clear-list", "delete",    "cancel",
    "password-new", "password-delete", "backup",     "restore",   "folder",
    "eye",          "keyboard",        "help",       "add-folder"};
static_assert(FileNames.size() == static_cast<std::size_t>(Kind::AddFolder) + 1);

QSvgRenderer &renderer(Kind kind)
{
    static std::array<std::unique_ptr<QSvgRenderer>, FileNames.size()> renderers;
    auto &slot = renderers[static_cast<std::size_t>(kind)];
    if (!slot) {
        static const bool registered = (registerIconFiles(), true);
        Q_UNUSED(registered);
        slot = std::make_unique<QSvgRenderer>(
            QStringLiteral(":/icons/%1.svg").arg(QLatin1String(FileNames[std::size_t(kind)])));
    }
    return *slot;
}

void drawPicture(QPainter &p, Kind kind, const QRectF &area)
{
    renderer(kind).render(&p, area);
}

} // namespace

QPixmap pixmap(Kind kind, int size)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    drawPicture(p, kind, QRectF(0, 0, size, size));
    return picture;
}

namespace {

// Draws a picture when a size is asked for, so that no pixmaps are made for
// sizes nobody shows; disabled pictures are drawn grey and faint.
class PictureIconEngine : public QIconEngine
{
public:
    explicit PictureIconEngine(Kind kind)
        : m_kind(kind)
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, QIcon::Off));
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        const int side = std::max(1, std::min(size.width(), size.height()));
        const QString key = QStringLiteral("velmora-icon-%1-%2-%3")
                                .arg(int(m_kind))
                                .arg(side)
                                .arg(mode == QIcon::Disabled ? 1 : 0);
        QPixmap cached;
        if (QPixmapCache::find(key, &cached))
            return cached;
        QPixmap picture = Icons::pixmap(m_kind, side);
        if (mode == QIcon::Disabled) {
            QImage grey = picture.toImage().convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < grey.height(); ++y) {
                auto *line = reinterpret_cast<QRgb *>(grey.scanLine(y));
                for (int x = 0; x < grey.width(); ++x) {
                    const int g = qGray(line[x]);
                    line[x] = qRgba(g, g, g, qAlpha(line[x]) / 2);
                }
            }
            picture = QPixmap::fromImage(grey);
        }
        QPixmapCache::insert(key, picture);
        return picture;
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return QSize(side, side);
    }

    QIconEngine *clone() const override { return new PictureIconEngine(m_kind); }

private:
    Kind m_kind;
};

} // namespace

QIcon icon(Kind kind)
{
    return QIcon(new PictureIconEngine(kind));
}

QPixmap logo(const QSize &size)
{
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal h = size.height();
    // The shield on the left, the name on the right.
    drawPicture(p, Kind::App, QRectF(4, 2, h - 4, h - 4));
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    const QRectF textArea(h + 4, 0, size.width() - h - 6, h);
    const QString name = QStringLiteral("Velmora2");
    // The largest size up to 46 % of the height that fits beside the shield.
    for (int pixels = qRound(h * 0.46); pixels > 6; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetricsF(font).horizontalAdvance(name) <= textArea.width())
            break;
    }
    p.setFont(font);
    p.setPen(QColor(79, 0, 79));
    p.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft, name);
    return picture;
}

QPixmap banner(const QSize &size)
{
    QPixmap picture(size);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient shade(0, 0, size.width(), 0);
    shade.setColorAt(0, QColor(70, 50, 110));
    shade.setColorAt(1, QColor(150, 120, 190));
    p.fillRect(picture.rect(), shade);
    const qreal h = size.height();
    drawPicture(p, Kind::App, QRectF(10, 6, h - 12, h - 12));
    QFont title(QStringLiteral("Arial"));
    title.setBold(true);
    const QString headline = QStringLiteral("Velmora2 – Ihre Dateien in sicheren Händen");
    const qreal room = size.width() - h - 18;
    for (int pixels = qRound(h * 0.3); pixels > 6; --pixels) {
        title.setPixelSize(pixels);
        if (QFontMetricsF(title).horizontalAdvance(headline) <= room)
            break;
    }
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(h + 6, 4, size.width() - h - 12, h * 0.5), Qt::AlignLeft | Qt::AlignVCenter,
               headline);
    QFont line(QStringLiteral("Arial"));
    line.setPixelSize(qRound(h * 0.22));
    p.setFont(line);
    p.setPen(QColor(240, 230, 255));
    p.drawText(QRectF(h + 6, h * 0.5, size.width() - h - 12, h * 0.45),
               Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Neuigkeiten und Tipps auf unserer Webseite »"));
    return picture;
}

} // namespace Icons
