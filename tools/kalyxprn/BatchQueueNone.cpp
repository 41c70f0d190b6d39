// Builds without libcups (and Windows) print batches to printers only.
#include "BatchDestination.h"

namespace cli {

bool queuesAvailable() {
    return false;
}

int queueSlots(const QString&, const QString&, QString& problem) {
    problem = QStringLiteral("this build prints to CUPS queues only on Linux with libcups");
    return 0;
}

std::unique_ptr<CardDestination> queueDestination(const QString&, const QString&) {
    return nullptr;
}

} // namespace cli
