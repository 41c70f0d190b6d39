// kalyxsim: a Kalyx card printer that exists only in software. It answers the command protocol
// on 127.0.0.1 (and on Linux optionally on a pseudo-terminal, or on a virtual USB printer seen
// by one program), keeps the state a printer keeps, stores the card jobs it receives, and
// misbehaves on request so hosts can be tested against a printer that answers badly.
//
// It keeps its own implementation of the framing, of the commands and of job validation on
// purpose, sharing nothing with kalyxcomms or the document library but the checksum: it is our
// stand-in for a real printer, and only an independent implementation can catch the library's
// mistakes instead of repeating them.
#include "DevicePorts.h"
#include "Log.h"
#include "Server.h"
#include "SimOptions.h"
#include "SimPrinter.h"
#include "SocketIo.h"
#include "StopSignal.h"
#include "TcpListener.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

using namespace kalyxsim;

namespace {

bool addFaults(SimPrinter& printer, const std::vector<std::string>& lists) {
    for (const std::string& items : lists) {
        std::string problem;
        auto fault = parseFault(items, std::nullopt, problem);
        if (!fault) {
            std::fprintf(stderr, "kalyxsim: fault '%s': %s (try --help)\n", items.c_str(),
                         problem.c_str());
            return false;
        }
        printer.faults().add(std::move(*fault));
    }
    return true;
}

void announce(const SimOptions& options, const TcpListener& listener, const DevicePorts& devices,
              SimPrinter& printer) {
    // Beside a command, standard output is the command's alone: it may be piped on.
    std::FILE* out = options.withUsb ? stderr : stdout;
    std::fprintf(out, "listening on 127.0.0.1:%u\n", static_cast<unsigned>(listener.port()));
    devices.announce(options, out);
    std::fflush(out);
    std::string started = options.config.model + " " + options.config.serial + " ready";
    if (!printer.faults().empty())
        started += ", faults: " + printer.faults().describe();
    logLine(started);
}

int fail(const std::string& problem) {
    std::fprintf(stderr, "kalyxsim: %s\n", problem.c_str());
    return 1;
}

// A slow reader behind the system's large receive buffer acknowledges what it was sent in bursts
// (on loopback seconds apart), so a host that watches acknowledgements would take it for silent.
// About a quarter of a second's worth keeps them steady, as a printer that prints while it
// receives keeps them.
int receiveBufferFor(std::uint64_t readRate) {
    if (readRate == 0)
        return 0; // the system's own
    return static_cast<int>(std::clamp<std::uint64_t>(readRate / 4, 4096, 1 << 20));
}

} // namespace

int main(int argc, char** argv) {
    SimOptions options;
    int status = 0;
    if (!parseOptions(argc, argv, options, status))
        return status;
    std::string problem;
    if (!DevicePorts::available(options, problem))
        return fail(problem);
    SimPrinter printer(options.config);
    if (!addFaults(printer, options.faultLists))
        return 2;
    // Stop requests arrive through the event loop, never in the middle of an answer.
    StopSignal stop;
    if (!io::startup(problem) || !stop.open(problem))
        return fail(problem);

    TcpListener listener;
    if (!listener.open(options.port, problem, receiveBufferFor(options.readRate)))
        return fail("cannot listen on " + problem);
    Server server(printer, listener);
    server.setReadRate(options.readRate);
    server.setBufferCap(static_cast<std::size_t>(options.bufferCap));
    DevicePorts devices;
    if (!devices.attach(options, server, problem))
        return fail(problem);
    announce(options, listener, devices, printer);
    if (!devices.start(options, problem))
        return fail(problem);
    return devices.serve(server, stop);
}
