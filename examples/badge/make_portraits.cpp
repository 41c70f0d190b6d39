// Draws the example badge's portraits: simple head-and-shoulders figures, one per person, each
// with its own colours, so the example needs no pictures from anywhere else.
//   make_portraits DIR          writes DIR/1001.png .. DIR/1012.png
//   make_portraits --check DIR  exit 1 unless the pictures in DIR are exactly what it draws
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

constexpr int firstId = 1001;
constexpr int people = 12;
constexpr int width = 300; // 25 x 32 mm at 300 dots per inch
constexpr int height = 380;

// Colours chosen by index; lengths differ so that neighbours rarely repeat a combination.
const QRgb backgrounds[] = {0xdce8f5, 0xe8f0dc, 0xf5e6dc, 0xe6dcf5, 0xdcf0ee};
const QRgb skins[] = {0xf1c7a5, 0xe0ac85, 0xc68642, 0x8d5524, 0xffdbac, 0xa86b4a, 0xd9a07a};
const QRgb hairs[] = {0x2b1d14, 0x6a4e2f, 0xc9a15b, 0x1a1a1a, 0x8b3a1a, 0x9a9a9a};
const QRgb clothes[] = {0x1f4e79, 0x7a1f3d, 0x2f6b3a, 0x444444,
                        0x8a5a00, 0x3b3b8a, 0x006d6f, 0x5a2d82};

QImage portrait(int index) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(backgrounds[index % 5]));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QColor skin(skins[index % 7]);
    const bool longHair = index % 3 != 1;

    // Hair behind the head, shoulders, neck, head, then the hair's fringe and the face.
    p.setBrush(QColor(hairs[index % 6]));
    if (longHair)
        p.drawRoundedRect(QRectF(80, 70, 140, 190), 60, 60);
    p.setBrush(QColor(clothes[index % 8]));
    p.drawEllipse(QRectF(20, 280, 260, 220));
    p.setBrush(skin.darker(110));
    p.drawRect(QRectF(125, 220, 50, 75));
    p.setBrush(skin);
    p.drawEllipse(QRectF(90, 80, 120, 155));
    p.setBrush(QColor(hairs[index % 6]));
    QPainterPath fringe;
    fringe.moveTo(88, 150);
    fringe.cubicTo(80, 50, 220, 50, 212, 150);
    fringe.cubicTo(190, 105, 120, 105 + index % 4 * 5, 88, 150);
    p.drawPath(fringe);
    p.setBrush(QColor(0x30, 0x30, 0x30));
    p.drawEllipse(QPointF(128, 160), 6, 7);
    p.drawEllipse(QPointF(172, 160), 6, 7);
    p.setPen(QPen(skin.darker(150), 4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(125, 175, 50, 30), 200 * 16, 140 * 16);
    return image;
}

QString name(const QString& dir, int index) {
    return QDir(dir).filePath(QStringLiteral("%1.png").arg(firstId + index));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool check = !args.isEmpty() && args.first() == QLatin1String("--check");
    if (args.size() != (check ? 2 : 1)) {
        std::fprintf(stderr, "usage: make_portraits [--check] DIR\n");
        return 2;
    }
    const QString dir = args.last();
    QDir().mkpath(dir);
    for (int i = 0; i < people; ++i) {
        const QImage drawn = portrait(i);
        if (check) {
            if (QImage(name(dir, i)).convertToFormat(QImage::Format_RGB32) != drawn) {
                std::fprintf(stderr, "%s differs from what make_portraits draws\n",
                             qPrintable(name(dir, i)));
                return 1;
            }
        } else if (!drawn.save(name(dir, i), "PNG", 9)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name(dir, i)));
            return 1;
        }
    }
    return 0;
}
