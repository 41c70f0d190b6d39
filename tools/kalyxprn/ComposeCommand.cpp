// compose: a print job made by the printer library from ordinary pictures and ISO track texts.
#include "CardPicture.h"
#include "CliSupport.h"
#include "Command.h"
#include "JobDelivery.h"
#include "MagTracks.h"
#include "PictureToPlanes.h"
#include "PrinterTarget.h"
#include "SidePicture.h"

#include <kalyxcomms/Comms.h>
#include <kalyxcomms/Printer.h>

#include <prnformat/Panels.h>

#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QSaveFile>

#include <array>

namespace {

const QString command = QStringLiteral("compose");

// Card sizes the document accepts (dots).
constexpr unsigned defaultWidth = 1013, minWidth = 506, maxWidth = 2026;
constexpr unsigned defaultHeight = 642, maxHeight = 642;
// Bits per inch of the ISO layout: 210 on tracks 1 and 3, 75 on track 2.
const char* const defaultBpi[3] = {"210", "75", "210"};

struct Composition {
    Orvane::PrintOptions options;
    Orvane::ImageData images;
    Orvane::MagData mag;
};

// One --option PATH=VALUE into the composition's option maps. False with a reason.
bool applyOption(const QString& item, Composition& c, const std::array<bool, 2>& sides,
                 const std::array<bool, 3>& tracks, QString& problem) {
    const int eq = item.indexOf(QLatin1Char('='));
    if (eq <= 0) {
        problem = QStringLiteral("'%1' is not PATH=VALUE").arg(item);
        return false;
    }
    const QStringList path = item.left(eq).split(QLatin1Char('/'));
    const QString text = item.mid(eq + 1);
    for (const QChar ch : text)
        if (ch.unicode() < 0x20 && ch != QLatin1Char('\t') && ch != QLatin1Char('\n')) {
            // XML cannot carry them: the header would no longer parse.
            problem =
                QStringLiteral("'%1': control characters cannot be stored").arg(item.left(eq));
            return false;
        }
    const std::string value = text.toStdString();
    static const QRegularExpression element(QStringLiteral("^[A-Za-z_][A-Za-z0-9._-]*$"));
    const QString name = path.last();
    if (!element.match(name).hasMatch()) {
        problem = QStringLiteral("'%1' is not an element name").arg(name);
        return false;
    }
    const std::string key = name.toStdString();
    const QString kind = path.first();
    if (kind == QLatin1String("card-options") && path.size() == 2) {
        c.options.cardOptions[key] = value;
        return true;
    }
    if (kind == QLatin1String("mag-options") && path.size() == 2) {
        if (!c.options.magOptions)
            c.options.magOptions.emplace();
        (*c.options.magOptions)[key] = value;
        return true;
    }
    if (kind == QLatin1String("track-options") && path.size() == 3) {
        bool ok = false;
        const int t = path.at(1).toInt(&ok);
        if (!ok || t < 1 || t > 3 || !tracks[std::size_t(t - 1)]) {
            problem = QStringLiteral("'%1': give a text for that track (--track1, --track2, "
                                     "--track3)")
                          .arg(item.left(eq));
            return false;
        }
        if (key == "num-bits") {
            problem = QStringLiteral("num-bits is counted from the track text");
            return false;
        }
        (*c.options.trackOptions[std::size_t(t - 1)])[key] = value;
        return true;
    }
    if (kind == QLatin1String("side-options") && path.size() == 4) {
        const QString side = path.at(1);
        const int s = side == QLatin1String("0") || side == QLatin1String("front")  ? 0
                      : side == QLatin1String("1") || side == QLatin1String("back") ? 1
                                                                                    : -1;
        if (s < 0 || !sides[std::size_t(s)]) {
            problem = QStringLiteral("'%1': the side must be 0 (front) or 1 (back) and have a "
                                     "picture")
                          .arg(item.left(eq));
            return false;
        }
        const QString panel = path.at(2);
        const int p = panel.size() == 1 ? Orvane::panelIndex(panel.at(0).toLatin1()) : -1;
        if (p < 0) {
            problem =
                QStringLiteral("'%1': the panel must be one of y, m, c, k, o").arg(item.left(eq));
            return false;
        }
        Orvane::PanelOptions& panels = *c.options.sides[std::size_t(s)];
        if (!panels[std::size_t(p)])
            panels[std::size_t(p)].emplace();
        (*panels[std::size_t(p)])[key] = value;
        return true;
    }
    problem = QStringLiteral("'%1' is not one of card-options/NAME, mag-options/NAME, "
                             "track-options/TRACK/NAME, side-options/SIDE/PANEL/NAME")
                  .arg(item.left(eq));
    return false;
}

// Card width or height from the card options: 0 or absent counts as the default.
bool cardSize(const Orvane::OptionMap& options, const char* key, unsigned fallback, unsigned low,
              unsigned high, unsigned& size, QString& problem) {
    size = fallback;
    const auto it = options.find(key);
    if (it == options.end())
        return true;
    bool ok = false;
    const unsigned v = QString::fromStdString(it->second).toUInt(&ok, 10);
    if (!ok || (v != 0 && (v < low || v > high))) {
        problem = QStringLiteral("card %1 '%2' is not a number from %3 to %4")
                      .arg(QLatin1String(key), QString::fromStdString(it->second))
                      .arg(low)
                      .arg(high);
        return false;
    }
    if (v != 0)
        size = v;
    return true;
}

// The composed job's sides as `render` writes them: the front to `path`, the back beside it.
bool writePreview(const Composition& c, const QString& path, bool hasBack) {
    std::vector<unsigned char> job;
    cli::offlinePrinter()->printCardToMem(c.options, c.images, c.mag, job);
    const std::unique_ptr<KlxPrnHolder> holder = KlxPrnHolder::fromBytes(
        QByteArray(reinterpret_cast<const char*>(job.data()), int(job.size())));
    const QString suffix = QFileInfo(path).suffix();
    const QString backPath =
        suffix.isEmpty() ? path + QStringLiteral("-back")
                         : path.chopped(suffix.size() + 1) + QStringLiteral("-back.") + suffix;
    for (int s = 0; s < (hasBack ? 2 : 1); ++s) {
        const QString out = s == 0 ? path : backPath;
        const QImage image = holder ? cli::sidePicture(*holder, s) : QImage();
        if (image.isNull() || !image.save(out)) {
            cli::err(QStringLiteral("kalyxprn compose: cannot write %1 (unknown image suffix or "
                                    "unwritable path)")
                         .arg(out));
            return false;
        }
        cli::out(QStringLiteral("wrote the %1 preview to %2")
                     .arg(s == 0 ? QStringLiteral("front") : QStringLiteral("back"), out));
    }
    return true;
}

bool panelIsDouble(const std::optional<Orvane::OptionMap>& panel) {
    if (!panel)
        return false;
    const auto it = panel->find("x-density");
    return it != panel->end() && QString::fromStdString(it->second).toUInt() == 600;
}

int runCompose(const QStringList& rawArgs) {
    QCommandLineParser parser;
    const QCommandLineOption front(QStringLiteral("front"),
                                   QStringLiteral("Picture for the front (any format Qt reads)."),
                                   QStringLiteral("PICTURE"));
    const QCommandLineOption back(QStringLiteral("back"), QStringLiteral("Picture for the back."),
                                  QStringLiteral("PICTURE"));
    const QCommandLineOption track1(QStringLiteral("track1"),
                                    QStringLiteral("ISO track 1 text (space to '_', sentinels "
                                                   "included, e.g. %B...?)."),
                                    QStringLiteral("TEXT"));
    const QCommandLineOption track2(QStringLiteral("track2"),
                                    QStringLiteral("ISO track 2 text ('0' to '?', e.g. ;...?)."),
                                    QStringLiteral("TEXT"));
    const QCommandLineOption track3(QStringLiteral("track3"), QStringLiteral("ISO track 3 text."),
                                    QStringLiteral("TEXT"));
    const QCommandLineOption option(
        QStringLiteral("option"),
        QStringLiteral("A job option (repeatable): card-options/NAME, mag-options/NAME, "
                       "track-options/TRACK/NAME or side-options/SIDE/PANEL/NAME (SIDE 0 or "
                       "1, PANEL one of y, m, c, k, o), e.g. card-options/num-copies=2."),
        QStringLiteral("PATH=VALUE"));
    const QCommandLineOption blackLevel(
        QStringLiteral("black-level"),
        QStringLiteral("Dots whose red, green and blue are all at most N print with black (K) "
                       "alone (default 0: only pure black)."),
        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write the job to this file."),
                                    QStringLiteral("OUT.prn"));
    const QCommandLineOption tcp(QStringLiteral("tcp"),
                                 QStringLiteral("Print on a printer on the network."),
                                 QStringLiteral("HOST[:PORT]"));
    const QCommandLineOption usb(QStringLiteral("usb"),
                                 QStringLiteral("Print on a USB printer (default: the first "
                                                "printer found)."),
                                 QStringLiteral("PATH"));
    const QCommandLineOption fit(
        QStringLiteral("fit"),
        QStringLiteral("How a picture of another shape meets the card: cover (fill the card, "
                       "cutting off what overflows, centred), contain (the whole picture with "
                       "white margins) or stretch (pulled to the card's shape)."),
        QStringLiteral("cover|contain|stretch"), QStringLiteral("cover"));
    const QCommandLineOption rotate(
        QStringLiteral("rotate"),
        QStringLiteral("Turn the pictures clockwise by this many degrees, after the orientation "
                       "their files record."),
        QStringLiteral("0|90|180|270"), QStringLiteral("0"));
    const QCommandLineOption preview(
        QStringLiteral("preview"),
        QStringLiteral("Also write the composed front as 'render' shows it to this picture file "
                       "(the format follows its suffix), and the back, if any, beside it with "
                       "'-back' before the suffix."),
        QStringLiteral("OUT.png"));
    parser.addOptions({front, back, track1, track2, track3, option, blackLevel, fit, rotate,
                       preview, output, tcp, usb});
    const QStringList args = cli::attachUsbPath(
        rawArgs,
        {QStringLiteral("front"), QStringLiteral("back"), QStringLiteral("track1"),
         QStringLiteral("track2"), QStringLiteral("track3"), QStringLiteral("option"),
         QStringLiteral("black-level"), QStringLiteral("fit"), QStringLiteral("rotate"),
         QStringLiteral("preview"), QStringLiteral("o"), QStringLiteral("output"),
         QStringLiteral("tcp")},
        0);
    int status = ExitSuccess;
    if (!cli::parse(
            parser, command,
            QStringLiteral("--front PICTURE [--back PICTURE] [--track1 TEXT] [--track2 TEXT] "
                           "[--track3 TEXT] [--option PATH=VALUE...] [--fit cover|contain|stretch] "
                           "[--rotate DEGREES] [--preview OUT.png] (-o OUT.prn | --tcp HOST[:PORT] "
                           "| --usb [PATH])"),
            QStringLiteral(
                "Makes a print job with the printer library: each picture is fitted to the card "
                "(cropped to fill it by default) and turned into Y, M, C and K planes (K for true "
                "black), and each track text "
                "is encoded in ISO cells with odd parity and an LRC. The job is written to a "
                "file or sent to a printer.\n\nThe library "
                "writes track data after the planes, while kalyxprntool and 'kalyxprn check' "
                "read track data first: a job with tracks prints as composed but does not load "
                "as the same job there.\n\n") +
                cli::jobWrittenHelp(),
            args, status))
        return status;
    if (!parser.positionalArguments().isEmpty())
        return cli::usageError(
            command,
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    if (!parser.isSet(front))
        return cli::usageError(command, QStringLiteral("--front PICTURE is required"));
    bool ok = false;
    const int targets = int(parser.isSet(output)) + int(parser.isSet(tcp)) + int(parser.isSet(usb));
    if (targets > 1 || (targets == 0 && !parser.isSet(preview)))
        return cli::usageError(command, QStringLiteral("give exactly one of -o, --tcp, --usb"));
    cli::Fit fitting = cli::Fit::Cover;
    if (!cli::parseFit(parser.value(fit), fitting))
        return cli::usageError(command, QStringLiteral("--fit takes cover, contain or stretch"));
    const int degrees = parser.value(rotate).toInt(&ok, 10);
    if (!ok || degrees < 0 || degrees % 90 != 0 || degrees >= 360)
        return cli::usageError(command, QStringLiteral("--rotate takes 0, 90, 180 or 270"));
    const unsigned black = parser.value(blackLevel).toUInt(&ok, 10);
    if (!ok || black > 255)
        return cli::usageError(command, QStringLiteral("--black-level takes 0 to 255"));
    cli::TcpAddress address;
    if (parser.isSet(tcp) && !cli::parseTcpAddress(command, parser.value(tcp), address))
        return ExitUsage;

    Composition c;
    const std::array<bool, 2> sides{true, parser.isSet(back)};
    const QCommandLineOption* trackOptions[3] = {&track1, &track2, &track3};
    std::array<bool, 3> tracks{};
    for (int t = 0; t < 3; ++t)
        tracks[std::size_t(t)] = parser.isSet(*trackOptions[t]);
    for (int s = 0; s < 2; ++s)
        if (sides[std::size_t(s)]) {
            Orvane::PanelOptions panels;
            for (int p = 0; p < 4; ++p)
                panels[std::size_t(p)].emplace();
            c.options.sides[std::size_t(s)] = panels;
        }
    c.options.cardOptions = {{"image-format", "orvane"}};
    for (int t = 0; t < 3; ++t)
        if (tracks[std::size_t(t)])
            c.options.trackOptions[std::size_t(t)] = Orvane::OptionMap{{"bpi", defaultBpi[t]}};
    if (tracks[0] || tracks[1] || tracks[2])
        c.options.magOptions.emplace();
    for (const QString& item : parser.values(option)) {
        QString problem;
        if (!applyOption(item, c, sides, tracks, problem))
            return cli::usageError(command, QStringLiteral("--option ") + problem);
    }

    QString problem;
    unsigned width = 0, height = 0;
    if (!cardSize(c.options.cardOptions, "width", defaultWidth, minWidth, maxWidth, width,
                  problem) ||
        !cardSize(c.options.cardOptions, "height", defaultHeight, 1, maxHeight, height, problem)) {
        cli::err(QStringLiteral("kalyxprn compose: ") + problem);
        return ExitFailure;
    }
    c.options.cardOptions.emplace("width", std::to_string(width));
    c.options.cardOptions.emplace("height", std::to_string(height));

    for (int t = 0; t < 3; ++t) {
        if (!tracks[std::size_t(t)])
            continue;
        if (!cli::encodeIsoTrack(t + 1, parser.value(*trackOptions[t]),
                                 c.mag.tracks[std::size_t(t)], problem)) {
            cli::err(QStringLiteral("kalyxprn compose: ") + problem);
            return ExitFailure;
        }
    }
    const QCommandLineOption* pictures[2] = {&front, &back};
    for (int s = 0; s < 2; ++s) {
        if (!sides[std::size_t(s)])
            continue;
        const cli::CardPicture picture = cli::readCardPicture(
            parser.value(*pictures[s]), QSize(int(width), int(height)), fitting, degrees / 90);
        if (picture.image.isNull()) {
            cli::err(QStringLiteral("kalyxprn compose: ") + picture.problem);
            return ExitFailure;
        }
        if (!picture.cutOff.isNull())
            cli::err(QStringLiteral("kalyxprn compose: note: %1 is cropped to fill the card: %2 "
                                    "columns and %3 rows cut off (--fit contain keeps it whole)")
                         .arg(parser.value(*pictures[s]))
                         .arg(picture.cutOff.width())
                         .arg(picture.cutOff.height()));
        const bool doubleK = panelIsDouble((*c.options.sides[std::size_t(s)])[Orvane::PanelK]);
        cli::toPlanes(picture.image, black, doubleK, c.images.planes[std::size_t(s)]);
    }

    const bool hasTracks = tracks[0] || tracks[1] || tracks[2];
    if (hasTracks)
        cli::err(QStringLiteral(
            "kalyxprn compose: note: the job carries its track data after the planes, as the "
            "printer library lays jobs out; kalyxprntool reads track data before the planes, so "
            "it will not show this job's tracks or pictures as composed"));

    if (parser.isSet(preview) && !writePreview(c, parser.value(preview), sides[1]))
        return ExitFailure;
    if (targets == 0)
        return ExitSuccess;
    if (parser.isSet(output)) {
        std::vector<unsigned char> job;
        cli::offlinePrinter()->printCardToMem(c.options, c.images, c.mag, job);
        QSaveFile file(parser.value(output));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(job.data()), qint64(job.size())) !=
                qint64(job.size()) ||
            !file.commit()) {
            cli::err(QStringLiteral("kalyxprn compose: cannot write %1").arg(parser.value(output)));
            return ExitFailure;
        }
        cli::out(QStringLiteral("wrote %1 bytes to %2").arg(job.size()).arg(parser.value(output)));
        return ExitSuccess;
    }
    const Orvane::Comms comms;
    cli::OpenedPrinter target = parser.isSet(tcp)
                                    ? cli::openTcpPrinter(comms, command, address)
                                    : cli::openUsbPrinter(comms, command, parser.value(usb));
    if (!target.printer)
        return ExitFailure;
    if (!target.printer->printCard(c.options, c.images, c.mag))
        return cli::reportSendFailure(command, target);
    cli::sayJobWritten(QStringLiteral("sent the job to %1").arg(target.name),
                       (parser.isSet(tcp) ? QStringLiteral("--tcp ") : QStringLiteral("--usb ")) +
                           target.name);
    return ExitSuccess;
}

} // namespace

std::vector<Command> composeCommands() {
    return {
        {"compose", "make a job from pictures and track texts and print or save it", runCompose}};
}
