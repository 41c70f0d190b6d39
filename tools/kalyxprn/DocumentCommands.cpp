// Document commands: everything here goes through KlxPrnHolder, so the tool reports what the
// window shows.
#include "BlockOrderText.h"
#include "CliSupport.h"
#include "Command.h"
#include "JobFile.h"
#include "OptionCheck.h"
#include "SidePicture.h"

#include <kalyxdocument/FileReplacement.h>
#include <kalyxdocument/KlxPrnHolder.h>
#include <kalyxdocument/OptionTable.h>
#include <kalyxdocument/PrnJobBuilder.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonObject>

#include <cstring>
#include <memory>

namespace {

// Malformed paths are a usage error; a path that cannot select nodes (such as "1+1") too.
bool checkXPath(const QString& command, const std::string& xpath, int& status) {
    const QString problem = KlxPrnHolder::xpathProblem(xpath);
    if (problem.isEmpty())
        return true;
    status =
        cli::usageError(command, QStringLiteral("invalid XPath '") + QString::fromStdString(xpath) +
                                     QStringLiteral("': ") + problem);
    return false;
}

// Sizes and densities that were not given (0) are null in JSON.
QJsonValue numberOrNull(qint64 value) {
    return value == 0 ? QJsonValue() : QJsonValue(value);
}

QJsonValue textOrNull(const QString& text) {
    return text.isNull() ? QJsonValue() : QJsonValue(text);
}

} // namespace

// ---- check ----------------------------------------------------------------------------------

int runCheck(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("PRN job files."),
                                 QStringLiteral("FILE..."));
    int status = ExitSuccess;
    if (!cli::parse(parser, QStringLiteral("check"), QStringLiteral("[--json] FILE..."),
                    QStringLiteral("Loads and validates each job as the window does and prints "
                                   "one line per file: 'FILE: valid', 'FILE: invalid for "
                                   "printing: REASON' for a job that printers would drop (a "
                                   "wrong checksum, a header over 1 MiB) or 'FILE: invalid: "
                                   "MESSAGES'. For a job with tracks the line ends with the block "
                                   "order it was read in, '(read tracks first)' or '(read planes "
                                   "first)': the tracks are read at both places and planes first "
                                   "is taken only when they read cleanly there alone ('info' "
                                   "says why)."),
                    args, status))
        return status;
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return cli::usageError(QStringLiteral("check"), QStringLiteral("no file given"));

    QJsonArray objects;
    for (const QString& file : files) {
        const cli::LoadedJob job = cli::loadJob(file);
        const bool valid = job.holder->isValid();
        const QString printProblem = valid ? job.holder->problemForPrinting() : QString();
        if (!valid || !printProblem.isEmpty())
            status = ExitFailure;
        if (parser.isSet(json)) {
            objects.append(
                QJsonObject{{QStringLiteral("file"), file},
                            {QStringLiteral("valid"), valid},
                            {QStringLiteral("printable"), valid && printProblem.isEmpty()},
                            {QStringLiteral("printProblem"),
                             printProblem.isEmpty() ? QJsonValue() : QJsonValue(printProblem)},
                            {QStringLiteral("messages"), QJsonArray::fromStringList(job.messages)},
                            {QStringLiteral("cardWidth"), numberOrNull(job.holder->cardWidth())},
                            {QStringLiteral("cardHeight"), numberOrNull(job.holder->cardHeight())},
                            {QStringLiteral("blockOrder"),
                             cli::blockOrderJson(job.holder->recognisedBlockOrder())}});
            continue;
        }
        QString line =
            cli::shown(file) + (valid ? QStringLiteral(": valid") : QStringLiteral(": invalid"));
        QStringList messages = job.messages;
        if (!valid && messages.isEmpty())
            messages << QStringLiteral("Couldn't parse PRN file.");
        if (!printProblem.isEmpty()) {
            line = cli::shown(file) + QStringLiteral(": invalid for printing");
            messages = QStringList{printProblem};
        }
        if (!messages.isEmpty())
            line += QStringLiteral(": ") + cli::shown(messages.join(QStringLiteral("; ")));
        const QJsonValue order = cli::blockOrderJson(job.holder->recognisedBlockOrder());
        if (order.isString())
            line += QStringLiteral(" (read %1)").arg(order.toString().replace('-', ' '));
        cli::out(line);
    }
    if (parser.isSet(json)) {
        if (objects.size() == 1)
            cli::outJson(objects.first().toObject());
        else
            cli::outJson(objects);
    }
    return status;
}

namespace {

// ---- info -----------------------------------------------------------------------------------

// What info reports of one loaded job, gathered once for both the text and the JSON form.
struct JobLayout {
    const QString& file;
    const cli::LoadedJob& job;
    const KlxPrnHolder& holder;
    bool parsed;      // the header was read, so blocks, binary-size and time mean something
    bool hasChecksum; // the file is long enough to end in one
    std::vector<KlxPrnBlock> blocks;
    QString binarySize; // null when absent
    QString time;       // null when absent

    JobLayout(const QString& file, const cli::LoadedJob& job)
        : file(file), job(job), holder(*job.holder), parsed(holder.binaryOffset() > 0),
          hasChecksum(holder.rawBytes().size() >= 4), blocks(holder.blocks()),
          binarySize(parsed ? holder.nodeText("/prn/binary-size") : QString()),
          time(parsed ? holder.nodeText("/prn/time") : QString()) {}

    bool listsSide(int side) const { return parsed && holder.hasSide(side); }
    bool isPlaneOf(const KlxPrnBlock& b, int side) const {
        return b.kind == KlxPrnBlock::Plane && b.side == side;
    }
};

QJsonArray sidesJson(const JobLayout& layout) {
    QJsonArray sides;
    for (int s = 0; s < 2; ++s) {
        if (!layout.listsSide(s))
            continue;
        QJsonArray panels;
        for (const KlxPrnBlock& b : layout.blocks)
            if (layout.isPlaneOf(b, s))
                panels.append(QJsonObject{{QStringLiteral("panel"), QString(QLatin1Char(b.panel))},
                                          {QStringLiteral("xDensity"), numberOrNull(b.xDensity)},
                                          {QStringLiteral("offset"), qint64(b.offset)},
                                          {QStringLiteral("size"), qint64(b.size)}});
        if (layout.holder.hasPanel(s, 'o'))
            panels.append(QJsonObject{{QStringLiteral("panel"), QStringLiteral("o")},
                                      {QStringLiteral("offset"), QJsonValue()},
                                      {QStringLiteral("size"), 0}});
        sides.append(QJsonObject{{QStringLiteral("side"), s}, {QStringLiteral("panels"), panels}});
    }
    return sides;
}

QJsonArray tracksJson(const JobLayout& layout) {
    QJsonArray tracks;
    for (const KlxPrnBlock& b : layout.blocks)
        if (b.kind == KlxPrnBlock::Track)
            tracks.append(QJsonObject{{QStringLiteral("track"), b.track},
                                      {QStringLiteral("numBits"), qint64(b.numBits)},
                                      {QStringLiteral("bpi"), qint64(b.bpi)},
                                      {QStringLiteral("offset"), qint64(b.offset)},
                                      {QStringLiteral("size"), qint64(b.size)}});
    return tracks;
}

QJsonObject infoJson(const JobLayout& layout) {
    const KlxPrnHolder& h = layout.holder;
    const QJsonObject checksum{
        {QStringLiteral("stored"),
         layout.hasChecksum ? QJsonValue(qint64(h.storedChecksum())) : QJsonValue()},
        {QStringLiteral("computed"),
         layout.hasChecksum ? QJsonValue(qint64(h.computedChecksum())) : QJsonValue()},
        {QStringLiteral("matches"), h.checksumMatches()}};
    return QJsonObject{
        {QStringLiteral("file"), layout.file},
        {QStringLiteral("valid"), h.isValid()},
        {QStringLiteral("messages"), QJsonArray::fromStringList(layout.job.messages)},
        {QStringLiteral("cardWidth"), numberOrNull(h.cardWidth())},
        {QStringLiteral("cardHeight"), numberOrNull(h.cardHeight())},
        {QStringLiteral("sides"), sidesJson(layout)},
        {QStringLiteral("tracks"), tracksJson(layout)},
        {QStringLiteral("blockOrder"), cli::blockOrderJson(h.recognisedBlockOrder())},
        {QStringLiteral("blockOrderReason"), cli::blockOrderReasonJson(h.recognisedBlockOrder())},
        {QStringLiteral("binarySize"), textOrNull(layout.binarySize)},
        {QStringLiteral("time"), textOrNull(layout.time)},
        {QStringLiteral("checksum"), checksum}};
}

QStringList sideLines(const JobLayout& layout, int side) {
    QStringList lines{QStringLiteral("side %1:").arg(side)};
    for (const KlxPrnBlock& b : layout.blocks)
        if (layout.isPlaneOf(b, side))
            lines << QStringLiteral("  panel %1: x-density %2, offset %3, size %4")
                         .arg(QLatin1Char(b.panel))
                         .arg(b.xDensity ? QString::number(b.xDensity) : QStringLiteral("(none)"))
                         .arg(b.offset)
                         .arg(b.size);
    if (layout.holder.hasPanel(side, 'o'))
        lines << QStringLiteral("  panel o: overlay, no data");
    return lines;
}

QString checksumLine(const KlxPrnHolder& h) {
    auto hex = [](quint32 v) { return QStringLiteral("0x%1").arg(v, 8, 16, QLatin1Char('0')); };
    return QStringLiteral("checksum: stored %1, computed %2 (%3)")
        .arg(hex(h.storedChecksum()), hex(h.computedChecksum()),
             h.checksumMatches() ? QStringLiteral("ok") : QStringLiteral("mismatch"));
}

QStringList infoLines(const JobLayout& layout) {
    const KlxPrnHolder& h = layout.holder;
    QStringList lines;
    lines << QStringLiteral("file: ") + cli::shown(layout.file);
    lines << QStringLiteral("valid: ") +
                 (h.isValid() ? QStringLiteral("yes") : QStringLiteral("no"));
    for (const QString& m : layout.job.messages)
        lines << QStringLiteral("message: ") + cli::shown(m);
    if (h.cardWidth() != 0)
        lines << QStringLiteral("card: %1 x %2 dots").arg(h.cardWidth()).arg(h.cardHeight());
    for (int s = 0; s < 2; ++s)
        if (layout.listsSide(s))
            lines << sideLines(layout, s);
    for (const KlxPrnBlock& b : layout.blocks)
        if (b.kind == KlxPrnBlock::Track)
            lines << QStringLiteral("track %1: num-bits %2, bpi %3, offset %4, size %5")
                         .arg(b.track)
                         .arg(b.numBits)
                         .arg(b.bpi)
                         .arg(b.offset)
                         .arg(b.size);
    const QString order = cli::blockOrderText(h.recognisedBlockOrder());
    if (!order.isEmpty())
        lines << QStringLiteral("block order: ") + order;
    auto orAbsent = [](const QString& text) {
        return text.isNull() ? QStringLiteral("(absent)") : cli::shown(text);
    };
    if (layout.parsed) {
        lines << QStringLiteral("binary-size: ") + orAbsent(layout.binarySize);
        lines << QStringLiteral("time: ") + orAbsent(layout.time);
    }
    if (layout.hasChecksum)
        lines << checksumLine(h);
    return lines;
}

} // namespace

int runInfo(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A PRN job."));
    int status = ExitSuccess;
    if (!cli::parse(parser, QStringLiteral("info"), QStringLiteral("[--json] FILE"),
                    QStringLiteral("Shows the card size, where every plane and track lies in the "
                                   "binary part, binary-size and time as stored, and the "
                                   "checksum stored and computed."),
                    args, status))
        return status;
    if (parser.positionalArguments().size() != 1)
        return cli::usageError(QStringLiteral("info"), QStringLiteral("expects one FILE"));
    const QString file = parser.positionalArguments().first();
    const cli::LoadedJob job = cli::loadJob(file);
    const JobLayout layout(file, job);
    if (parser.isSet(json))
        cli::outJson(infoJson(layout));
    else
        cli::out(infoLines(layout).join(QLatin1Char('\n')));
    return job.holder->isValid() ? ExitSuccess : ExitFailure;
}

// ---- render ---------------------------------------------------------------------------------

int runRender(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption side(QStringLiteral("side"), QStringLiteral("Card side: 0 or 1."),
                                  QStringLiteral("0|1"));
    const QCommandLineOption hide(QStringLiteral("hide"),
                                  QStringLiteral("Planes to leave out, letters of 'ymck'."),
                                  QStringLiteral("LETTERS"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Image file; the format follows its suffix."),
                                    QStringLiteral("OUT"));
    parser.addOptions({side, hide, output});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A PRN job."));
    int status = ExitSuccess;
    const QString command = QStringLiteral("render");
    if (!cli::parse(parser, command, QStringLiteral("FILE --side 0|1 [--hide LETTERS] -o OUT.png"),
                    QStringLiteral("Writes the picture of one card side as the window shows it, "
                                   "with the hidden planes left out."),
                    args, status))
        return status;
    if (parser.positionalArguments().size() != 1)
        return cli::usageError(command, QStringLiteral("expects one FILE"));
    const QString sideText = parser.value(side);
    if (sideText != QLatin1String("0") && sideText != QLatin1String("1"))
        return cli::usageError(command, QStringLiteral("--side must be 0 or 1"));
    const QString hidden = parser.value(hide);
    for (const QChar c : hidden)
        if (c.unicode() > 127 || !std::strchr("ymck", char(c.unicode())) || c.isNull())
            return cli::usageError(command,
                                   QStringLiteral("--hide takes letters of 'ymck', not '") + c +
                                       QLatin1Char('\''));
    const QString out = parser.value(output);
    if (out.isEmpty())
        return cli::usageError(command, QStringLiteral("-o OUT is required"));

    const QString file = parser.positionalArguments().first();
    std::unique_ptr<KlxPrnHolder> holder = cli::loadValidJob(command, file);
    if (!holder)
        return ExitFailure;
    const int s = sideText.toInt();
    const QImage image = cli::sidePicture(*holder, s, hidden);
    if (image.isNull()) {
        cli::err(QStringLiteral("kalyxprn render: ") + cli::shown(file) +
                 QStringLiteral(": side %1 has no colour panels").arg(s));
        return ExitFailure;
    }
    // Through a complete file renamed over the old picture: a full disk leaves it as it was.
    QString reason;
    if (!cli::writeImage(out, image, reason)) {
        cli::err(QStringLiteral("kalyxprn render: cannot write ") + cli::shown(out) +
                 QStringLiteral(": ") + reason);
        return ExitFailure;
    }
    return ExitSuccess;
}

// ---- mag ------------------------------------------------------------------------------------

int runMag(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption jis(QStringLiteral("jis"),
                                 QStringLiteral("Read track 1 as JIS Type II (8-bit cells)."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOptions({jis, json});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A PRN job."));
    int status = ExitSuccess;
    if (!cli::parse(parser, QStringLiteral("mag"), QStringLiteral("[--jis] [--json] FILE"),
                    QStringLiteral("Prints the magnetic tracks decoded as the window's Mag data "
                                   "tab shows them: per track the data and the LRC cell."),
                    args, status))
        return status;
    if (parser.positionalArguments().size() != 1)
        return cli::usageError(QStringLiteral("mag"), QStringLiteral("expects one FILE"));
    std::unique_ptr<KlxPrnHolder> holder =
        cli::loadValidJob(QStringLiteral("mag"), parser.positionalArguments().first());
    if (!holder)
        return ExitFailure;

    struct Row {
        int track;
        unsigned bits;
    };
    const std::vector<Row> rows =
        parser.isSet(jis) ? std::vector<Row>{{1, 8}} : std::vector<Row>{{1, 7}, {2, 5}, {3, 5}};
    QStringList lines;
    QJsonArray tracks;
    for (const Row& r : rows) {
        const QString data = holder->trackText(r.track, r.bits);
        const QString lrc = holder->trackLrcText(r.track, r.bits);
        tracks.append(QJsonObject{{QStringLiteral("track"), r.track},
                                  {QStringLiteral("data"), data},
                                  {QStringLiteral("lrc"), lrc}});
        lines << QStringLiteral("Track %1 data: %2\nTrack %1 LRC: %3")
                     .arg(r.track)
                     .arg(cli::shown(data), cli::shown(lrc));
    }
    if (parser.isSet(json))
        cli::outJson(
            QJsonObject{{QStringLiteral("mode"),
                         parser.isSet(jis) ? QStringLiteral("jis") : QStringLiteral("iso")},
                        {QStringLiteral("tracks"), tracks}});
    else
        cli::out(lines.join(QLatin1Char('\n')));
    return ExitSuccess;
}

// ---- get, set, save -------------------------------------------------------------------------

int runGet(const QStringList& args) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A PRN job."));
    parser.addPositionalArgument(QStringLiteral("XPATH"), QStringLiteral("Path to a node."));
    int status = ExitSuccess;
    const QString command = QStringLiteral("get");
    if (!cli::parse(parser, command, QStringLiteral("FILE XPATH"),
                    QStringLiteral("Prints the text of the first node the XPath selects in the "
                                   "job's header document."),
                    args, status))
        return status;
    if (parser.positionalArguments().size() != 2)
        return cli::usageError(command, QStringLiteral("expects FILE and XPATH"));
    const std::string xpath = parser.positionalArguments().at(1).toStdString();
    if (!checkXPath(command, xpath, status))
        return status;
    std::unique_ptr<KlxPrnHolder> holder =
        cli::loadValidJob(command, parser.positionalArguments().first());
    if (!holder)
        return ExitFailure;
    if (!holder->hasNode(xpath)) {
        cli::err(QStringLiteral("kalyxprn get: no node matches ") +
                 cli::shown(parser.positionalArguments().at(1)));
        return ExitFailure;
    }
    cli::out(cli::shown(holder->nodeText(xpath)));
    return ExitSuccess;
}

namespace {

bool saveBytes(const QString& command, const QByteArray& job, const QString& out) {
    QString reason;
    if (cli::writeOutput(out, job, reason))
        return true;
    cli::err(QStringLiteral("kalyxprn ") + command + QStringLiteral(": ") + cli::shown(out) +
             QStringLiteral(": Couldn't save PRN. ") + reason);
    return false;
}

bool saveHolder(const QString& command, const KlxPrnHolder& holder, const QString& out) {
    QString reason;
    if (cli::isStandardOutput(out) ? cli::writeOutput(out, holder.toByteArray(), reason)
                                   : holder.save(out, reason))
        return true;
    cli::err(QStringLiteral("kalyxprn ") + command + QStringLiteral(": ") + cli::shown(out) +
             QStringLiteral(": Couldn't save PRN. ") + reason);
    return false;
}

// The option NAME where setNodeText writes it (under the first PARENT element that has one,
// else under the first PARENT element), checked against the editor's table for that element: a
// value the editor could not have written is refused (false, status set).
bool checkSetValue(const KlxPrnHolder& holder, const std::string& parent, const QString& name,
                   const QString& value, bool force, int& status) {
    KlxPrnHolder::Element element =
        holder.firstElement("(" + parent + "/" + name.toStdString() + ")[1]/..");
    if (element.name.isEmpty())
        element = holder.firstElement(parent);
    if (element.name.isEmpty())
        return true; // setNodeText says why it cannot write
    QString problem;
    if (cli::checkOptionValue(QStringLiteral("set"), element.name, element.panel, name, name, value,
                              force, problem))
        return true;
    status = cli::usageError(QStringLiteral("set"), problem);
    return false;
}

} // namespace

int runSet(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The edited job."), QStringLiteral("OUT"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Write a value outside the option's range, or "
                                                  "a job that no longer validates, anyway."));
    parser.addOptions({output, force});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A PRN job."));
    parser.addPositionalArgument(QStringLiteral("PATH"),
                                 QStringLiteral("XPath of the option, such as "
                                                "/prn/card/card-options/num-copies; or NAME "
                                                "PARENT-PATH, such as num-copies "
                                                "/prn/card/card-options."),
                                 QStringLiteral("PATH | NAME PARENT-PATH"));
    parser.addPositionalArgument(QStringLiteral("VALUE"), QStringLiteral("New text."));
    int status = ExitSuccess;
    const QString command = QStringLiteral("set");
    if (!cli::parse(parser, command,
                    QStringLiteral("FILE (PATH | NAME PARENT-PATH) VALUE -o OUT [--force]"),
                    QStringLiteral("Writes VALUE as the text of the option PATH, or "
                                   "PARENT-PATH/NAME (adding the element under the parent when "
                                   "the job lacks it), as the window's editor does, and saves the "
                                   "job to OUT. The option's name is a plain element name. The "
                                   "value must be one the window's editor offers for a known "
                                   "option of the element written (exit 2 otherwise), and the "
                                   "edited job must validate as 'check' does (exit 1 otherwise); "
                                   "--force writes anyway. When VALUE starts with '-', give -o "
                                   "OUT first and '--' before FILE."),
                    args, status))
        return status;
    QStringList pos = parser.positionalArguments();
    if (pos.size() == 3) {
        // PATH: the option is its last step.
        const int slash = pos.at(1).lastIndexOf(QLatin1Char('/'));
        if (slash <= 0)
            return cli::usageError(
                command,
                QStringLiteral("'%1' is not a path to an option").arg(cli::shown(pos.at(1))));
        pos = QStringList{pos.at(0), pos.at(1).mid(slash + 1), pos.at(1).left(slash), pos.at(2)};
    }
    if (pos.size() != 4)
        return cli::usageError(command, QStringLiteral("expects FILE PATH VALUE or FILE NAME "
                                                       "PARENT-PATH VALUE"));
    if (parser.value(output).isEmpty())
        return cli::usageError(command, QStringLiteral("-o OUT is required"));
    // A name with steps of its own (../x, ., @x) would write another node than the one checked.
    if (!cli::isElementName(pos.at(1)))
        return cli::usageError(
            command, QStringLiteral("'%1' is not a plain element name").arg(cli::shown(pos.at(1))));
    const std::string name = pos.at(1).toStdString();
    const std::string parent = pos.at(2).toStdString();
    if (!checkXPath(command, parent, status) || !checkXPath(command, parent + "/" + name, status))
        return status;
    std::unique_ptr<KlxPrnHolder> holder = cli::loadValidJob(command, pos.at(0));
    if (!holder)
        return ExitFailure;
    if (!checkSetValue(*holder, parent, pos.at(1), pos.at(3), parser.isSet(force), status))
        return status;
    if (!holder->setNodeText(name, parent, pos.at(3).toStdString())) {
        cli::err(QStringLiteral("kalyxprn set: cannot write '") + cli::shown(pos.at(1)) +
                 QStringLiteral("' under '") + cli::shown(pos.at(2)) +
                 QStringLiteral("': no such element, or the name is not an element name"));
        return ExitFailure;
    }
    // What `check` would say of the written job, read from the very bytes that are written. The
    // loaded job goes first: two of a large job at once (400,000 rectangles) doubled the memory.
    const QByteArray edited = holder->toByteArray();
    holder.reset();
    QStringList problems;
    if (const auto check = KlxPrnHolder::fromBytes(edited); !check->isValid()) {
        problems = check->messages();
        if (problems.isEmpty())
            problems << QStringLiteral("Couldn't parse PRN file.");
    }
    if (!problems.isEmpty() && !parser.isSet(force)) {
        cli::err(QStringLiteral("kalyxprn set: the edited job is invalid: %1; nothing written "
                                "(--force writes it anyway)")
                     .arg(problems.join(QStringLiteral("; "))));
        return ExitFailure;
    }
    return saveBytes(command, edited, parser.value(output)) ? ExitSuccess : ExitFailure;
}

int runSave(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The written job."), QStringLiteral("OUT"));
    parser.addOption(output);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A PRN job."));
    int status = ExitSuccess;
    const QString command = QStringLiteral("save");
    if (!cli::parse(parser, command, QStringLiteral("FILE -o OUT"),
                    QStringLiteral("Writes the job back as the window's Save does: the header in "
                                   "raw form, the binary part as loaded, a fresh checksum."),
                    args, status))
        return status;
    if (parser.positionalArguments().size() != 1)
        return cli::usageError(command, QStringLiteral("expects one FILE"));
    if (parser.value(output).isEmpty())
        return cli::usageError(command, QStringLiteral("-o OUT is required"));
    std::unique_ptr<KlxPrnHolder> holder =
        cli::loadValidJob(command, parser.positionalArguments().first());
    if (!holder)
        return ExitFailure;
    return saveHolder(command, *holder, parser.value(output)) ? ExitSuccess : ExitFailure;
}

// ---- sample ---------------------------------------------------------------------------------

int runSample(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Where to write the job."),
                                    QStringLiteral("OUT.prn"));
    parser.addOption(output);
    int status = ExitSuccess;
    const QString command = QStringLiteral("sample");
    if (!cli::parse(parser, command, QStringLiteral("-o OUT.prn"),
                    QStringLiteral("Writes a demonstration job: a two-sided card with a picture "
                                   "in all four colour planes, an overlay, a patch, an area, a "
                                   "hole and three ISO magnetic tracks."),
                    args, status))
        return status;
    if (!parser.positionalArguments().isEmpty())
        return cli::usageError(command, QStringLiteral("takes no file arguments"));
    if (parser.value(output).isEmpty())
        return cli::usageError(command, QStringLiteral("-o OUT.prn is required"));
    QString reason;
    if (!cli::writeOutput(parser.value(output), makeSampleJob(), reason)) {
        cli::err(QStringLiteral("kalyxprn sample: cannot write ") +
                 cli::shown(parser.value(output)) + QStringLiteral(": ") + reason);
        return ExitFailure;
    }
    return ExitSuccess;
}
