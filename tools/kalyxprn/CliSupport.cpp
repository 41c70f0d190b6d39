#include "CliSupport.h"

#include <QJsonDocument>

#include <algorithm>
#include <cstdio>

namespace cli {

bool parse(QCommandLineParser& parser, const QString& command, const QString& usage,
           const QString& description, const QStringList& args, int& status) {
    parser.setApplicationDescription(description);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    parser.addOption(help);
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

} // namespace

QString shown(const QString& text) {
    return escapeControls(text, false);
}

void out(const QString& text) {
    const QByteArray bytes = escapeControls(text, true).toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
}

void err(const QString& text) {
    std::fflush(stdout);
    const QByteArray bytes = escapeControls(text, true).toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fputc('\n', stderr);
}

int usageError(const QString& command, const QString& text) {
    err(QStringLiteral("kalyxprn ") + command + QStringLiteral(": ") + text);
    return ExitUsage;
}

void outJson(const QJsonObject& object) {
    out(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

void outJson(const QJsonArray& array) {
    out(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)));
}

} // namespace cli
