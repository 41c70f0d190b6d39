#include "SimOptions.h"

#include "FileStore.h"
#include "Log.h"
#include "Numbers.h"
#include "Platform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kalyxsim {

namespace {

// One option: its help line(s) and what it does. `apply` returns an empty text when applied,
// else the usage problem; `value` is null for an option without a value.
struct Option {
    const char* name;
    const char* argument; // null: takes no value
    const char* help;     // may run over several lines, each after a '\n'
    std::string (*apply)(const char* value, SimOptions& options);
    bool devicePort = false; // not offered where the system has no pty or USB end
};

std::string countOption(const char* name, const char* value, std::uint64_t limit,
                        std::uint64_t& out) {
    const auto number = parseCount(value, limit);
    if (!number)
        return std::string(name) + " needs a number from 0 to " + std::to_string(limit);
    out = *number;
    return {};
}

const std::vector<Option>& optionTable() {
    static const std::vector<Option> table = {
        {"--port", "N", "TCP port on 127.0.0.1 (default 9100; 0 picks a free one)",
         [](const char* value, SimOptions& o) {
             std::uint64_t port = 0;
             std::string problem = countOption("--port", value, 65535, port);
             o.port = static_cast<std::uint16_t>(port);
             o.portGiven = true;
             return problem;
         }},
        {"--pty", nullptr, "also serve a pseudo-terminal in place of a USB printer",
         [](const char*, SimOptions& o) {
             o.withPty = true;
             return std::string();
         },
         true},
        {"--usb", nullptr,
         "with -- COMMAND ARGS at the end: run COMMAND with this printer\n"
         "attached on USB as /dev/usb/lp0 (a umockdev testbed); stop when\n"
         "it exits and exit with its status. Other options may stand before\n"
         "or after --usb; stdout is COMMAND's alone, and TCP is served on a\n"
         "free port unless --port is given",
         [](const char*, SimOptions& o) {
             o.withUsb = true;
             return std::string();
         },
         true},
        {"--jobs", "DIR", "store every accepted card job as DIR/job-NNNN.prn",
         [](const char* value, SimOptions& o) {
             o.config.jobsDir = value;
             return makeFolder(value) ? std::string()
                                      : std::string("--jobs: not a folder: ") + value;
         }},
        {"--serial", "TEXT", "id-printer-serial (default KX2-000417)",
         [](const char* value, SimOptions& o) {
             o.config.serial = value;
             return std::string();
         }},
        {"--model", "TEXT", "id-model-name (default Kalyx K2)",
         [](const char* value, SimOptions& o) {
             o.config.model = value;
             return std::string();
         }},
        {"--track", "N=BITS", "load magnetic track N (1-3) with BITS, a text of 0 and 1",
         [](const char* value, SimOptions& o) {
             const std::string text = value;
             if (text.size() < 2 || text[0] < '1' || text[0] > '3' || text[1] != '=' ||
                 text.size() - 2 > SimPrinter::maxTrackBits ||
                 text.find_first_not_of("01", 2) != std::string::npos)
                 return std::string("--track needs N=BITS with N from 1 to 3 and BITS of 0 and 1");
             o.config.tracks[static_cast<std::size_t>(text[0] - '1')] = text.substr(2);
             return std::string();
         }},
        {"--report-size", "N", "answer get-report with N bytes instead of the text report",
         [](const char* value, SimOptions& o) {
             return countOption("--report-size", value, FrameReader::maxPayloadSize,
                                o.config.reportSize);
         }},
        {"--hopper", "N", "cards in the input hopper (default 100)",
         [](const char* value, SimOptions& o) {
             std::uint64_t cards = 0;
             std::string problem =
                 countOption("--hopper", value, SimPrinter::maxHopperCards, cards);
             o.config.hopperCards = static_cast<unsigned>(cards);
             return problem;
         }},
        {"--print-time", "SECONDS",
         "each card takes this long to print (e.g. 1 or 0.25); the\n"
         "printer holds one card job and reads the next only when\n"
         "the card is out, so a host sending it waits meanwhile",
         [](const char* value, SimOptions& o) {
             const auto ms = parseCount(value, 3600000, 3);
             if (!ms)
                 return std::string(
                     "--print-time needs seconds from 0 to 3600 (at most 3 decimals)");
             o.config.printTime = std::chrono::milliseconds(*ms);
             return std::string();
         }},
        {"--read-rate", "BYTES",
         "read at most BYTES per second from each host, as a printer\n"
         "that prints while it receives (default: no bound)",
         [](const char* value, SimOptions& o) {
             const auto rate = parseCount(value, std::uint64_t(1) << 40);
             if (!rate || *rate == 0)
                 return std::string("--read-rate needs a positive byte count");
             o.readRate = *rate;
             return std::string();
         }},
        {"--max-buffered", "BYTES",
         "hold at most BYTES of requests in memory across all hosts;\n"
         "beyond it the host holding the most is hung up on\n"
         "(default 268435456, 256 MiB; 0: no cap)",
         [](const char* value, SimOptions& o) {
             return countOption("--max-buffered", value, std::uint64_t(1) << 40, o.bufferCap);
         }},
        {"--fault", "ITEMS", "misbehave as ITEMS say (repeatable; see below)",
         [](const char* value, SimOptions& o) {
             o.faultLists.push_back(value);
             return std::string();
         }},
        {"--error", "COMMAND=TEXT", "same as --fault for=COMMAND,error=TEXT",
         [](const char* value, SimOptions& o) {
             const std::string text = value;
             const std::size_t eq = text.find('=');
             if (eq == std::string::npos || eq == 0 || eq + 1 == text.size())
                 return std::string("--error needs COMMAND=TEXT");
             o.faultLists.push_back("for=" + text.substr(0, eq) + ",error=" + text.substr(eq + 1));
             return std::string();
         }},
        {"--quiet", nullptr, "do not log each exchange",
         [](const char*, SimOptions&) {
             setExchangeLogging(false);
             return std::string();
         }},
    };
    return table;
}

const Option* findOption(const std::string& name) {
    for (const Option& option : optionTable())
        if (name == option.name && (platform::hasDevicePorts || !option.devicePort))
            return &option;
    return nullptr;
}

// A fault item that a command-line option stands for.
const FaultItem* findAlias(const std::string& name) {
    for (const FaultItem& item : faultItems())
        if (item.alias && name == item.alias)
            return &item;
    return nullptr;
}

void helpLine(std::string& text, std::string left, const std::string& help) {
    left = "  " + left;
    left.resize(std::max<std::size_t>(left.size() + 1, 27), ' ');
    for (char c : help)
        left += c == '\n' ? "\n" + std::string(27, ' ') : std::string(1, c);
    text += left + "\n";
}

// `text` broken into lines of at most `width` characters at its spaces.
std::string wrapped(const std::string& text, std::size_t width = 88) {
    std::string out, line;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find(' ', pos), text.size());
        const std::string word = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            out += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return out + line + "\n";
}

void printHelp() {
    std::string options;
    for (const Option& option : optionTable()) {
        if (!platform::hasDevicePorts && option.devicePort)
            continue;
        helpLine(options,
                 std::string(option.name) +
                     (option.argument ? std::string(" ") + option.argument : std::string()),
                 option.help);
        if (std::strcmp(option.name, "--fault") != 0)
            continue;
        // The shortcuts for single fault items follow --fault.
        for (const FaultItem& item : faultItems())
            if (item.alias)
                helpLine(options,
                         item.alias + (item.argument ? std::string(" ") + item.argument : ""),
                         std::string("same as --fault ") + item.name +
                             (item.argument ? std::string("=") + item.argument : ""));
    }
    helpLine(options, "--version", "show the version");
    helpLine(options, "--help", "show this text");
    const std::string settings = wrapped(
        "Faults given on the command line apply to every answer unless count= limits them. At "
        "run time, writing the setting \"sim-fault\" with ITEMS adds a fault for the next answer "
        "(or count= answers); writing it empty clears all faults, and reading it lists them. "
        "Other settings for tests: " +
        SimControls::names(true) + "; read-only: " + SimControls::names(false) +
        " (how often the event loop woke up). The printer's own cards-printed counts the cards "
        "out of the printer.");
    std::printf("Usage: kalyxsim [options]%s\n"
                "Simulates a Kalyx card printer speaking the framed XML command protocol.\n"
                "\n%s\n"
                "A fault is a comma-separated list of ITEMS:\n%s%s\n%s",
                platform::usageTail, options.c_str(), faultSyntax().c_str(), settings.c_str(),
                platform::runningHelp);
}

bool usage(const std::string& problem, int& status) {
    std::fprintf(stderr, "kalyxsim: %s (try --help)\n", problem.c_str());
    status = 2;
    return false;
}

} // namespace

bool parseOptions(int argc, char** argv, SimOptions& options, int& status) {
    // The shortcut options make one fault list, applied before the --fault lists.
    std::string shortcuts;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            printHelp();
            status = 0;
            return false;
        }
        if (name == "--version") {
            std::printf("kalyxsim %s\n", KALYX_VERSION);
            status = 0;
            return false;
        }
        if ((name == "--pty" || name == "--usb") && !platform::hasDevicePorts)
            return usage(name + " is not available on Windows, where the printer is served on "
                                "TCP only",
                         status);
        if (name == "--") {
            if (!options.withUsb || i + 1 >= argc)
                return usage("-- must come after --usb and be followed by COMMAND [ARGS...]",
                             status);
            options.usbCommand.assign(argv + i + 1, argv + argc);
            break;
        }
        const Option* option = findOption(name);
        const FaultItem* alias = option ? nullptr : findAlias(name);
        if (!option && !alias)
            return usage(name.rfind("--", 0) == 0 ? "unknown option: " + name
                                                  : "unexpected argument: " + name,
                         status);
        const bool takesValue = option ? option->argument != nullptr : alias->argument != nullptr;
        if (takesValue && i + 1 >= argc)
            return usage(name + " needs a value", status);
        const char* value = takesValue ? argv[++i] : nullptr;
        if (alias) {
            shortcuts += (shortcuts.empty() ? "" : ",") + std::string(alias->name) +
                         (value ? std::string("=") + value : std::string());
            continue;
        }
        const std::string problem = option->apply(value, options);
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
