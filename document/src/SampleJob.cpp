// The demonstration job written by "kalyxprn sample": a payment-style card with a picture on the
// front, a signature panel on the back and three ISO tracks.
#include <kalyxdocument/PrnJobBuilder.h>

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <prnformat/Panels.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int cardWidth = 1013;
constexpr int cardHeight = 642;

// A 5 x 7 dot font, so the picture is the same on every machine, display or not.
struct Glyph {
    char ch;
    unsigned char rows[7];
};
constexpr Glyph font[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}},
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'/', {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
};

// Black ink for the K plane: one byte per dot, row-major.
class InkSheet {
public:
    InkSheet() : dots_(std::size_t(cardWidth) * cardHeight, 0) {}

    void text(int x, int y, int scale, const char* s) {
        for (; *s; ++s, x += 6 * scale) {
            const Glyph* g = std::find_if(std::begin(font), std::end(font),
                                          [&](const Glyph& f) { return f.ch == *s; });
            if (g == std::end(font))
                continue;
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g->rows[row] & (0x10 >> col))
                        fill(x + col * scale, y + row * scale, scale, scale, 255);
        }
    }
    void fill(int x, int y, int w, int h, unsigned char v) {
        for (int yy = std::max(0, y); yy < std::min(cardHeight, y + h); ++yy)
            for (int xx = std::max(0, x); xx < std::min(cardWidth, x + w); ++xx)
                dots_[std::size_t(yy) * cardWidth + xx] = v;
    }
    unsigned char at(int x, int y) const { return dots_[std::size_t(y) * cardWidth + x]; }

private:
    std::vector<unsigned char> dots_;
};

// Splits a colour picture into column-major Y, M, C planes and the ink sheet into K.
void toPlanes(const QImage& picture, const InkSheet& ink, QByteArray planes[4]) {
    for (int p = 0; p < 4; ++p)
        planes[p] = QByteArray(cardWidth * cardHeight, '\0');
    for (int y = 0; y < cardHeight; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < cardWidth; ++x) {
            const int pos = x * cardHeight + y;
            planes[0][pos] = char(255 - qBlue(row[x]));
            planes[1][pos] = char(255 - qGreen(row[x]));
            planes[2][pos] = char(255 - qRed(row[x]));
            planes[3][pos] = char(ink.at(x, y));
        }
    }
}

QImage frontPicture() {
    QImage image(cardWidth, cardHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, cardHeight);
    sky.setColorAt(0.0, QColor(40, 110, 200));
    sky.setColorAt(0.6, QColor(150, 205, 240));
    sky.setColorAt(1.0, QColor(255, 240, 200));
    painter.fillRect(image.rect(), sky);
    QRadialGradient sun(780, 170, 110);
    sun.setColorAt(0.0, QColor(255, 250, 120));
    sun.setColorAt(0.8, QColor(255, 200, 40));
    sun.setColorAt(1.0, QColor(255, 160, 30, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sun);
    painter.drawEllipse(QPointF(780, 170), 110, 110);
    QPainterPath hills;
    hills.moveTo(0, 520);
    hills.cubicTo(200, 380, 380, 560, 560, 450);
    hills.cubicTo(720, 360, 880, 480, 1013, 420);
    hills.lineTo(1013, 642);
    hills.lineTo(0, 642);
    hills.closeSubpath();
    painter.setBrush(QColor(40, 150, 70));
    painter.drawPath(hills);
    painter.setBrush(QColor(200, 30, 60));
    painter.drawRect(0, 30, cardWidth, 70);
    return image;
}

QImage backPicture() {
    QImage image(cardWidth, cardHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // Light blue over the whole card; its area restricts it to the signature panel.
    painter.fillRect(image.rect(), QColor(150, 255, 255));
    painter.setBrush(QColor(255, 220, 0));
    painter.drawEllipse(QPointF(900, 560), 50, 50);
    painter.setBrush(QColor(230, 0, 120));
    painter.drawEllipse(QPointF(860, 560), 50, 50);
    return image;
}

} // namespace

QByteArray makeSampleJob() {
    PrnJobBuilder job;
    job.setTime(1796083200); // 2026-12-01 00:00 UTC
    pugi::xml_node options = job.cardOptions();
    PrnJobBuilder::setText(options, "num-copies", "1");
    PrnJobBuilder::setText(options, "image-format", "orvane");
    PrnJobBuilder::setText(options, "width", std::to_string(cardWidth));
    PrnJobBuilder::setText(options, "height", std::to_string(cardHeight));

    const QByteArray track1 = "%B4111111111111111^DOE/JANE^29121010000000000000?";
    const QByteArray track2 = ";4111111111111111=29121010000000000000?";
    const QByteArray track3 = ";011234567890123456=724724000000000000030300?";
    const EncodedTrack t1 = encodeTrack(track1, 7);
    const EncodedTrack t2 = encodeTrack(track2, 5);
    const EncodedTrack t3 = encodeTrack(track3, 5);
    // Bits per inch as the ISO layout has them: 210 on tracks 1 and 3, 75 on track 2.
    job.addTrack(1, t1.bytes, t1.numBits, 210);
    job.addTrack(2, t2.bytes, t2.numBits, 75);
    job.addTrack(3, t3.bytes, t3.numBits, 210);

    InkSheet frontInk;
    frontInk.text(60, 45, 6, "KALYX BANK");
    frontInk.text(80, 380, 6, "4111 1111 1111 1111");
    frontInk.text(400, 470, 4, "VALID THRU 12/29");
    frontInk.text(80, 540, 6, "JANE DOE");
    QByteArray front[4];
    toPlanes(frontPicture(), frontInk, front);

    pugi::xml_node side0 = job.addSide(0);
    // The chip contacts: nothing is printed there.
    PrnJobBuilder::setPatch(side0, 110, 200, 130, 100);
    const char* const letters = Orvane::kPanelLetters;
    for (int p = 0; p < 4; ++p)
        job.addPanel(side0, letters[p], front[p], 300);
    pugi::xml_node overlay = job.addPanel(side0, 'o');
    PrnJobBuilder::setText(overlay, "watermark-index", "3");
    PrnJobBuilder::setText(overlay, "watermark-rotation", "0");

    InkSheet backInk;
    backInk.fill(0, 40, cardWidth, 110, 255); // where the stripe runs
    backInk.text(60, 200, 3, "AUTHORISED SIGNATURE - NOT VALID UNLESS SIGNED");
    backInk.text(60, 420, 4, "IF FOUND PLEASE RETURN TO KALYX BANK");
    backInk.text(60, 470, 4, "CUSTOMER SERVICE 0800 123 4567");
    QByteArray back[4];
    toPlanes(backPicture(), backInk, back);

    pugi::xml_node side1 = job.addSide(1);
    pugi::xml_node cyan;
    pugi::xml_node black;
    for (int p = 0; p < 4; ++p) {
        pugi::xml_node panel = job.addPanel(side1, letters[p], back[p], 300);
        if (letters[p] == 'c')
            cyan = panel;
        if (letters[p] == 'k')
            black = panel;
    }
    PrnJobBuilder::addRect(cyan, "area", 60, 240, 620, 110); // the signature panel
    // A window in the stripe band, showing the light blue beneath.
    PrnJobBuilder::addRect(black, "hole", 760, 60, 200, 70);
    PrnJobBuilder::addRect(cyan, "area", 760, 60, 200, 70);
    return job.build();
}
