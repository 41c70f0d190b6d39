// Writes a small seed corpus for the load fuzzer into the directory given.
#include <kalyxdocument/PrnJobBuilder.h>

#include <QFile>
#include <QString>

namespace {

QByteArray small(bool tracks, bool rects, unsigned density) {
    PrnJobBuilder job;
    PrnJobBuilder::setText(job.cardOptions(), "width", "506");
    PrnJobBuilder::setText(job.cardOptions(), "height", "2");
    PrnJobBuilder::setText(job.cardOptions(), "image-format", "orvane");
    if (tracks) {
        const EncodedTrack t1 = encodeTrack("%B1^A/B^2?", 7);
        const EncodedTrack t2 = encodeTrack(";12=3?", 5);
        job.addTrack(1, t1.bytes, t1.numBits);
        job.addTrack(2, t2.bytes, t2.numBits, 75);
    }
    pugi::xml_node side = job.addSide(0);
    if (rects)
        PrnJobBuilder::setPatch(side, 3, 0, 5, 1);
    const int plane = 506 * 2 * (density == 600 ? 2 : 1);
    for (char letter : {'y', 'k', 'o'}) {
        pugi::xml_node panel = job.addPanel(side, letter, QByteArray(plane, char(letter)), density);
        if (rects && letter != 'o') {
            PrnJobBuilder::addRect(panel, "area", 0, 0, 100, 1);
            PrnJobBuilder::addRect(panel, "hole", 5, -1, 2, 4);
        }
    }
    return job.build();
}

// The same job with its track bytes after the planes, as the printer library composes jobs.
QByteArray planesFirst(const QByteArray& job) {
    const int trackBytes =
        int(encodeTrack("%B1^A/B^2?", 7).bytes.size() + encodeTrack(";12=3?", 5).bytes.size());
    const int nul = job.indexOf('\0');
    const QByteArray binary = job.mid(nul + 1, job.size() - nul - 5);
    return PrnJobBuilder::frame(job.left(nul), binary.mid(trackBytes) + binary.left(trackBytes));
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2)
        return 2;
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QByteArray seeds[] = {
        small(false, false, 300),
        small(true, true, 600),
        small(true, false, 0),
        planesFirst(small(true, false, 0)),
        PrnJobBuilder::frame("<prn><card><mag-options><track-options track=\"3\"><num-bits>9"
                             "</num-bits><bpi>210</bpi></track-options></mag-options></card></prn>",
                             QByteArray(2, '\x5a')),
        PrnJobBuilder::frame("<prn><card><side-options side=\"1\"><panel-options panel=\"x\"/>"
                             "</side-options></card></prn>",
                             {}),
    };
    int n = 0;
    for (const QByteArray& seed : seeds) {
        QFile file(dir + QStringLiteral("/seed-%1.prn").arg(n++));
        if (!file.open(QIODevice::WriteOnly) || file.write(seed) != seed.size())
            return 1;
    }
    return 0;
}
