// kalyxprn printers: the printers of the family attached by USB.
#include "CliSupport.h"
#include "Command.h"

#include <kalyxcomms/Comms.h>

#include <QJsonArray>
#include <QJsonObject>

namespace {

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

int runPrinters(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    int status = ExitSuccess;
    if (!cli::parse(parser, QStringLiteral("printers"), QStringLiteral("[--json]"),
                    QStringLiteral("Lists the printers of the family attached by USB that answer, "
                                   "in device order: description, USB port and device path. "
                                   "A printer held by another program is not listed."),
                    args, status))
        return status;
    if (!parser.positionalArguments().isEmpty())
        return cli::usageError(QStringLiteral("printers"), QStringLiteral("takes no arguments"));
    const Orvane::Comms comms;
    const std::vector<Orvane::UsbPrinterInfo> printers = comms.getUsbPrinterInfos();
    if (parser.isSet(json)) {
        QJsonArray items;
        for (const Orvane::UsbPrinterInfo& p : printers)
            items.append(QJsonObject{{QStringLiteral("description"), fromStd(p.description)},
                                     {QStringLiteral("location"), fromStd(p.location)},
                                     {QStringLiteral("devicePath"), fromStd(p.devicePath)}});
        cli::outJson(items);
        return ExitSuccess;
    }
    if (printers.empty())
        cli::err(QStringLiteral("kalyxprn printers: no printer found"));
    for (const Orvane::UsbPrinterInfo& p : printers)
        cli::out(QStringLiteral("%1\t%2\t%3")
                     .arg(cli::shown(fromStd(p.devicePath)), cli::shown(fromStd(p.location)),
                          cli::shown(fromStd(p.description))));
    return ExitSuccess;
}
