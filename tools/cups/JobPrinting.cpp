#include "JobPrinting.h"

#include "ClassHandOff.h"
#include "CupsMessages.h"
#include "DeviceUri.h"
#include "PrinterConnection.h"

#include <kalyxdocument/KlxPrnHolder.h>

#include <QStringList>

#include <cups/backend.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kalyxcups {

namespace {

volatile std::sig_atomic_t cancelled = 0;
// The printer a job is being sent to, so that a cancel also ends a wait for its answer (the
// whole job may sit in the system's buffers while the printer is still reading it). Aborting
// is a flag and a wake-up write, both safe in a signal handler.
Orvane::Printer* volatile printerInHand = nullptr;

// Makes `printer` the one a cancel aborts for as long as it lives.
class CancelTarget {
public:
    explicit CancelTarget(Orvane::Printer& printer) {
        printerInHand = &printer;
        if (cancelled)
            printer.abort();
    }
    ~CancelTarget() { printerInHand = nullptr; }
    CancelTarget(const CancelTarget&) = delete;
    CancelTarget& operator=(const CancelTarget&) = delete;
};

// Large enough to keep the device busy, small enough that a cancel is seen at once.
constexpr int sliceSize = 64 * 1024;

// A job file that is no regular file (a FIFO, say) may never end: no byte for this long does.
constexpr int idleReadMs = 30000;

// Reads the whole job, refusing one larger than any valid job can be.
bool readJob(const std::string& file, QByteArray& job, std::string& problem) {
    // Opened without waiting: the open of a FIFO that nobody writes to would block for good.
    const int fd =
        file.empty() ? STDIN_FILENO : ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        problem = file + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    const bool bounded = fd != STDIN_FILENO && ::fstat(fd, &info) == 0 && !S_ISREG(info.st_mode);
    const qint64 limit = KlxPrnHolder::maxJobSize;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR && !cancelled)
            continue;
        if (n < 0 && errno == EAGAIN && bounded) {
            pollfd wait{fd, POLLIN, 0};
            const int ready = ::poll(&wait, 1, idleReadMs);
            if (ready > 0 || (ready < 0 && errno == EINTR && !cancelled))
                continue;
            problem = file + " gave no data for " + std::to_string(idleReadMs / 1000) + " s";
            break;
        }
        if (n < 0) {
            problem = std::string("reading the job: ") + std::strerror(errno);
            break;
        }
        if (n == 0)
            break;
        if (job.size() + n > limit) {
            problem = "the job is larger than " + std::to_string(limit >> 20) +
                      " MiB, more than any card job";
            break;
        }
        job.append(buffer, static_cast<int>(n));
    }
    if (fd != STDIN_FILENO)
        ::close(fd);
    if (problem.empty() && job.isEmpty())
        problem = "the job is empty";
    return problem.empty();
}

// The document library's verdict; `reason` says why a job is refused.
bool validateJob(const QByteArray& job, std::string& reason) {
    const std::unique_ptr<KlxPrnHolder> holder = KlxPrnHolder::fromBytes(job);
    QStringList messages = holder->messages();
    // The window only warns about these (a wrong checksum, a header over what printers take), but
    // a printer drops such a job without a word: sent anyway, it would be reported as printed
    // while no card comes out, or retried for ever.
    const QString problem = holder->isValid() ? holder->problemForPrinting() : QString();
    if (!problem.isEmpty()) {
        reason = problem.toStdString();
        return false;
    }
    if (holder->isValid()) {
        for (const QString& warning : messages)
            debugLine("job warning: " + warning.toStdString());
        return true;
    }
    if (!holder->loadError().isEmpty())
        messages.append(holder->loadError());
    reason = messages.isEmpty() ? std::string("Couldn't parse PRN file.")
                                : messages.join(QStringLiteral("; ")).toStdString();
    return false;
}

// The printer's refusal as a printer-state-reason, so the queue shows what to fix.
std::string reasonFor(const std::string& refusal) {
    std::string text = refusal;
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (text.find("jam") != std::string::npos)
        return "media-jam-error";
    if (text.find("hopper") != std::string::npos || text.find("feeder") != std::string::npos)
        return "media-empty-error";
    if (text.find("ribbon") != std::string::npos)
        return "marker-supply-empty-error";
    if (text.find("cover") != std::string::npos)
        return "cover-open-error";
    return "other-error";
}

// A write that failed because the printer went away, stalled or closed the connection is
// retried later: a partial job fails the printer's length and checksum checks, so the retry
// cannot print a card twice. What no retry can mend fails the job by the queue's error policy.
int statusForFailedWrite(const Orvane::Printer& printer) {
    switch (printer.lastFailure()) {
    case Orvane::FailureReason::NotConnected:
    case Orvane::FailureReason::WriteFailed:
    case Orvane::FailureReason::WriteTimedOut:
    case Orvane::FailureReason::ConnectionClosed:
    case Orvane::FailureReason::OutOfMemory:
        return CUPS_BACKEND_RETRY;
    default:
        return CUPS_BACKEND_FAILED;
    }
}

// Writes one copy in slices; false on a failed write or a cancel.
bool sendCopy(Orvane::Printer& printer, const QByteArray& job, bool& failed) {
    for (int offset = 0; offset < job.size(); offset += sliceSize) {
        if (cancelled)
            return false;
        const int length = std::min(sliceSize, job.size() - offset);
        if (!printer.write(job.constData() + offset, length)) {
            failed = !cancelled;
            return false;
        }
    }
    return !cancelled;
}

int connectionStatus(const Connection& connection, const std::string& jobId) {
    stateLine("-connecting-to-device");
    if (connection.outcome == Connection::Outcome::Absent) {
        stateLine("+offline-report");
        infoLine("Printer " + connection.where + " is not there or not answering (" +
                 Orvane::failureName(connection.failure) + "); the job waits for it");
        return statusForAbsentPrinter(jobId);
    }
    if (connection.outcome == Connection::Outcome::Garbled) {
        stateLine("+other-error");
        errorLine("The device at " + connection.where + " does not answer like a Kalyx printer (" +
                  connection.notAPrinterWhy + "); check the queue's device URI");
        return CUPS_BACKEND_STOP;
    }
    // Refused: stop the queue, so no card is lost while someone clears the printer.
    stateLine("+" + reasonFor(connection.refusal));
    errorLine("The printer reports: " + connection.refusal);
    return CUPS_BACKEND_STOP;
}

// One attempt, without the bookkeeping of hand-offs between a class's printers.
int printJobOnce(const JobRequest& request);

} // namespace

void requestCancel() {
    cancelled = 1;
    if (Orvane::Printer* printer = printerInHand)
        printer->abort();
}

int printJob(const JobRequest& request) {
    const int status = printJobOnce(request);
    if (status != CUPS_BACKEND_RETRY_CURRENT)
        forgetHandOffs(request.jobId);
    return status;
}

namespace {

int printJobOnce(const JobRequest& request) {
    DeviceUri uri;
    if (!parseDeviceUri(request.deviceUri, uri)) {
        errorLine("Bad device URI \"" + request.deviceUri +
                  "\": use kalyx://usb/SERIAL or kalyx://tcp/HOST[:PORT]");
        return CUPS_BACKEND_STOP;
    }
    QByteArray job;
    std::string problem;
    if (!readJob(request.file, job, problem)) {
        errorLine("The job cannot be printed: " + problem);
        return cancelled ? CUPS_BACKEND_OK : CUPS_BACKEND_CANCEL;
    }
    if (!validateJob(job, problem)) {
        errorLine("The job is not a valid card job: " + problem);
        return CUPS_BACKEND_CANCEL;
    }

    stateLine("+connecting-to-device");
    infoLine("Connecting to the printer");
    const Orvane::Comms comms;
    Connection connection = connectPrinter(comms, uri);
    if (connection.outcome != Connection::Outcome::Connected)
        return connectionStatus(connection, request.jobId);
    stateLine("-connecting-to-device");
    stateLine("-offline-report");
    const CancelTarget cancelTarget(*connection.printer);

    for (unsigned copy = 1; copy <= request.copies; ++copy) {
        infoLine("Sending card " + std::to_string(copy) + " of " + std::to_string(request.copies) +
                 " to " + connection.where);
        bool failed = false;
        if (!sendCopy(*connection.printer, job, failed)) {
            if (!failed) {
                infoLine("Job cancelled; the printer is closed");
                return CUPS_BACKEND_OK;
            }
            errorLine("Sending the job to " + connection.where +
                      " failed: " + Orvane::failureName(connection.printer->lastFailure()));
            return statusForFailedWrite(*connection.printer);
        }
        pageLine(copy);
    }
    // Printers do not answer jobs: whether this one stopped the printer (a jam, no cards left)
    // is asked, on the same connection, so the answer comes after the job.
    const kalyxcheck::PeerState after = kalyxcheck::askPrinter(*connection.printer);
    if (cancelled) {
        // The connection is reset: what the printer had not yet read of the job is dropped.
        connection.printer->abort();
        infoLine("Job cancelled; the printer is closed");
        return CUPS_BACKEND_OK;
    }
    if (after.verdict == kalyxcheck::PeerState::Verdict::Error) {
        stateLine("+" + reasonFor(after.printerText));
        errorLine("The printer reports after the job: " + after.printerText +
                  "; the job is kept, as its card may not have printed");
        return CUPS_BACKEND_STOP;
    }
    if (after.verdict != kalyxcheck::PeerState::Verdict::Ready)
        infoLine("The printer did not say how it is after the job (" +
                 std::string(Orvane::failureName(after.failure)) + ")");
    // Written is not taken: on the network the printer may still reset the connection over it.
    if (!connection.printer->close()) {
        errorLine("The printer at " + connection.where + " did not take the job: " +
                  Orvane::failureName(connection.printer->lastFailure()));
        return statusForFailedWrite(*connection.printer);
    }
    infoLine("Card job sent to " + connection.where);
    return CUPS_BACKEND_OK;
}

} // namespace

} // namespace kalyxcups
