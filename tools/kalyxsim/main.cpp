// kalyxsim: a Kalyx card printer that exists only in software. It answers the command protocol
// on 127.0.0.1 (and optionally on a pseudo-terminal in place of a USB printer), keeps the state a
// printer keeps, stores the card jobs it receives, and misbehaves on request so hosts can be
// tested against a printer that answers badly.
#include "Log.h"
#include "Misbehaviour.h"
#include "PtyPort.h"
#include "Server.h"
#include "SimPrinter.h"
#include "TcpListener.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

void printHelp() {
    std::printf(
        "Usage: kalyxsim [options]\n"
        "Simulates a Kalyx card printer speaking the framed XML command protocol.\n"
        "\n"
        "  --port N                 TCP port on 127.0.0.1 (default 9100; 0 picks a free one)\n"
        "  --pty                    also serve a pseudo-terminal in place of a USB printer\n"
        "  --jobs DIR               store every accepted card job as DIR/job-NNNN.prn\n"
        "  --serial TEXT            id-printer-serial (default KX2-000417)\n"
        "  --model TEXT             id-model-name (default Kalyx K2)\n"
        "  --track N=BITS           load magnetic track N (1-3) with BITS, a text of 0 and 1\n"
        "  --report-size N          answer get-report with N bytes instead of the text report\n"
        "  --hopper N               cards in the input hopper (default 100)\n"
        "  --fault ITEMS            misbehave as ITEMS say (repeatable; see below)\n"
        "  --stray-bytes N          same as --fault stray-bytes=N\n"
        "  --crc-big-endian         same as --fault crc-big-endian\n"
        "  --text-length N          same as --fault text-length=N\n"
        "  --binary-size-extra N    same as --fault binary-size-extra=N\n"
        "  --no-answer              same as --fault no-answer\n"
        "  --close-after-request    same as --fault close\n"
        "  --delay MS               same as --fault delay=MS\n"
        "  --error COMMAND=TEXT     same as --fault for=COMMAND,error=TEXT\n"
        "  --quiet                  do not log each exchange\n"
        "  --help                   show this text\n"
        "\n"
        "A fault is a comma-separated list of ITEMS:\n%s"
        "Faults given on the command line apply to every answer unless count= limits them.\n"
        "At run time, writing the setting \"sim-fault\" with ITEMS adds a fault for the next\n"
        "answer (or count= answers); writing it empty clears all faults, and reading it lists\n"
        "them. Other settings for tests: sim-mag-track1..3, sim-report-size,\n"
        "sim-hopper-cards; read-only: sim-jobs-received, sim-jobs-stored, sim-last-job.\n"
        "\n"
        "On start the program prints \"listening on 127.0.0.1:PORT\" (and \"pty PATH\") on\n"
        "stdout, logs one line per exchange on stderr, and stops on SIGINT or SIGTERM.\n",
        kalyxsim::faultSyntax());
}

bool parseUnsigned(const char* text, unsigned long long limit, unsigned long long& out) {
    if (!text || !*text || std::strspn(text, "0123456789") != std::strlen(text))
        return false;
    errno = 0;
    out = std::strtoull(text, nullptr, 10);
    return errno == 0 && out <= limit;
}

int usage(const std::string& problem) {
    std::fprintf(stderr, "kalyxsim: %s (try --help)\n", problem.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using namespace kalyxsim;
    PrinterConfig config;
    unsigned long long port = 9100;
    bool withPty = false;
    std::vector<std::string> faultLists;
    std::string shortcuts;
    auto addShortcut = [&shortcuts](const std::string& item) {
        shortcuts += (shortcuts.empty() ? "" : ",") + item;
    };

    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needValue = [&]() {
            if (!value)
                return false;
            ++i;
            return true;
        };
        unsigned long long number = 0;
        if (option == "--help" || option == "-h") {
            printHelp();
            return 0;
        } else if (option == "--quiet") {
            setExchangeLogging(false);
        } else if (option == "--pty") {
            withPty = true;
        } else if (option == "--crc-big-endian") {
            addShortcut("crc-big-endian");
        } else if (option == "--no-answer") {
            addShortcut("no-answer");
        } else if (option == "--close-after-request") {
            addShortcut("close");
        } else if (!needValue()) {
            return usage(option.rfind("--", 0) == 0 && option.size() > 2
                             ? "unknown option or missing value: " + option
                             : "unexpected argument: " + option);
        } else if (option == "--port") {
            if (!parseUnsigned(value, 65535, port))
                return usage("--port needs a number from 0 to 65535");
        } else if (option == "--jobs") {
            config.jobsDir = value;
            ::mkdir(value, 0755);
            struct stat info {};
            if (::stat(value, &info) != 0 || !S_ISDIR(info.st_mode))
                return usage(std::string("--jobs: not a folder: ") + value);
        } else if (option == "--serial") {
            config.serial = value;
        } else if (option == "--model") {
            config.model = value;
        } else if (option == "--track") {
            const std::string text = value;
            if (text.size() < 2 || text[0] < '1' || text[0] > '3' || text[1] != '=' ||
                text.size() - 2 > SimPrinter::maxTrackBits ||
                text.find_first_not_of("01", 2) != std::string::npos)
                return usage("--track needs N=BITS with N from 1 to 3 and BITS of 0 and 1");
            config.tracks[text[0] - '1'] = text.substr(2);
        } else if (option == "--report-size") {
            if (!parseUnsigned(value, FrameReader::maxPayloadSize, number))
                return usage("--report-size needs a byte count up to " +
                             std::to_string(FrameReader::maxPayloadSize));
            config.reportSize = number;
        } else if (option == "--hopper") {
            if (!parseUnsigned(value, 100000, number))
                return usage("--hopper needs a number up to 100000");
            config.hopperCards = static_cast<unsigned>(number);
        } else if (option == "--fault") {
            faultLists.push_back(value);
        } else if (option == "--stray-bytes" || option == "--text-length" ||
                   option == "--binary-size-extra" || option == "--delay") {
            addShortcut(option.substr(2) + "=" + value);
        } else if (option == "--error") {
            const std::string text = value;
            const std::size_t eq = text.find('=');
            if (eq == std::string::npos || eq == 0 || eq + 1 == text.size())
                return usage("--error needs COMMAND=TEXT");
            faultLists.push_back("for=" + text.substr(0, eq) + ",error=" + text.substr(eq + 1));
        } else {
            return usage("unknown option: " + option);
        }
    }
    if (!shortcuts.empty())
        faultLists.insert(faultLists.begin(), shortcuts);

    SimPrinter printer(config);
    for (const std::string& items : faultLists) {
        std::string problem;
        auto fault = parseFault(items, -1, problem);
        if (!fault)
            return usage("fault '" + items + "': " + problem);
        printer.faults().add(std::move(*fault));
    }

    // Stop signals arrive through the event loop, never in the middle of an answer.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    sigprocmask(SIG_BLOCK, &stop, nullptr);
    const int signalFd = ::signalfd(-1, &stop, SFD_CLOEXEC);
    std::signal(SIGPIPE, SIG_IGN);
    if (signalFd < 0) {
        std::fprintf(stderr, "kalyxsim: signalfd: %s\n", std::strerror(errno));
        return 1;
    }

    TcpListener listener;
    std::string problem;
    if (!listener.open(static_cast<std::uint16_t>(port), problem)) {
        std::fprintf(stderr, "kalyxsim: cannot listen on %s\n", problem.c_str());
        return 1;
    }
    Server server(printer, listener);
    PtyPort pty;
    if (withPty) {
        if (!pty.open(problem)) {
            std::fprintf(stderr, "kalyxsim: %s\n", problem.c_str());
            return 1;
        }
        server.addPty(pty.releaseMaster(), pty.path());
    }

    std::printf("listening on 127.0.0.1:%u\n", static_cast<unsigned>(listener.port()));
    if (withPty)
        std::printf("pty %s\n", pty.path().c_str());
    std::fflush(stdout);
    std::string started = config.model + " " + config.serial + " ready";
    if (!printer.faults().empty())
        started += ", faults: " + printer.faults().describe();
    logLine(started);

    const bool ok = server.run(signalFd);
    ::close(signalFd);
    return ok ? 0 : 1;
}
