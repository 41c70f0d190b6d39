// compose: a print job made by the printer library from ordinary pictures and ISO track texts.
#include "CliSupport.h"
#include "Command.h"
#include "JobChecks.h"
#include "JobDelivery.h"
#include "KeyValue.h"
#include "MagTracks.h"
#include "OptionCheck.h"
#include "PictureToPlanes.h"
#include "PrinterTarget.h"
#include "SidePicture.h"
#include <kalyxdocument/PictureLoading.h>

#include <kalyxdocument/FileReplacement.h>

#include <kalyxcomms/Comms.h>
#include <kalyxcomms/Printer.h>

#include <prnformat/Panels.h>

#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>

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

// One --option item taken apart: PATH=VALUE with the path split at '/'.
struct OptionItem {
    QString pathText; // PATH as given, for messages
    QStringList path;
    std::string name; // the option's element name: the last part of the path
    std::string value;
};

bool parseOptionItem(const QString& item, OptionItem& parsed, QString& problem) {
    QString text;
    if (!cli::splitKeyValue(item, parsed.pathText, text)) {
        problem = QStringLiteral("'%1' is not PATH=VALUE").arg(cli::shown(item));
        return false;
    }
    // The full path, as `get` and `set` take it, names the same option.
    static const QString card = QStringLiteral("/prn/card/");
    parsed.path = parsed.pathText.mid(parsed.pathText.startsWith(card) ? card.size() : 0)
                      .split(QLatin1Char('/'));
    for (const QChar ch : text)
        if (ch.unicode() < 0x20 && ch != QLatin1Char('\t') && ch != QLatin1Char('\n')) {
            // XML cannot carry them: the header would no longer parse.
            problem =
                QStringLiteral("'%1': control characters cannot be stored").arg(parsed.pathText);
            return false;
        }
    parsed.value = text.toStdString();
    const QString name = parsed.path.last();
    if (!cli::isElementName(name)) {
        problem = QStringLiteral("'%1' is not an element name").arg(name);
        return false;
    }
    parsed.name = name.toStdString();
    return true;
}

// track-options/TRACK/NAME, for a track that has a text.
bool setTrackOption(const OptionItem& item, Composition& c, const std::array<bool, 3>& tracks,
                    QString& problem) {
    bool ok = false;
    const int t = item.path.at(1).toInt(&ok);
    if (!ok || t < 1 || t > 3 || !tracks[std::size_t(t - 1)]) {
        problem = QStringLiteral("'%1': give a text for that track (--track1, --track2, "
                                 "--track3)")
                      .arg(item.pathText);
        return false;
    }
    if (item.name == "num-bits") {
        problem = QStringLiteral("num-bits is counted from the track text");
        return false;
    }
    (*c.options.trackOptions[std::size_t(t - 1)])[item.name] = item.value;
    return true;
}

// side-options/SIDE/PANEL/NAME, for a side that has a picture.
bool setPanelOption(const OptionItem& item, Composition& c, const std::array<bool, 2>& sides,
                    QString& problem) {
    const QString side = item.path.at(1);
    const int s = side == QLatin1String("0") || side == QLatin1String("front")  ? 0
                  : side == QLatin1String("1") || side == QLatin1String("back") ? 1
                                                                                : -1;
    if (s < 0 || !sides[std::size_t(s)]) {
        problem = QStringLiteral("'%1': the side must be 0 (front) or 1 (back) and have a "
                                 "picture")
                      .arg(item.pathText);
        return false;
    }
    const QString panel = item.path.at(2);
    const int p = panel.size() == 1 ? Orvane::panelIndex(panel.at(0).toLatin1()) : -1;
    if (p < 0) {
        problem = QStringLiteral("'%1': the panel must be one of y, m, c, k, o").arg(item.pathText);
        return false;
    }
    Orvane::PanelOptions& panels = *c.options.sides[std::size_t(s)];
    if (!panels[std::size_t(p)])
        panels[std::size_t(p)].emplace();
    (*panels[std::size_t(p)])[item.name] = item.value;
    return true;
}

// An --option item against the editor's table of options.
bool checkOptionValue(const OptionItem& item, bool force, QString& problem) {
    const QString kind = item.path.first();
    const QString group =
        kind == QLatin1String("side-options") ? QStringLiteral("panel-options") : kind;
    const char panel = kind == QLatin1String("side-options") && item.path.size() == 4 &&
                               item.path.at(2).size() == 1
                           ? item.path.at(2).at(0).toLatin1()
                           : 0;
    return cli::checkOptionValue(QStringLiteral("compose"), group, panel,
                                 QString::fromStdString(item.name), item.pathText,
                                 QString::fromStdString(item.value), force, problem);
}

// One --option PATH=VALUE into the composition's option maps. False with a reason.
bool applyOption(const QString& text, Composition& c, const std::array<bool, 2>& sides,
                 const std::array<bool, 3>& tracks, bool force, QString& problem) {
    OptionItem item;
    if (!parseOptionItem(text, item, problem) || !checkOptionValue(item, force, problem))
        return false;
    const QString kind = item.path.first();
    if (kind == QLatin1String("card-options") && item.path.size() == 2) {
        c.options.cardOptions[item.name] = item.value;
        return true;
    }
    if (kind == QLatin1String("mag-options") && item.path.size() == 2) {
        if (!c.options.magOptions)
            c.options.magOptions.emplace();
        (*c.options.magOptions)[item.name] = item.value;
        return true;
    }
    if (kind == QLatin1String("track-options") && item.path.size() == 3)
        return setTrackOption(item, c, tracks, problem);
    if (kind == QLatin1String("side-options") && item.path.size() == 4)
        return setPanelOption(item, c, sides, problem);
    problem = QStringLiteral("'%1' is not one of card-options/NAME, mag-options/NAME, "
                             "track-options/TRACK/NAME, side-options/SIDE/PANEL/NAME")
                  .arg(item.pathText);
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

bool panelIsDouble(const std::optional<Orvane::OptionMap>& panel) {
    if (!panel)
        return false;
    const auto it = panel->find("x-density");
    return it != panel->end() && QString::fromStdString(it->second).toUInt() == 600;
}

// The options of compose, declared once for the parser and for the code that reads them.
struct ComposeOptions {
    const QCommandLineOption front{QStringLiteral("front"),
                                   QStringLiteral("Picture for the front (any format Qt reads)."),
                                   QStringLiteral("PICTURE")};
    const QCommandLineOption back{QStringLiteral("back"), QStringLiteral("Picture for the back."),
                                  QStringLiteral("PICTURE")};
    const QCommandLineOption track1{QStringLiteral("track1"),
                                    QStringLiteral("ISO track 1 text (space to '_', sentinels "
                                                   "included, e.g. %B...?)."),
                                    QStringLiteral("TEXT")};
    const QCommandLineOption track2{QStringLiteral("track2"),
                                    QStringLiteral("ISO track 2 text ('0' to '?', e.g. ;...?)."),
                                    QStringLiteral("TEXT")};
    const QCommandLineOption track3{QStringLiteral("track3"), QStringLiteral("ISO track 3 text."),
                                    QStringLiteral("TEXT")};
    const QCommandLineOption option{
        QStringLiteral("option"),
        QStringLiteral("A job option (repeatable): card-options/NAME, mag-options/NAME, "
                       "track-options/TRACK/NAME or side-options/SIDE/PANEL/NAME (SIDE 0 or "
                       "1, PANEL one of y, m, c, k, o), e.g. card-options/num-copies=2; the "
                       "full path as 'get' takes it (/prn/card/card-options/num-copies=2) too."),
        QStringLiteral("PATH=VALUE")};
    const QCommandLineOption blackLevel{
        QStringLiteral("black-level"),
        QStringLiteral("Dots whose red, green and blue are all at most N print with black (K) "
                       "alone (default 0: only pure black)."),
        QStringLiteral("N"), QStringLiteral("0")};
    const QCommandLineOption fit{
        QStringLiteral("fit"),
        QStringLiteral("How a picture of another shape meets the card: cover (fill the card, "
                       "cutting off what overflows, centred), contain (the whole picture with "
                       "white margins) or stretch (pulled to the card's shape)."),
        QStringLiteral("cover|contain|stretch"), QStringLiteral("cover")};
    const QCommandLineOption rotate{
        QStringLiteral("rotate"),
        QStringLiteral("Turn the pictures clockwise by this many degrees, after the orientation "
                       "their files record."),
        QStringLiteral("0|90|180|270"), QStringLiteral("0")};
    const QCommandLineOption preview{
        QStringLiteral("preview"),
        QStringLiteral("Also write the composed front as 'render' shows it to this picture file "
                       "(the format follows its suffix), and the back, if any, beside it with "
                       "'-back' before the suffix."),
        QStringLiteral("OUT.png")};
    const QCommandLineOption force{QStringLiteral("force"),
                                   QStringLiteral("Take --option values outside the option's "
                                                  "range anyway.")};
    const QCommandLineOption output{QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write the job to this file."),
                                    QStringLiteral("OUT.prn")};
    const QCommandLineOption tcp{QStringLiteral("tcp"),
                                 QStringLiteral("Print on a printer on the network."),
                                 QStringLiteral("HOST[:PORT]")};
    const QCommandLineOption usb{QStringLiteral("usb"),
                                 QStringLiteral("Print on a USB printer (default: the first "
                                                "printer found)."),
                                 QStringLiteral("PATH")};

    QList<QCommandLineOption> all() const {
        return {front, back,   track1,  track2, track3, option, blackLevel,
                fit,   rotate, preview, force,  output, tcp,    usb};
    }
    // The options that take a value, for telling a --usb PATH from the next option's value.
    QStringList takingValues() const {
        return {QStringLiteral("front"),       QStringLiteral("back"),   QStringLiteral("track1"),
                QStringLiteral("track2"),      QStringLiteral("track3"), QStringLiteral("option"),
                QStringLiteral("black-level"), QStringLiteral("fit"),    QStringLiteral("rotate"),
                QStringLiteral("preview"),     QStringLiteral("o"),      QStringLiteral("output"),
                QStringLiteral("tcp")};
    }
    std::array<const QCommandLineOption*, 2> pictures() const { return {&front, &back}; }
    std::array<const QCommandLineOption*, 3> trackTexts() const {
        return {&track1, &track2, &track3};
    }
};

// Parses the arguments and checks what the parser cannot. False with `status` set when compose
// stops here (help shown or a usage error).
// How the pictures are made into card pictures.
struct PictureChoice {
    unsigned black = 0;
    kalyxpicture::Fit fit = kalyxpicture::Fit::Cover;
    int quarterTurns = 0;
};

bool parseCompose(QCommandLineParser& parser, const ComposeOptions& o, const QStringList& rawArgs,
                  PictureChoice& pictures, cli::TcpAddress& address, int& status) {
    parser.addOptions(o.all());
    const QStringList args = cli::attachUsbPath(rawArgs, o.takingValues(), 0);
    if (!cli::parse(
            parser, command,
            QStringLiteral("--front PICTURE [--back PICTURE] [--track1 TEXT] [--track2 TEXT] "
                           "[--track3 TEXT] [--option PATH=VALUE...] [--fit cover|contain|stretch] "
                           "[--rotate DEGREES] [--preview OUT.png] (-o OUT.prn | --tcp HOST[:PORT] "
                           "| --usb [PATH])"),
            QStringLiteral(
                "Makes a print job with the printer library: each picture is fitted to the card "
                "(cropped to fill it by default) and turned into Y, M, C and K planes (K for true "
                "black), and each track text is encoded in ISO cells with odd parity and an LRC. "
                "The job is written to a file or sent to a printer; --preview alone only shows "
                "it.\n\n") +
                cli::jobWrittenHelp(),
            args, status))
        return false;
    if (!parser.positionalArguments().isEmpty()) {
        status = cli::usageError(
            command,
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
        return false;
    }
    if (!parser.isSet(o.front)) {
        status = cli::usageError(command, QStringLiteral("--front PICTURE is required"));
        return false;
    }
    const int targets =
        int(parser.isSet(o.output)) + int(parser.isSet(o.tcp)) + int(parser.isSet(o.usb));
    if (targets > 1 || (targets == 0 && !parser.isSet(o.preview))) {
        status = cli::usageError(command, QStringLiteral("give exactly one of -o, --tcp, --usb"));
        return false;
    }
    if (!kalyxpicture::parseFit(parser.value(o.fit), pictures.fit)) {
        status = cli::usageError(command, QStringLiteral("--fit takes cover, contain or stretch"));
        return false;
    }
    bool ok = false;
    const int degrees = parser.value(o.rotate).toInt(&ok, 10);
    if (!ok || degrees < 0 || degrees % 90 != 0 || degrees >= 360) {
        status = cli::usageError(command, QStringLiteral("--rotate takes 0, 90, 180 or 270"));
        return false;
    }
    pictures.quarterTurns = degrees / 90;
    const unsigned black = parser.value(o.blackLevel).toUInt(&ok, 10);
    pictures.black = black;
    if (!ok || black > 255) {
        status = cli::usageError(command, QStringLiteral("--black-level takes 0 to 255"));
        return false;
    }
    if (parser.isSet(o.tcp) && !cli::parseTcpAddress(command, parser.value(o.tcp), address)) {
        status = ExitUsage;
        return false;
    }
    return true;
}

// The job before the user's options: every colour panel of each side that has a picture, the
// ISO density of each track that has a text.
Composition startComposition(const std::array<bool, 2>& sides, const std::array<bool, 3>& tracks) {
    Composition c;
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
    return c;
}

// The card size the options ask for, defaults filled in and written back into the options.
bool settleCardSize(Composition& c, unsigned& width, unsigned& height, QString& problem) {
    if (!cardSize(c.options.cardOptions, "width", defaultWidth, minWidth, maxWidth, width,
                  problem) ||
        !cardSize(c.options.cardOptions, "height", defaultHeight, 1, maxHeight, height, problem))
        return false;
    c.options.cardOptions.emplace("width", std::to_string(width));
    c.options.cardOptions.emplace("height", std::to_string(height));
    return true;
}

bool encodeTracks(const QCommandLineParser& parser, const ComposeOptions& o,
                  const std::array<bool, 3>& tracks, Composition& c, QString& problem) {
    for (int t = 0; t < 3; ++t)
        if (tracks[std::size_t(t)] &&
            !cli::encodeIsoTrack(t + 1, parser.value(*o.trackTexts()[std::size_t(t)]),
                                 c.mag.tracks[std::size_t(t)], problem))
            return false;
    return true;
}

bool drawPlanes(const QCommandLineParser& parser, const ComposeOptions& o,
                const std::array<bool, 2>& sides, unsigned width, unsigned height,
                const PictureChoice& choice, Composition& c, QString& problem) {
    for (int s = 0; s < 2; ++s) {
        if (!sides[std::size_t(s)])
            continue;
        const QString path = parser.value(*o.pictures()[std::size_t(s)]);
        const kalyxpicture::CardPicture picture = kalyxpicture::readCardPicture(
            path, QSize(int(width), int(height)), choice.fit, choice.quarterTurns);
        if (picture.image.isNull()) {
            problem = picture.problem;
            return false;
        }
        if (!picture.cutOff.isNull())
            cli::err(QStringLiteral("kalyxprn compose: note: %1 is cropped to fill the card: %2 "
                                    "columns and %3 rows cut off (--fit contain keeps it whole)")
                         .arg(path)
                         .arg(picture.cutOff.width())
                         .arg(picture.cutOff.height()));
        const bool doubleK = panelIsDouble((*c.options.sides[std::size_t(s)])[Orvane::PanelK]);
        cli::toPlanes(picture.image, choice.black, doubleK, c.images.planes[std::size_t(s)]);
    }
    return true;
}

// The composed job's sides as `render` writes them: the front to `path`, the back beside it.
bool writePreview(const Composition& c, const QString& path, bool hasBack) {
    // Standard output holds one picture.
    if (cli::isStandardOutput(path) && hasBack) {
        cli::err(QStringLiteral("kalyxprn compose: --preview - shows one side; name a file for a "
                                "card with a back"));
        return false;
    }
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
        QString reason = QStringLiteral("the composed job does not read back");
        if (image.isNull() || !cli::writeImage(out, image, reason)) {
            cli::err(QStringLiteral("kalyxprn compose: cannot write %1: %2")
                         .arg(cli::shown(out), reason));
            return false;
        }
        const QString note =
            QStringLiteral("wrote the %1 preview to %2")
                .arg(s == 0 ? QStringLiteral("front") : QStringLiteral("back"), cli::shown(out));
        cli::isStandardOutput(out) ? cli::err(note) : cli::out(note);
    }
    return true;
}

int saveComposition(const Composition& c, const QString& path) {
    std::vector<unsigned char> job;
    cli::offlinePrinter()->printCardToMem(c.options, c.images, c.mag, job);
    QString reason;
    if (!cli::writeOutput(
            path, QByteArray(reinterpret_cast<const char*>(job.data()), int(job.size())), reason)) {
        cli::err(
            QStringLiteral("kalyxprn compose: cannot write %1: %2").arg(cli::shown(path), reason));
        return ExitFailure;
    }
    // Standard output holds the job itself; the note goes beside it.
    const QString note = QStringLiteral("wrote %1 bytes to %2").arg(job.size()).arg(path);
    cli::isStandardOutput(path) ? cli::err(note) : cli::out(note);
    return ExitSuccess;
}

int printComposition(const Composition& c, const QCommandLineParser& parser,
                     const ComposeOptions& o, const cli::TcpAddress& address) {
    const Orvane::Comms comms;
    cli::OpenedPrinter target = parser.isSet(o.tcp)
                                    ? cli::openTcpPrinter(comms, command, address)
                                    : cli::openUsbPrinter(comms, command, parser.value(o.usb));
    if (!target.printer)
        return ExitFailure;
    if (const int refused = cli::checkBeforeJob(command, target))
        return refused;
    if (!target.printer->printCard(c.options, c.images, c.mag))
        return cli::reportSendFailure(command, target);
    if (const int stopped = cli::checkAfterJob(command, target)) {
        target.printer->close();
        return stopped;
    }
    // Written is not taken: close() hears whether the printer kept the job or reset over it.
    if (!target.printer->close())
        return cli::reportSendFailure(command, target);
    cli::sayJobWritten(QStringLiteral("sent the job to %1").arg(target.name),
                       (parser.isSet(o.tcp) ? QStringLiteral("--tcp ") : QStringLiteral("--usb ")) +
                           target.name);
    return ExitSuccess;
}

} // namespace

int runCompose(const QStringList& rawArgs) {
    const ComposeOptions o;
    QCommandLineParser parser;
    PictureChoice pictures;
    cli::TcpAddress address;
    int status = ExitSuccess;
    if (!parseCompose(parser, o, rawArgs, pictures, address, status))
        return status;

    const std::array<bool, 2> sides{true, parser.isSet(o.back)};
    std::array<bool, 3> tracks{};
    for (int t = 0; t < 3; ++t)
        tracks[std::size_t(t)] = parser.isSet(*o.trackTexts()[std::size_t(t)]);
    Composition c = startComposition(sides, tracks);
    for (const QString& item : parser.values(o.option)) {
        QString problem;
        if (!applyOption(item, c, sides, tracks, parser.isSet(o.force), problem))
            return cli::usageError(command, QStringLiteral("--option ") + problem);
    }

    QString problem;
    unsigned width = 0, height = 0;
    if (!settleCardSize(c, width, height, problem) ||
        !encodeTracks(parser, o, tracks, c, problem) ||
        !drawPlanes(parser, o, sides, width, height, pictures, c, problem)) {
        cli::err(QStringLiteral("kalyxprn compose: ") + problem);
        return ExitFailure;
    }
    if (parser.isSet(o.preview) && cli::isStandardOutput(parser.value(o.preview)) &&
        cli::isStandardOutput(parser.value(o.output)))
        return cli::usageError(QStringLiteral("compose"),
                               QStringLiteral("the preview and the job cannot both go to standard "
                                              "output"));
    if (parser.isSet(o.preview) && !writePreview(c, parser.value(o.preview), sides[1]))
        return ExitFailure;
    if (!parser.isSet(o.output) && !parser.isSet(o.tcp) && !parser.isSet(o.usb))
        return ExitSuccess;
    return parser.isSet(o.output) ? saveComposition(c, parser.value(o.output))
                                  : printComposition(c, parser, o, address);
}
