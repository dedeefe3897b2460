#include "ui/Icons.h"

#include <QFont>
#include <QIconEngine>
#include <QPixmapCache>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>

namespace {

// Every picture is drawn on a 100 x 100 canvas scaled to the wanted size.
constexpr qreal Canvas = 100.0;

const QColor Outline(45, 35, 70);
const QColor Violet(103, 95, 137);
const QColor Gold(230, 180, 40);
const QColor Steel(160, 165, 180);
const QColor Paper(252, 252, 248);
const QColor Red(200, 30, 40);
const QColor Green(30, 150, 70);
const QColor Blue(40, 90, 180);

QPen outlinePen(qreal width = 5.0)
{
    return QPen(Outline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawLock(QPainter &p, const QRectF &box, bool open, const QColor &body)
{
    // box: the area of the whole padlock, shackle included.
    const qreal w = box.width();
    const qreal h = box.height();
    const QRectF bodyRect(box.left(), box.top() + h * 0.45, w, h * 0.55);
    QPainterPath shackle;
    const qreal sw = w * 0.6;
    const qreal sl = box.left() + (w - sw) / 2;
    const qreal lift = open ? h * 0.12 : 0.0;
    shackle.moveTo(sl, bodyRect.top() - (open ? lift : 0));
    shackle.lineTo(sl, box.top() + sw / 2 - lift);
    shackle.arcTo(QRectF(sl, box.top() - lift, sw, sw), 180, -180);
    shackle.lineTo(sl + sw, open ? box.top() + sw / 2 + h * 0.05 - lift : bodyRect.top());
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Steel.darker(140), w * 0.14, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(shackle);
    QLinearGradient shade(bodyRect.topLeft(), bodyRect.bottomLeft());
    shade.setColorAt(0, body.lighter(130));
    shade.setColorAt(1, body.darker(120));
    p.setBrush(shade);
    p.setPen(outlinePen(4));
    p.drawRoundedRect(bodyRect, 8, 8);
    // key hole
    p.setBrush(Outline);
    p.setPen(Qt::NoPen);
    const QPointF c = bodyRect.center();
    p.drawEllipse(c + QPointF(0, -h * 0.06), w * 0.09, w * 0.09);
    p.drawRect(QRectF(c.x() - w * 0.035, c.y() - h * 0.05, w * 0.07, h * 0.17));
}

void drawSheet(QPainter &p, const QRectF &r, bool lines = true)
{
    QPainterPath sheet;
    const qreal fold = r.width() * 0.28;
    sheet.moveTo(r.topLeft());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.bottomRight());
    sheet.lineTo(r.bottomLeft());
    sheet.closeSubpath();
    p.setBrush(Paper);
    p.setPen(outlinePen(4));
    p.drawPath(sheet);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
    if (!lines)
        return;
    p.setPen(QPen(Steel, 3.5, Qt::SolidLine, Qt::RoundCap));
    for (qreal y = r.top() + r.height() * 0.38; y < r.bottom() - 8; y += r.height() * 0.15)
        p.drawLine(QPointF(r.left() + 8, y), QPointF(r.right() - 8, y));
}

void drawKey(QPainter &p, const QPointF &ring, qreal scale, const QColor &color)
{
    p.save();
    p.translate(ring);
    p.rotate(-35);
    p.scale(scale, scale);
    p.setPen(outlinePen(4));
    p.setBrush(color);
    QPainterPath key;
    key.addEllipse(QPointF(0, 0), 17, 17);
    key.addRect(QRectF(12, -6, 55, 12));
    key.addRect(QRectF(48, 6, 8, 12));
    key.addRect(QRectF(60, 6, 7, 9));
    p.drawPath(key.simplified());
    p.setBrush(Paper);
    p.drawEllipse(QPointF(-4, 0), 6, 6);
    p.restore();
}

void drawArrow(QPainter &p, const QPointF &from, const QPointF &to, const QColor &color)
{
    p.setPen(QPen(color, 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const qreal angle = qAtan2(to.y() - from.y(), to.x() - from.x());
    const qreal head = 16;
    const QPointF a = to - QPointF(qCos(angle - 0.6) * head, qSin(angle - 0.6) * head);
    const QPointF b = to - QPointF(qCos(angle + 0.6) * head, qSin(angle + 0.6) * head);
    p.drawLine(to, a);
    p.drawLine(to, b);
}

void drawStar(QPainter &p, const QPointF &c, qreal radius)
{
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 == 0 ? radius : radius * 0.45;
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        star << c + QPointF(qCos(a) * r, qSin(a) * r);
    }
    p.setBrush(Gold);
    p.setPen(QPen(Outline, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolygon(star);
}

void drawCross(QPainter &p, const QPointF &c, qreal size, const QColor &color)
{
    p.setPen(QPen(color, 11, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-size, -size), c + QPointF(size, size));
    p.drawLine(c + QPointF(size, -size), c + QPointF(-size, size));
}

void drawDisk(QPainter &p, const QRectF &r)
{
    p.setPen(outlinePen(4));
    p.setBrush(Blue);
    p.drawRoundedRect(r, 5, 5);
    p.setBrush(Paper);
    p.drawRect(QRectF(r.left() + r.width() * 0.2, r.top() + r.height() * 0.5,
                      r.width() * 0.6, r.height() * 0.5 - 4));
    p.setBrush(Steel);
    p.drawRect(QRectF(r.left() + r.width() * 0.28, r.top() + 2, r.width() * 0.44,
                      r.height() * 0.3));
}

void drawFolder(QPainter &p, bool open)
{
    p.setPen(outlinePen(4));
    p.setBrush(Gold.darker(110));
    QPainterPath back;
    back.moveTo(8, 82);
    back.lineTo(8, 22);
    back.lineTo(36, 22);
    back.lineTo(44, 30);
    back.lineTo(88, 30);
    back.lineTo(88, 82);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(Gold);
    if (open) {
        QPolygonF front;
        front << QPointF(8, 82) << QPointF(22, 44) << QPointF(96, 44) << QPointF(88, 82);
        p.drawPolygon(front);
    } else {
        p.drawRect(QRectF(8, 40, 80, 42));
    }
}

void drawCog(QPainter &p, const QPointF &c, qreal radius)
{
    QPainterPath cog;
    const int teeth = 8;
    for (int i = 0; i < teeth; ++i) {
        p.save();
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotate(i * 360.0 / teeth);
        QPainterPath tooth;
        tooth.addRect(QRectF(-radius * 0.2, -radius * 1.18, radius * 0.4, radius * 0.5));
        cog.addPath(t.map(tooth));
        p.restore();
    }
    cog.addEllipse(c, radius * 0.85, radius * 0.85);
    cog = cog.simplified();
    QPainterPath hole;
    hole.addEllipse(c, radius * 0.35, radius * 0.35);
    cog = cog.subtracted(hole);
    p.setPen(outlinePen(4));
    p.setBrush(Steel);
    p.drawPath(cog);
}

void drawEye(QPainter &p)
{
    QPainterPath eye;
    eye.moveTo(6, 50);
    eye.quadTo(50, 6, 94, 50);
    eye.quadTo(50, 94, 6, 50);
    p.setPen(outlinePen(5));
    p.setBrush(Paper);
    p.drawPath(eye);
    p.setBrush(Blue);
    p.drawEllipse(QPointF(50, 50), 17, 17);
    p.setBrush(Outline);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(50, 50), 7, 7);
}

void drawPicture(QPainter &p, Icons::Kind kind)
{
    using Icons::Kind;
    switch (kind) {
    case Kind::App: {
        QPainterPath shield;
        shield.moveTo(50, 4);
        shield.lineTo(90, 18);
        shield.cubicTo(90, 60, 72, 84, 50, 96);
        shield.cubicTo(28, 84, 10, 60, 10, 18);
        shield.closeSubpath();
        QLinearGradient shade(0, 0, 100, 100);
        shade.setColorAt(0, QColor(190, 170, 230));
        shade.setColorAt(1, QColor(80, 40, 120));
        p.setBrush(shade);
        p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(shield);
        drawLock(p, QRectF(32, 24, 36, 50), false, Gold);
        break;
    }
    case Kind::Encrypt:
        drawLock(p, QRectF(18, 6, 64, 88), false, Gold);
        break;
    case Kind::Decrypt:
        drawLock(p, QRectF(18, 10, 64, 84), true, QColor(120, 200, 120));
        break;
    case Kind::Shred: {
        drawSheet(p, QRectF(22, 4, 56, 50), true);
        p.setPen(outlinePen(4));
        p.setBrush(Paper);
        for (int i = 0; i < 5; ++i) {
            const qreal x = 22 + i * 11.5;
            p.drawRect(QRectF(x, 62 + (i % 2) * 6, 7, 30 - (i % 2) * 6));
        }
        p.setPen(QPen(Red, 6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 58), QPointF(88, 58));
        break;
    }
    case Kind::Settings:
        drawCog(p, QPointF(50, 50), 36);
        break;
    case Kind::Key:
        drawKey(p, QPointF(28, 62), 1.0, Gold);
        break;
    case Kind::KeyLoad:
        drawKey(p, QPointF(24, 70), 0.85, Gold);
        drawArrow(p, QPointF(90, 8), QPointF(60, 38), Green);
        break;
    case Kind::KeySave:
        drawDisk(p, QRectF(50, 50, 44, 44));
        drawKey(p, QPointF(22, 46), 0.75, Gold);
        break;
    case Kind::KeyNew:
        drawKey(p, QPointF(24, 70), 0.85, Gold);
        drawStar(p, QPointF(74, 24), 20);
        break;
    case Kind::SelectFiles:
        drawFolder(p, true);
        break;
    case Kind::Folder:
        drawFolder(p, false);
        break;
    case Kind::ViewFile:
        drawSheet(p, QRectF(10, 4, 58, 76));
        p.setPen(QPen(Outline, 9, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(72, 72), QPointF(92, 92));
        p.setPen(outlinePen(5));
        p.setBrush(QColor(200, 225, 255, 220));
        p.drawEllipse(QPointF(60, 60), 18, 18);
        break;
    case Kind::RemoveFile:
        drawSheet(p, QRectF(10, 4, 60, 80));
        p.setPen(QPen(Red, 12, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(56, 78), QPointF(90, 78));
        break;
    case Kind::ClearList:
        drawSheet(p, QRectF(18, 6, 64, 88), false);
        drawStar(p, QPointF(70, 28), 18);
        break;
    case Kind::Delete: {
        p.setPen(outlinePen(4));
        p.setBrush(Steel);
        p.drawRect(QRectF(20, 20, 60, 8));
        p.drawRect(QRectF(40, 10, 20, 10));
        QPolygonF bin;
        bin << QPointF(25, 30) << QPointF(75, 30) << QPointF(70, 94) << QPointF(30, 94);
        p.drawPolygon(bin);
        p.setPen(QPen(Outline, 4, Qt::SolidLine, Qt::RoundCap));
        for (qreal x : {38.0, 50.0, 62.0})
            p.drawLine(QPointF(x, 40), QPointF(x, 84));
        break;
    }
    case Kind::Cancel: {
        QPolygonF octagon;
        for (int i = 0; i < 8; ++i) {
            const qreal a = M_PI / 8 + i * M_PI / 4;
            octagon << QPointF(50 + qCos(a) * 44, 50 + qSin(a) * 44);
        }
        p.setPen(QPen(Qt::white, 5));
        p.setBrush(Red);
        p.drawPolygon(octagon);
        drawCross(p, QPointF(50, 50), 16, Qt::white);
        break;
    }
    case Kind::PasswordNew:
        drawLock(p, QRectF(8, 14, 62, 82), false, Gold);
        drawStar(p, QPointF(76, 24), 20);
        break;
    case Kind::PasswordDelete:
        drawLock(p, QRectF(8, 14, 62, 82), false, Gold);
        drawCross(p, QPointF(76, 26), 14, Red);
        break;
    case Kind::Backup:
        drawDisk(p, QRectF(8, 36, 56, 56));
        drawArrow(p, QPointF(50, 44), QPointF(88, 8), Green);
        break;
    case Kind::Restore:
        drawDisk(p, QRectF(8, 36, 56, 56));
        drawArrow(p, QPointF(90, 6), QPointF(56, 40), Blue.lighter(130));
        break;
    case Kind::Eye:
        drawEye(p);
        break;
    case Kind::Keyboard: {
        p.setPen(outlinePen(4));
        p.setBrush(QColor(230, 230, 235));
        p.drawRoundedRect(QRectF(4, 24, 92, 54), 8, 8);
        p.setBrush(Paper);
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 6; ++col)
                p.drawRect(QRectF(11 + col * 14, 31 + row * 13, 9, 8));
        p.setPen(QPen(Red, 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(50, 24), QPointF(50, 6));
        break;
    }
    case Kind::Help: {
        p.setPen(outlinePen(4));
        p.setBrush(Blue);
        p.drawEllipse(QPointF(50, 50), 44, 44);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(66);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0, 100, 100), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    }
}

} // namespace

namespace Icons {

QPixmap pixmap(Kind kind, int size)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / Canvas, size / Canvas);
    drawPicture(painter, kind);
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
    p.save();
    p.translate(4, 2);
    p.scale((h - 4) / Canvas, (h - 4) / Canvas);
    drawPicture(p, Kind::App);
    p.restore();
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
    p.save();
    p.translate(10, 6);
    p.scale((h - 12) / Canvas, (h - 12) / Canvas);
    drawPicture(p, Kind::App);
    p.restore();
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
