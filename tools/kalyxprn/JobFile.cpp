#include "JobFile.h"

#include "CliSupport.h"

namespace cli {

LoadedJob loadJob(const QString& file) {
    LoadedJob job;
    job.holder = std::make_unique<KlxPrnHolder>(file);
    job.messages = job.holder->messages();
    if (!job.holder->isValid() && !job.holder->loadError().isEmpty())
        job.messages.append(job.holder->loadError());
    return job;
}

std::unique_ptr<KlxPrnHolder> loadValidJob(const QString& command, const QString& file) {
    LoadedJob job = loadJob(file);
    if (!job.holder->isValid()) {
        QString text = job.messages.join(QStringLiteral("; "));
        if (text.isEmpty())
            text = QStringLiteral("Couldn't parse PRN file.");
        err(QStringLiteral("kalyxprn ") + command + QStringLiteral(": ") + file +
            QStringLiteral(": invalid: ") + text);
        return nullptr;
    }
    for (const QString& warning : job.messages)
        err(QStringLiteral("kalyxprn ") + command + QStringLiteral(": ") + file +
            QStringLiteral(": warning: ") + warning);
    return std::move(job.holder);
}

bool readJob(const QString& command, const QString& path, QByteArray& job) {
    const std::unique_ptr<KlxPrnHolder> holder = loadValidJob(command, path);
    if (!holder)
        return false;
    job = holder->toByteArray();
    return true;
}

} // namespace cli
