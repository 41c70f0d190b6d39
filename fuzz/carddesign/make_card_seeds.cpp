// Writes the seed corpora of the design and data file fuzzers: designs of every object type
// and property, and data files of every delimiter, quoting and encoding.
#include <carddesign/CardDesignFile.h>

#include <QDir>
#include <QFile>

namespace {

bool write(const QString& folder, const QString& name, const QByteArray& bytes) {
    QFile file(QDir(folder).filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

CardDesign everything() {
    CardDesign d;
    d.options.insert(QStringLiteral("card-options/num-copies"), QStringLiteral("${Copies:=1}"));
    d.options.insert(QStringLiteral("side-options/front/k/power-adjust"), QStringLiteral("2"));
    CardSide& front = d.front.emplace();
    front.background.color = QColor(QStringLiteral("#e0e8ff"));
    front.background.image = QStringLiteral("art.svg");
    const CardObjectType types[] = {CardObjectType::Text, CardObjectType::Image,
                                    CardObjectType::Barcode, CardObjectType::Rect,
                                    CardObjectType::Line};
    double y = 1;
    for (CardObjectType type : types) {
        CardObject o = cardObjectDefaults(type);
        o.box = {2, y, 30, 8};
        o.text = QStringLiteral("${Name:=Nobody} $$ ${_row} ${_date}");
        o.src = QStringLiteral("photos/${ID}.png");
        o.data = QStringLiteral("${ID}");
        o.condition = QStringLiteral("${Name}");
        o.fit = CardTextFit::ShrinkWrap;
        o.maxLines = 2;
        o.fill = QColor(QStringLiteral("#80ff0000"));
        front.objects.push_back(o);
        y += 9;
    }
    CardSide& back = d.back.emplace();
    back.overlay.holes.push_back({0, 3, 85.76, 12.7});
    CardMag& mag = d.mag.emplace();
    mag.tracks = {QStringLiteral("%B${ID}^${Name}?"), QStringLiteral(";${ID}?"), QString()};
    return d;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    const QString designs = QString::fromLocal8Bit(argv[1]);
    const QString data = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(designs);
    QDir().mkpath(data);
    bool ok = write(designs, "everything.card.json", cardDesignToJson(everything())) &&
              write(designs, "empty.card.json", cardDesignToJson(CardDesign())) &&
              write(designs, "refused.card.json",
                    R"({"format": "kalyx-card-design/1", "front": {"objects": [{"type": "text",)"
                    R"( "x": 90, "y": 1, "w": 1, "h": 1, "text": "${A"}]}})");
    // The first byte of a data seed: bits 0-1 the delimiter (found, ',', ';', tab), bit 2 no
    // header.
    const QByteArray csv[] = {
        QByteArray("\0ID,Name,Title\r\n1,\"Lee, Ann\",Boss\r\n2,\"a \"\"b\"\"\nc\",\n", 45),
        "\2\xEF\xBB\xBFID;Name\n1;Zo\xC3\xAB\n\n2;\xC5\x81ukasz\n",
        "\3ID\tName\n1\tJos\xE9\x80\n",
        "\4"
        "1,2,3\n4,5\n6,7,8,9\n",
        "\0A,B\n1,\"open\n",
    };
    int i = 0;
    for (const QByteArray& seed : csv)
        ok = write(data, QStringLiteral("seed%1.csv").arg(i++), seed) && ok;
    return ok ? 0 : 1;
}
