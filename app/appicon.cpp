// The application icon's shapes, painted with QPainter or written as SVG: a teal tile with a white
// page, grey lines of text and a red Thai letter ko kai drawn as a stroke (no font involved).
#include "app/appicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QStringList>

namespace {

struct Tile {  // a filled rectangle with rounded corners
    double x, y, w, h, r;
    const char* color;
};
struct Stroke {  // a path of M, L and C commands drawn with round ends
    const char* path;
    double width;
    const char* color;
};

constexpr Tile kTiles[] = {
    {16, 16, 224, 224, 44, "#0f766e"},  // background
    {60, 36, 136, 184, 12, "#ffffff"},  // page
    {84, 156, 88, 10, 5, "#94a3b8"},    // lines of text
    {84, 176, 88, 10, 5, "#94a3b8"},
    {84, 196, 56, 10, 5, "#94a3b8"},
};
constexpr Stroke kStrokes[] = {
    {"M 96 136 L 96 98 C 96 62 160 62 160 98 L 160 136", 14, "#dc2626"},  // the arch of ko kai
    {"M 96 106 C 80 102 82 80 100 84", 10, "#dc2626"},                    // its hook
};

QPainterPath ParsePath(const char* text) {
    const QStringList tokens = QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QPainterPath path;
    qsizetype i = 0;
    auto number = [&] { return tokens.value(i++).toDouble(); };
    while (i < tokens.size()) {
        const QString command = tokens[i++];
        if (command == QLatin1String("M")) {
            const double x = number(), y = number();
            path.moveTo(x, y);
        } else if (command == QLatin1String("L")) {
            const double x = number(), y = number();
            path.lineTo(x, y);
        } else if (command == QLatin1String("C")) {
            const double x1 = number(), y1 = number(), x2 = number(), y2 = number(), x = number(), y = number();
            path.cubicTo(x1, y1, x2, y2, x, y);
        }
    }
    return path;
}

}  // namespace

QImage AppIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    p.setPen(Qt::NoPen);
    for (const Tile& t : kTiles) {
        p.setBrush(QColor(QString::fromLatin1(t.color)));
        p.drawRoundedRect(QRectF(t.x, t.y, t.w, t.h), t.r, t.r);
    }
    p.setBrush(Qt::NoBrush);
    for (const Stroke& s : kStrokes) {
        p.setPen(QPen(QColor(QString::fromLatin1(s.color)), s.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(ParsePath(s.path));
    }
    return image;
}

QIcon AppIcon() {
    static const QIcon icon = [] {
        QIcon i;
        for (int size : {16, 24, 32, 48, 64, 128, 256}) i.addPixmap(QPixmap::fromImage(AppIconImage(size)));
        return i;
    }();
    return icon;
}

QString AppIconSvg() {
    QString svg = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n");
    for (const Tile& t : kTiles)
        svg += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
                   .arg(t.x).arg(t.y).arg(t.w).arg(t.h).arg(t.r).arg(QString::fromLatin1(t.color));
    for (const Stroke& s : kStrokes)
        svg += QStringLiteral("  <path d=\"%1\" fill=\"none\" stroke=\"%2\" stroke-width=\"%3\" "
                              "stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n")
                   .arg(QString::fromLatin1(s.path), QString::fromLatin1(s.color)).arg(s.width);
    svg += QStringLiteral("</svg>\n");
    return svg;
}
