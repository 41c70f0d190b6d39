#include "CliSupport.h"

#include "Completion.h"
#include "FileNameBytes.h"
#include <kalyxdocument/FileReplacement.h>

#include <QBuffer>

#include <QJsonDocument>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cli {

bool parse(QCommandLineParser& parser, const QString& command, const QString& usage,
           const QString& description, const QStringList& args, int& status) {
    parser.setApplicationDescription(description);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    parser.addOption(help);
    if (describing()) {
        recordParser(usage, parser.helpText());
        status = ExitSuccess;
        return false;
    }
    QStringList full = args;
    full.prepend(QStringLiteral("kalyxprn ") + command);
    if (!parser.parse(full)) {
        status = usageError(command, parser.errorText() + QStringLiteral("\nusage: kalyxprn ") +
                                         command + QLatin1Char(' ') + usage);
        return false;
    }
    if (parser.isSet(help)) {
        QString text = QStringLiteral("usage: kalyxprn ") + command + QLatin1Char(' ') + usage +
                       QStringLiteral("\n\n") + description + QStringLiteral("\n");
        const QString options = parser.helpText();
        const int at = options.indexOf(QStringLiteral("Options:"));
        if (at >= 0)
            text += QLatin1Char('\n') + options.mid(at).trimmed();
        out(text);
        status = ExitSuccess;
        return false;
    }
    return true;
}

namespace {

bool isControl(ushort u) {
    return u < 0x20 || (u >= 0x7F && u <= 0x9F);
}

QString escapeControls(const QString& text, bool keepLayout) {
    auto needsEscape = [keepLayout](QChar c) {
        const ushort u = c.unicode();
        return isControl(u) && !(keepLayout && (u == '\n' || u == '\t'));
    };
    if (std::none_of(text.begin(), text.end(), needsEscape))
        return text;
    QString s;
    s.reserve(text.size() + 16);
    for (const QChar c : text) {
        if (needsEscape(c))
            s += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            s += c;
    }
    return s;
}

// The first failure to write standard output (errno), kept until the command ends.
int stdoutError = 0;

void noteStdout(bool ok) {
    if (!ok && stdoutError == 0)
        stdoutError = errno != 0 ? errno : EIO;
}

void flushStdout() {
    errno = 0;
    noteStdout(std::fflush(stdout) == 0);
}

// File names keep their bytes as lone surrogates (FileNameBytes.h); JSON holds text, so they
// are shown as U+FFFD there.
QJsonValue validText(const QJsonValue& value) {
    if (value.isString())
        return withoutKeptBytes(value.toString());
    if (value.isArray()) {
        QJsonArray array;
        for (const QJsonValue& item : value.toArray())
            array.append(validText(item));
        return array;
    }
    if (value.isObject()) {
        QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            it.value() = validText(it.value());
        return object;
    }
    return value;
}

// JSON allows DEL and the C1 controls raw inside strings; a terminal does not, so they are
// escaped as JSON escapes (the other controls QJsonDocument escapes itself).
QByteArray jsonText(const QJsonDocument& document) {
    const QString text = QString::fromUtf8(document.toJson(QJsonDocument::Compact));
    QString s;
    s.reserve(text.size());
    for (const QChar c : text) {
        if (isControl(c.unicode()))
            s += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            s += c;
    }
    return s.toUtf8();
}

} // namespace

QString shown(const QString& text) {
    return escapeControls(text, false);
}

void outBytes(const QByteArray& bytes) {
    errno = 0;
    noteStdout(std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) ==
               std::size_t(bytes.size()));
}

void out(const QString& text) {
    outBytes(escapeControls(withoutKeptBytes(text), true).toUtf8() + '\n');
}

QString outputProblem() {
    flushStdout();
    return stdoutError == 0 ? QString() : QString::fromLocal8Bit(std::strerror(stdoutError));
}

void err(const QString& text) {
    flushStdout();
    const QByteArray bytes = escapeControls(withoutKeptBytes(text), true).toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fputc('\n', stderr);
}

int usageError(const QString& command, const QString& text) {
    err(QStringLiteral("kalyxprn ") + command + QStringLiteral(": ") + text);
    return ExitUsage;
}

bool isStandardOutput(const QString& path) {
    return path == QLatin1String("-");
}

bool writeOutput(const QString& path, const QByteArray& bytes, QString& reason) {
    if (!isStandardOutput(path))
        return kalyxfile::replaceFile(path, bytes, reason);
    outBytes(bytes);
    reason = outputProblem();
    return reason.isEmpty();
}

bool writeImage(const QString& path, const QImage& image, QString& reason) {
    if (!isStandardOutput(path))
        return kalyxfile::replaceImage(path, image, reason);
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        reason = QStringLiteral("cannot encode the picture");
        return false;
    }
    return writeOutput(path, png, reason);
}

void outJson(const QJsonObject& object) {
    outBytes(jsonText(QJsonDocument(validText(object).toObject())) + '\n');
}

void outJson(const QJsonArray& array) {
    outBytes(jsonText(QJsonDocument(validText(array).toArray())) + '\n');
}

} // namespace cli
