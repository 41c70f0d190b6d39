#include "SimOptions.h"

#include "FileStore.h"
#include "Log.h"
#include "Numbers.h"
#include "Platform.h"

#include <cstdio>
#include <cstring>

namespace kalyxsim {

namespace {

void printHelp() {
    std::printf(
        "Usage: kalyxsim [options]%s\n"
        "Simulates a Kalyx card printer speaking the framed XML command protocol.\n"
        "\n"
        "  --port N                 TCP port on 127.0.0.1 (default 9100; 0 picks a free one)\n"
        "%s"
        "  --jobs DIR               store every accepted card job as DIR/job-NNNN.prn\n"
        "  --serial TEXT            id-printer-serial (default KX2-000417)\n"
        "  --model TEXT             id-model-name (default Kalyx K2)\n"
        "  --track N=BITS           load magnetic track N (1-3) with BITS, a text of 0 and 1\n"
        "  --report-size N          answer get-report with N bytes instead of the text report\n"
        "  --hopper N               cards in the input hopper (default 100)\n"
        "  --print-time SECONDS     each card takes this long to print (e.g. 1 or 0.25); the\n"
        "                           printer holds one card job and reads the next only when\n"
        "                           the card is out, so a host sending it waits meanwhile\n"
        "  --read-rate BYTES        read at most BYTES per second from each host, as a printer\n"
        "                           that prints while it receives (default: no bound)\n"
        "  --max-buffered BYTES     hold at most BYTES of requests in memory across all hosts;\n"
        "                           beyond it the host holding the most is hung up on\n"
        "                           (default 268435456, 256 MiB; 0: no cap)\n"
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
        "  --version                show the version\n"
        "  --help                   show this text\n"
        "\n"
        "A fault is a comma-separated list of ITEMS:\n%s"
        "Faults given on the command line apply to every answer unless count= limits them.\n"
        "At run time, writing the setting \"sim-fault\" with ITEMS adds a fault for the next\n"
        "answer (or count= answers); writing it empty clears all faults, and reading it lists\n"
        "them. Other settings for tests: sim-mag-track1..3, sim-report-size,\n"
        "sim-hopper-cards; read-only: cards-printed (cards out of the printer),\n"
        "sim-jobs-received, sim-jobs-stored, sim-last-job,\n"
        "sim-wakeups (how often the event loop woke up).\n"
        "\n%s",
        platform::usageTail, platform::devicePortsHelp, faultSyntax(), platform::runningHelp);
}

bool parseUnsigned(const char* text, unsigned long long limit, unsigned long long& out) {
    const auto number = parseCount(text, limit);
    out = number.value_or(0);
    return number.has_value();
}

bool usage(const std::string& problem, int& status) {
    std::fprintf(stderr, "kalyxsim: %s (try --help)\n", problem.c_str());
    status = 2;
    return false;
}

// Options without a value. Returns false when `option` is not one of them.
bool applyFlag(const std::string& option, SimOptions& options, std::string& shortcuts) {
    auto addShortcut = [&shortcuts](const char* item) {
        shortcuts += (shortcuts.empty() ? "" : ",") + std::string(item);
    };
    if (option == "--quiet")
        setExchangeLogging(false);
    else if (option == "--pty")
        options.withPty = true;
    else if (option == "--crc-big-endian")
        addShortcut("crc-big-endian");
    else if (option == "--no-answer")
        addShortcut("no-answer");
    else if (option == "--close-after-request")
        addShortcut("close");
    else
        return false;
    return true;
}

// Options with a value. Returns an empty text when applied, else the usage problem.
std::string applyValue(const std::string& option, const char* value, SimOptions& options,
                       std::string& shortcuts) {
    PrinterConfig& config = options.config;
    unsigned long long number = 0;
    if (option == "--port") {
        if (!parseUnsigned(value, 65535, number))
            return "--port needs a number from 0 to 65535";
        options.port = static_cast<std::uint16_t>(number);
        options.portGiven = true;
    } else if (option == "--jobs") {
        config.jobsDir = value;
        if (!makeFolder(value))
            return std::string("--jobs: not a folder: ") + value;
    } else if (option == "--serial") {
        config.serial = value;
    } else if (option == "--model") {
        config.model = value;
    } else if (option == "--track") {
        const std::string text = value;
        if (text.size() < 2 || text[0] < '1' || text[0] > '3' || text[1] != '=' ||
            text.size() - 2 > SimPrinter::maxTrackBits ||
            text.find_first_not_of("01", 2) != std::string::npos)
            return "--track needs N=BITS with N from 1 to 3 and BITS of 0 and 1";
        config.tracks[text[0] - '1'] = text.substr(2);
    } else if (option == "--report-size") {
        if (!parseUnsigned(value, FrameReader::maxPayloadSize, number))
            return "--report-size needs a byte count up to " +
                   std::to_string(FrameReader::maxPayloadSize);
        config.reportSize = number;
    } else if (option == "--hopper") {
        if (!parseUnsigned(value, 100000, number))
            return "--hopper needs a number up to 100000";
        config.hopperCards = static_cast<unsigned>(number);
    } else if (option == "--print-time") {
        const auto ms = parseCount(value, 3600000, 3);
        if (!ms)
            return "--print-time needs seconds from 0 to 3600 (at most 3 decimals)";
        config.printTime = std::chrono::milliseconds(*ms);
    } else if (option == "--read-rate") {
        if (!parseUnsigned(value, 1ull << 40, number) || number == 0)
            return "--read-rate needs a positive byte count";
        options.readRate = number;
    } else if (option == "--max-buffered") {
        if (!parseUnsigned(value, 1ull << 40, number))
            return "--max-buffered needs a byte count";
        options.bufferCap = number;
    } else if (option == "--fault") {
        options.faultLists.push_back(value);
    } else if (option == "--stray-bytes" || option == "--text-length" ||
               option == "--binary-size-extra" || option == "--delay") {
        shortcuts += (shortcuts.empty() ? "" : ",") + option.substr(2) + "=" + value;
    } else if (option == "--error") {
        const std::string text = value;
        const std::size_t eq = text.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == text.size())
            return "--error needs COMMAND=TEXT";
        options.faultLists.push_back("for=" + text.substr(0, eq) + ",error=" + text.substr(eq + 1));
    } else {
        return "unknown option: " + option;
    }
    return {};
}

} // namespace

bool parseOptions(int argc, char** argv, SimOptions& options, int& status) {
    std::string shortcuts;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            printHelp();
            status = 0;
            return false;
        }
        if (option == "--version") {
            std::printf("kalyxsim %s\n", KALYX_VERSION);
            status = 0;
            return false;
        }
        if ((option == "--pty" || option == "--usb") && !platform::hasDevicePorts)
            return usage(option + " is not available on Windows, where the printer is served on "
                                  "TCP only",
                         status);
        if (option == "--usb") {
            options.withUsb = true;
            continue;
        }
        if (option == "--") {
            if (!options.withUsb || i + 1 >= argc)
                return usage("-- must come after --usb and be followed by COMMAND [ARGS...]",
                             status);
            options.usbCommand.assign(argv + i + 1, argv + argc);
            break;
        }
        if (applyFlag(option, options, shortcuts))
            continue;
        if (i + 1 >= argc)
            return usage(option.rfind("--", 0) == 0 && option.size() > 2
                             ? "unknown option or missing value: " + option
                             : "unexpected argument: " + option,
                         status);
        const std::string problem = applyValue(option, argv[++i], options, shortcuts);
        if (!problem.empty())
            return usage(problem, status);
    }
    if (options.withUsb && options.usbCommand.empty())
        return usage("--usb needs -- COMMAND [ARGS...] at the end", status);
    if (options.withUsb && !options.portGiven)
        options.port = 0; // two such runs must not collide on a fixed port
    if (!shortcuts.empty())
        options.faultLists.insert(options.faultLists.begin(), shortcuts);
    return true;
}

} // namespace kalyxsim
