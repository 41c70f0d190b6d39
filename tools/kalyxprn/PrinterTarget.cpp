#include "PrinterTarget.h"

#include "CliSupport.h"
#include "HostSystem.h"

#include <HostAddress.h>

#include <kalyxcomms/Session.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace cli {

namespace {

// Slices small enough for a smooth bar, large enough to keep the transfer efficient.
constexpr int progressSlice = 256 * 1024;
constexpr qint64 progressThreshold = qint64(1) << 20;

class OfflineSession : public Orvane::Session {
public:
    OfflineSession() { open = true; }
    bool read(char*, int) override { return false; }
    bool write(const char*, int) override { return false; }
    bool setReadTimeout(std::uint32_t) override { return true; }
    bool setWriteTimeout(std::uint32_t) override { return true; }
};

bool isOption(const QString& arg) {
    return arg.size() > 1 && arg.startsWith(QLatin1Char('-'));
}

QString optionName(const QString& arg) {
    QString name = arg;
    while (name.startsWith(QLatin1Char('-')))
        name.remove(0, 1);
    return name;
}

void drawBar(qint64 done, qint64 total) {
    constexpr int width = 40;
    const int filled = total > 0 ? int(done * width / total) : width;
    const int percent = total > 0 ? int(done * 100 / total) : 100;
    std::string bar(std::size_t(filled), '#');
    bar.append(std::size_t(width - filled), '.');
    std::fprintf(stderr, "\r[%s] %3d%% %lld/%lld bytes", bar.c_str(), percent,
                 static_cast<long long>(done), static_cast<long long>(total));
    std::fflush(stderr);
}

} // namespace

int exitStatusFor(Orvane::FailureReason reason) {
    using Orvane::FailureReason;
    switch (reason) {
    case FailureReason::None:
        return ExitSuccess;
    case FailureReason::NotConnected:
    case FailureReason::BadArgument:
    case FailureReason::WriteFailed:
    case FailureReason::PrinterRefused:
    case FailureReason::OutOfMemory:
        return ExitFailure;
    default:
        return ExitNoAnswer;
    }
}

QString durationWords(int milliseconds) {
    if (milliseconds % 1000 == 0)
        return QStringLiteral("%1 s").arg(milliseconds / 1000);
    return QStringLiteral("%1 ms").arg(milliseconds);
}

QString failureWords(Orvane::FailureReason reason, const Waits& waits, bool usb) {
    using Orvane::FailureReason;
    switch (reason) {
    case FailureReason::ReadTimedOut:
        return QStringLiteral("the printer did not answer within %1")
            .arg(durationWords(waits.answerMs));
    case FailureReason::WriteTimedOut:
        return QStringLiteral("the printer did not take the data within %1")
            .arg(durationWords(waits.takeMs));
    case FailureReason::AnswerStalled:
        return QStringLiteral("the answer stalled: it began but did not arrive whole in time");
    case FailureReason::ConnectionClosed:
        if (usb)
            return QStringLiteral("the printer's device went away (unplugged, or its other end "
                                  "closed)");
        return QStringLiteral("the printer closed the connection");
    default:
        return QString::fromLatin1(Orvane::failureName(reason));
    }
}

bool parseTimeout(const QString& command, const QString& text, int& milliseconds) {
    bool ok = false;
    const uint value = text.toUInt(&ok, 10);
    if (!ok || value == 0 || value > 24u * 3600 * 1000) {
        usageError(
            command,
            QStringLiteral("--timeout needs milliseconds from 1 to 86400000, not '%1'").arg(text));
        return false;
    }
    milliseconds = int(value);
    return true;
}

bool parseTcpAddress(const QString& command, const QString& text, TcpAddress& address) {
    QString host = text;
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        host = text.left(colon);
        bool ok = false;
        const uint port = text.mid(colon + 1).toUInt(&ok, 10);
        if (!ok || port == 0 || port > 65535) {
            usageError(command, QStringLiteral("invalid port in '%1' (1 to 65535)").arg(text));
            return false;
        }
        address.port = static_cast<Orvane::Port>(port);
    }
    if (host.isEmpty()) {
        usageError(command, QStringLiteral("no host in '%1'").arg(text));
        return false;
    }
    // The library takes dotted IPv4 only; names such as "localhost" are resolved here.
    if (!networkReady() || !kalyxcheck::toDottedIPv4(host.toStdString(), address.host)) {
        usageError(command,
                   QStringLiteral("cannot resolve host '%1' to an IPv4 address").arg(host));
        return false;
    }
    return true;
}

QStringList attachUsbPath(const QStringList& args, const QStringList& valueOptions,
                          int positionals) {
    int usbAt = -1;
    int candidate = -1;
    int found = 0;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--"))
            break;
        if (!isOption(arg)) {
            if (usbAt >= 0 && i == usbAt + 1)
                candidate = i;
            ++found;
            continue;
        }
        if (arg == QLatin1String("--usb") || arg == QLatin1String("-usb")) {
            usbAt = i;
            continue;
        }
        if (!arg.contains(QLatin1Char('=')) && valueOptions.contains(optionName(arg)))
            ++i; // its value
    }
    QStringList out = args;
    if (usbAt < 0)
        return out;
    if (candidate >= 0 && found > positionals) {
        out[usbAt] = QStringLiteral("--usb=") + args.at(candidate);
        out.removeAt(candidate);
    } else {
        out[usbAt] = QStringLiteral("--usb=");
    }
    return out;
}

OpenedPrinter openUsbPrinter(const Orvane::Comms& comms, const QString& command,
                             const QString& path) {
    OpenedPrinter opened;
    std::string device = QFile::encodeName(path).toStdString();
    if (device.empty()) {
        const std::vector<Orvane::UsbPrinterInfo> printers = comms.getUsbPrinterInfos();
        if (printers.empty()) {
            err(QStringLiteral("kalyxprn %1: no printer found on USB").arg(command));
            return opened;
        }
        device = printers.front().devicePath;
    }
    opened.name = QString::fromStdString(device);
    opened.usb = true;
    opened.printer = comms.getUsbPrinter(device);
    if (!opened.printer)
        err(QStringLiteral("kalyxprn %1: cannot open the printer at %2: %3")
                .arg(command, shown(opened.name), QString::fromStdString(deviceProblem(device))));
    return opened;
}

OpenedPrinter openTcpPrinter(const Orvane::Comms& comms, const QString& command,
                             const TcpAddress& address) {
    OpenedPrinter opened;
    opened.name =
        QStringLiteral("%1:%2").arg(QString::fromStdString(address.host)).arg(address.port);
    opened.printer = comms.getEthernetPrinter(address.host, address.port);
    if (!opened.printer)
        err(QStringLiteral("kalyxprn %1: cannot connect to %2 (refused, or no answer within %3)")
                .arg(command, opened.name, durationWords(defaultWriteTimeoutMs)));
    return opened;
}

OpenedPrinter openFilePrinter(const Orvane::Comms& comms, const QString& command,
                              const QString& path) {
    OpenedPrinter opened;
    opened.name = path;
    opened.file = true;
    opened.printer = comms.getFilePrinter(QFile::encodeName(path).toStdString());
    if (!opened.printer)
        err(QStringLiteral("kalyxprn %1: cannot create %2").arg(command, shown(path)));
    return opened;
}

std::unique_ptr<Orvane::Printer> offlinePrinter() {
    return std::make_unique<Orvane::Printer>(std::make_unique<OfflineSession>());
}

bool wantsProgress(qint64 size) {
    return size > progressThreshold && stderrIsTerminal();
}

bool writeJobBytes(Orvane::Printer& printer, const QByteArray& job, bool progress, qint64& taken) {
    const qint64 total = job.size();
    taken = 0;
    bool ok = true;
    if (!progress) {
        ok = printer.write(job.constData(), job.size());
        taken = qint64(printer.bytesWritten());
    } else {
        drawBar(0, total);
        while (ok && taken < total) {
            const int slice = int(std::min<qint64>(progressSlice, total - taken));
            ok = printer.write(job.constData() + taken, slice);
            taken += ok ? slice : qint64(printer.bytesWritten());
            drawBar(taken, total);
        }
        std::fputc('\n', stderr);
    }
    return ok;
}

bool closeJob(Orvane::Printer& printer, qint64 total, qint64& taken) {
    // Written is not taken: a printer may still reset the connection over what it was sent.
    if (printer.close())
        return true;
    if (printer.lastFailure() != Orvane::FailureReason::None && taken == total)
        taken = -1; // every byte left, but whether they arrived is not known
    return false;
}

bool writeJob(Orvane::Printer& printer, const QByteArray& job, bool progress, qint64& taken) {
    if (!writeJobBytes(printer, job, progress, taken)) {
        if (printer.lastFailure() != Orvane::FailureReason::None && taken == job.size())
            taken = -1;
        return false;
    }
    return closeJob(printer, job.size(), taken);
}

int reportSendFailure(const QString& command, const OpenedPrinter& target, qint64 taken,
                      qint64 total) {
    const Orvane::FailureReason reason = target.printer->lastFailure();
    // A file that takes nothing is a FIFO whose reader is missing or stopped reading.
    const QString why = target.file && reason == Orvane::FailureReason::WriteTimedOut
                            ? QStringLiteral("nothing read the data within %1")
                                  .arg(durationWords(target.waits.takeMs))
                            : failureWords(reason, target.waits, target.usb);
    QString text = QStringLiteral("kalyxprn %1: Failed to send job to printer (%2): %3.")
                       .arg(command, shown(target.name), why);
    if (!target.file && taken >= 0 && total >= 0)
        text += QStringLiteral(" The printer took %1 of %2 bytes.").arg(taken).arg(total);
    err(text);
    const int status = exitStatusFor(reason);
    return status == ExitSuccess ? ExitFailure : status;
}

bool readInputFile(const QString& command, const QString& path, qint64 limit, QByteArray& bytes) {
    std::string read;
    std::string problem;
    const InputRead result = readInput(QFile::encodeName(path).toStdString(), std::size_t(limit),
                                       inputIdleMs, read, problem);
    if (result != InputRead::Read) {
        err(QStringLiteral("kalyxprn %1: cannot read %2").arg(command, shown(path)) +
            (problem.empty() ? QString()
                             : QStringLiteral(": ") + QString::fromLocal8Bit(problem.c_str())));
        return false;
    }
    if (qint64(read.size()) > limit) {
        err(QStringLiteral("kalyxprn %1: %2 is larger than %3 bytes")
                .arg(command, shown(path))
                .arg(limit));
        return false;
    }
    bytes = QByteArray(read.data(), int(read.size()));
    return true;
}

} // namespace cli
