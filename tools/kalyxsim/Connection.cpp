#include "Connection.h"

#include "Log.h"
#include "SimPrintJob.h"

#include <algorithm>

namespace kalyxsim {

Connection::Connection(SimPrinter& printer, io::Handle handle, std::string name, bool socket,
                       std::uint64_t readRate)
    : printer_(printer), handle_(handle), name_(std::move(name)), socket_(socket),
      readRate_(readRate) {}

Connection::~Connection() {
    printer_.abandonJob(this);
    if (handle_ != io::noHandle)
        io::close(handle_);
}

namespace {
constexpr std::size_t readBufferSize = 256 * 1024;
} // namespace

std::size_t Connection::readAllowance(Clock::time_point now) const {
    if (readRate_ == 0)
        return readBufferSize;
    // A tenth of a second's worth (at least 4 KiB) may be read at once.
    const double burst = std::max(4096.0, double(readRate_) / 10);
    const double seconds = std::chrono::duration<double>(now - refilled_).count();
    readTokens_ = std::min(burst, readTokens_ + seconds * double(readRate_));
    refilled_ = now;
    return std::min(readBufferSize, static_cast<std::size_t>(readTokens_));
}

bool Connection::waitsForPrinter(Clock::time_point now) const {
    const Request* header = reader_.headerRead();
    return header && !reader_.hasFrame() && isPrintJob(*header) &&
           !printer_.mayReceiveJob(this, now);
}

bool Connection::hasTurn(Clock::time_point now) const {
    return !inbox_.empty() && output_.size() < maxQueuedAnswers && !dropped_ &&
           !waitsForPrinter(now);
}

std::size_t Connection::buffered() const {
    return reader_.buffered() + inbox_.size();
}

short Connection::events(Clock::time_point now) const {
    // Nothing more is read while requests already read wait, or answers pile up unread.
    const bool mayRead = !readClosed_ && inbox_.empty() && output_.size() < maxQueuedAnswers &&
                         !waitsForPrinter(now);
    short wanted = mayRead && readAllowance(now) != 0 ? io::readable : 0;
    if (!output_.empty() && output_.front().due <= now)
        wanted |= io::writable;
    return wanted;
}

int Connection::msUntilDue(Clock::time_point now) const {
    if (hasTurn(now))
        return 0;
    // Until the card being printed is out (a job another host is sending ends in a request,
    // which makes its own round).
    int due = waitsForPrinter(now) ? printer_.msUntilPrinted(now) : -1;
    // An answer already due waits for room to write, which poll() reports: no time-out for it.
    if (!output_.empty() && output_.front().due > now) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(output_.front().due - now)
                .count();
        const int answer = static_cast<int>(std::min<long long>(left + 1, 3600000));
        due = due < 0 ? answer : std::min(due, answer);
    }
    if (!readClosed_ && readRate_ != 0 && readAllowance(now) == 0) {
        // Until one byte's worth of tokens is back.
        const int refill = static_cast<int>(1000.0 * (1.0 - readTokens_) / double(readRate_)) + 1;
        due = due < 0 ? refill : std::min(due, refill);
    }
    return due;
}

bool Connection::onReadable() {
    if (!inbox_.empty() || output_.size() >= maxQueuedAnswers || waitsForPrinter(Clock::now()))
        return onTurn();
    unsigned char buffer[readBufferSize];
    const std::size_t allowed = readAllowance(Clock::now());
    if (allowed == 0)
        return true;
    const io::Transfer got = io::receive(handle_, buffer, allowed);
    const std::size_t n = got.bytes;
    if (n > 0 && readRate_ != 0)
        readTokens_ -= double(n);
    if (got.status == io::Transfer::Again)
        return true;
    if (got.status == io::Transfer::Broken) {
        // A host that cancels a job resets the connection: the part of the job read is dropped.
        if (reader_.midFrame())
            logLine(name_ + " reset the connection in the middle of a request");
        return false;
    }
    if (got.status == io::Transfer::End) {
        // The host finished sending (its orderly close): answers still owed are sent first.
        if (reader_.midFrame())
            logLine(name_ + " closed in the middle of a request");
        readClosed_ = true;
        return !finished();
    }
    bool ok = true;
    const std::size_t used = handle(buffer, n, ok);
    if (!ok)
        return false;
    // The rest waits for the next turn; only what was read beyond this turn is kept.
    inbox_.assign(buffer + used, buffer + n);
    return !dropped_;
}

bool Connection::onTurn() {
    if (!hasTurn(Clock::now()))
        return !dropped_ && !finished();
    bool ok = true;
    const std::size_t used = handle(inbox_.data(), inbox_.size(), ok);
    if (!ok)
        return false;
    inbox_.erase(inbox_.begin(), inbox_.begin() + static_cast<long>(used));
    if (inbox_.empty())
        std::vector<unsigned char>().swap(inbox_);
    return !dropped_ && !finished();
}

std::size_t Connection::handle(const unsigned char* data, std::size_t size, bool& ok) {
    std::size_t used = 0;
    int handled = 0;
    while (used < size && !dropped_ && handled < requestsPerTurn &&
           output_.size() < maxQueuedAnswers) {
        const Request* header = reader_.headerRead();
        if (header && isPrintJob(*header)) {
            if (!printer_.mayReceiveJob(this, Clock::now()))
                break;
            printer_.receiveJob(this);
        }
        used += reader_.feed(data + used, size - used);
        if (reader_.failed()) {
            logLine(name_ + " unreadable request: " + reader_.failure() + "; hanging up");
            ok = false;
            return used;
        }
        if (reader_.hasFrame()) {
            process(reader_.takeFrame());
            ++handled;
        }
    }
    return used;
}

void Connection::process(Request request) {
    const std::size_t bytesIn = request.text.size() + 1 + request.payload.size() + 4;
    const std::string command = SimPrinter::commandName(request);
    // The fault is chosen before the command runs, so a command that installs a fault is not
    // itself hit by it.
    std::optional<Fault> fault = printer_.faults().take(command, command != "print-job");
    Reply reply = printer_.handle(request);

    std::string line = name_ + " " + (reply.command.empty() ? "?" : reply.command);
    if (!reply.summary.empty())
        line += " " + reply.summary;
    if (request.strayBytes)
        line += " [" + std::to_string(request.strayBytes) + " stray bytes skipped]";
    if (fault && fault->errorText && reply.document) {
        reply.error = *fault->errorText;
        pugi::xml_node root = reply.document->child("prn");
        pugi::xml_node error = root.child("error");
        if (!error)
            error = root.append_child("error");
        error.text().set(reply.error.c_str());
    }
    if (!reply.error.empty())
        line += " error \"" + reply.error + "\"";
    if (fault)
        line += " fault {" + fault->describe() + "}";
    line += ", " + std::to_string(bytesIn) + " bytes in";

    if (fault && fault->reset && socket_) {
        io::resetOnClose(handle_);
        logExchange(line + ", reset");
        dropped_ = true;
        return;
    }
    if (fault && fault->close && socket_) {
        logExchange(line + ", hung up");
        dropped_ = true;
        return;
    }
    if (!reply.document || (fault && (fault->noAnswer || fault->close || fault->reset))) {
        logExchange(line + ", no answer");
        return;
    }
    Pending pending;
    pending.frame =
        buildFrame(*reply.document, reply.payload, fault ? fault->shape() : FrameShape());
    pending.due = Clock::now() + std::chrono::milliseconds(fault ? fault->delayMs.value_or(0) : 0);
    logExchange(line + ", " + std::to_string(pending.frame.size()) + " bytes out");
    output_.push_back(std::move(pending));
}

bool Connection::onWritable(Clock::time_point now) {
    while (!output_.empty() && output_.front().due <= now) {
        Pending& pending = output_.front();
        const OutgoingFrame& frame = pending.frame;
        const std::size_t payloadSize = frame.payload ? frame.payload->size() : 0;
        // Head, payload and checksum leave in one call wherever they fit.
        io::Piece parts[3];
        int count = 0;
        std::size_t offset = pending.sent;
        auto add = [&](const unsigned char* data, std::size_t size) {
            if (offset >= size) {
                offset -= size;
                return;
            }
            parts[count] = {data + offset, size - offset};
            ++count;
            offset = 0;
        };
        add(frame.head.data(), frame.head.size());
        if (payloadSize)
            add(frame.payload->data(), payloadSize);
        add(frame.crc.data(), frame.crc.size());
        const io::Transfer sent = io::sendPieces(handle_, parts, count, socket_);
        if (sent.status == io::Transfer::Again)
            return true;
        if (sent.status != io::Transfer::Moved) {
            logLine(name_ + " answer could not be sent; dropping the connection");
            return false;
        }
        pending.sent += sent.bytes;
        if (pending.sent < frame.size())
            return true;
        output_.pop_front();
    }
    return !finished();
}

} // namespace kalyxsim
