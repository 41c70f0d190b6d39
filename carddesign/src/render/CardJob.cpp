#include "CardJob.h"

#include "carddesign/CardOptions.h"
#include "carddesign/CardTracks.h"

#include <kalyxdocument/PrnJobBuilder.h>

#include <prnformat/JobFrame.h>
#include <prnformat/TrackBits.h>

#include <QDateTime>

#include <limits>

namespace carddesign {

namespace {

const char panelLetters[] = "ymck";
// Bits per inch of the ISO layout: 210 on tracks 1 and 3, 75 on track 2.
constexpr unsigned isoBpi[3] = {210, 75, 210};

struct ExpandedOption {
    QString key;
    CardOptionPath path;
    std::string value;
};

// The design's options for this row, templates expanded and values checked again (a value
// that comes from the row can only be checked now).
std::vector<ExpandedOption> expandOptions(const CardDesign& design,
                                          const CardTemplateContext& context,
                                          std::vector<CardRowProblem>& problems) {
    std::vector<ExpandedOption> options;
    for (auto it = design.options.begin(); it != design.options.end(); ++it) {
        ExpandedOption option;
        option.key = it.key();
        const QString field = QStringLiteral("options.") + it.key();
        QString problem;
        if (!parseCardOptionPath(it.key(), option.path, problem)) {
            problems.push_back({field, problem});
            continue;
        }
        const QString value = expandCardTemplate(it.value(), context);
        problem = checkCardOptionValue(it.key(), value);
        if (problem.isEmpty() && option.path.group == QLatin1String("track-options") &&
            option.path.name == QLatin1String("num-bits"))
            problem = QStringLiteral("num-bits is counted from the track text");
        if (!problem.isEmpty()) {
            problems.push_back({field, problem});
            continue;
        }
        option.value = value.toStdString();
        options.push_back(option);
    }
    return options;
}

void setOption(pugi::xml_node node, const ExpandedOption& option) {
    PrnJobBuilder::setText(node, option.path.name.toUtf8().constData(), option.value);
}

} // namespace

bool wantsDoubleK(const CardDesign& design, int side, const CardTemplateContext& context) {
    for (auto it = design.options.begin(); it != design.options.end(); ++it) {
        CardOptionPath path;
        QString problem;
        if (parseCardOptionPath(it.key(), path, problem) && path.side == side &&
            path.panel == 'k' && path.name == QLatin1String("x-density"))
            return expandCardTemplate(it.value(), context).trimmed() == QLatin1String("600");
    }
    return false;
}

qint32 cardJobTime() {
    bool ok = false;
    const qint64 fixed = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
    const qint64 seconds = ok ? fixed : QDateTime::currentSecsSinceEpoch();
    return qint32(qBound<qint64>(0, seconds, std::numeric_limits<qint32>::max()));
}

QByteArray buildCardJob(const CardDesign& design, const CardTemplateContext& context,
                        const std::array<const SidePlanes*, 2>& sides,
                        std::vector<CardRowProblem>& problems) {
    const std::size_t before = problems.size();
    const std::vector<ExpandedOption> options = expandOptions(design, context, problems);
    PrnJobBuilder job; // the header document; the payload is framed below
    pugi::xml_node card = job.cardOptions();
    PrnJobBuilder::setText(card, "image-format", "orvane");
    PrnJobBuilder::setText(card, "width", std::to_string(design.width));
    PrnJobBuilder::setText(card, "height", std::to_string(design.height));
    for (const ExpandedOption& o : options)
        if (o.path.group == QLatin1String("card-options"))
            setOption(card, o);

    // Tracks first: the builder keeps the side elements ahead of the magnetic options.
    std::array<pugi::xml_node, 3> trackNodes;
    std::vector<unsigned char> trackBytes; // all tracks, in the order the header lists them
    if (design.mag) {
        for (int t = 0; t < 3; ++t) {
            const QString tmpl = design.mag->tracks[std::size_t(t)];
            if (tmpl.isEmpty())
                continue;
            QString problem;
            const std::vector<bool> bits =
                encodeCardTrack(t + 1, expandCardTemplate(tmpl, context), problem);
            if (bits.empty()) {
                problems.push_back({QStringLiteral("mag.tracks.%1").arg(t + 1), problem});
                continue;
            }
            std::vector<unsigned char> bytes;
            Orvane::packTrackBits(bits, bytes);
            trackBytes.insert(trackBytes.end(), bytes.begin(), bytes.end());
            trackNodes[std::size_t(t)] = job.addTrack(
                t + 1, QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size())),
                unsigned(bits.size()), isoBpi[t]);
        }
        pugi::xml_node mag = job.card().child("mag-options");
        if (!mag)
            mag = job.card().append_child("mag-options");
        // The coercivity leads the magnetic options, before the tracks.
        pugi::xml_node coercivity = mag.prepend_child("coercivity");
        coercivity.text().set(design.mag->coercivity.toUtf8().constData());
        for (const ExpandedOption& o : options)
            if (o.path.group == QLatin1String("mag-options"))
                PrnJobBuilder::setText(mag, o.path.name.toUtf8().constData(), o.value);
    }

    for (int s = 0; s < 2; ++s) {
        const SidePlanes* planes = sides[std::size_t(s)];
        if (!planes)
            continue;
        pugi::xml_node side = job.addSide(s);
        std::array<pugi::xml_node, 5> panels;
        // Only the panels' elements: the planes themselves are framed from where they lie.
        for (int p = 0; p < 4; ++p)
            panels[std::size_t(p)] = job.addPanel(side, panelLetters[p]);
        if (planes->doubleK)
            PrnJobBuilder::setText(panels[3], "x-density", "600");
        if (planes->overlayHoles) {
            panels[4] = job.addPanel(side, 'o');
            for (const QRect& hole : *planes->overlayHoles)
                PrnJobBuilder::addRect(panels[4], "hole", hole.x(), hole.y(), hole.width(),
                                       hole.height());
        }
    }

    for (const ExpandedOption& o : options) {
        const QString field = QStringLiteral("options.") + o.key;
        if (o.path.group == QLatin1String("track-options")) {
            pugi::xml_node node = trackNodes[std::size_t(o.path.track - 1)];
            if (!node)
                problems.push_back(
                    {field, QStringLiteral("the design writes no track %1").arg(o.path.track)});
            else
                setOption(node, o);
        } else if (o.path.group == QLatin1String("panel-options")) {
            const int p = QByteArray("ymcko").indexOf(o.path.panel);
            pugi::xml_node side =
                job.card().find_child_by_attribute("side-options", "side", o.path.side ? "1" : "0");
            pugi::xml_node panel =
                side ? side.find_child_by_attribute("panel-options", "panel",
                                                    std::string(1, o.path.panel).c_str())
                     : pugi::xml_node();
            if (!panel)
                problems.push_back({field, QStringLiteral("the design has no %1 panel there")
                                               .arg(QLatin1Char(o.path.panel))});
            else if (o.path.name == QLatin1String("x-density") && p < 3 && o.value != "300")
                problems.push_back(
                    {field, QStringLiteral("only K prints at 600 dots across; colour is 300")});
            else if (!(o.path.name == QLatin1String("x-density") && p == 3))
                setOption(panel, o);
        }
    }
    if (problems.size() != before)
        return QByteArray();

    // The frame: the header with the payload's size and the time, then the tracks and each
    // plane in the order the header lists them, through the one frame writer.
    std::uint64_t payload = trackBytes.size();
    for (const SidePlanes* planes : sides)
        if (planes)
            for (const std::vector<unsigned char>& plane : planes->planes)
                payload += plane.size();
    pugi::xml_document header;
    header.reset(job.document());
    pugi::xml_node prn = header.child("prn");
    prn.append_child("binary-size").text().set(static_cast<unsigned long long>(payload));
    prn.append_child("time").text().set(cardJobTime());
    // Written straight into the job handed out: its bytes are copied once.
    QByteArray bytes;
    bytes.reserve(int(payload) + 4096);
    Orvane::FrameWriter frame([&bytes](const unsigned char* data, std::size_t size) {
        bytes.append(reinterpret_cast<const char*>(data), int(size));
        return true;
    });
    frame.header(header, pugi::encoding_utf8);
    frame.payload(trackBytes.data(), trackBytes.size());
    for (const SidePlanes* planes : sides)
        if (planes)
            for (const std::vector<unsigned char>& plane : planes->planes)
                frame.payload(plane.data(), plane.size());
    frame.finish();
    return bytes;
}

} // namespace carddesign
