#include "Command.h"
#include "Completion.h"

const std::vector<Command>& commandTable() {
    static const std::vector<Command> table = {
        {"check", "validate jobs as the window does", runCheck},
        {"info", "show the layout of a job: card, panels, tracks, checksum", runInfo},
        {"render", "write a side's preview picture", runRender},
        {"mag", "decode the magnetic tracks", runMag},
        {"get", "print the text of the header nodes an XPath selects", runGet},
        {"set", "edit one option and save", runSet},
        {"save", "write the job back with a fresh checksum", runSave},
        {"sample", "write the demonstration job", runSample},
        {"printers", "list the printers attached by USB", runPrinters},
        {"send", "write a job file to a printer", runSend},
        {"printer", "run a command on a printer (moves, settings, updates...)", runPrinter,
         describePrinterCommands},
        {"compose", "make a job from pictures and track texts and print or save it", runCompose},
        {"batch", "make cards from a design and a data file: check, proof, jobs, print", runBatch},
    };
    return table;
}
