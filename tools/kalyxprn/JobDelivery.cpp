#include "JobDelivery.h"

#include "CliSupport.h"

namespace cli {

void sayJobWritten(const QString& sent, const QString& printerArgs) {
    out(sent);
    out(QStringLiteral("confirmed: every byte of the job was written to the printer's connection"));
    out(QStringLiteral("not confirmed: that a card printed (printers do not answer print jobs)"));
    out(QStringLiteral("to look: kalyxprn printer %1 report -   (its state and any error)")
            .arg(printerArgs));
    out(QStringLiteral("         kalyxprn printer %1 get KEY...").arg(printerArgs));
}

QString jobWrittenHelp() {
    return QStringLiteral(
        "Printers do not answer print jobs: success means that every byte was written to the "
        "printer's connection, not that a card printed. To see whether it did, ask the printer: "
        "'kalyxprn printer ... report -' shows its state and any error, 'kalyxprn printer ... "
        "get KEY...' reads its settings.");
}

} // namespace cli
