#include "CliSupport.h"

#include <QJsonDocument>

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

void out(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
}

void err(const QString& text) {
    std::fflush(stdout);
    const QByteArray bytes = text.toUtf8();
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
