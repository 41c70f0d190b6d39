#include "JobFile.h"

#include <QFile>

#include "CliSupport.h"
#include "HostSystem.h"

#include <string>

namespace cli {

LoadedJob loadJob(const QString& file) {
    LoadedJob job;
    std::string bytes;
    std::string problem;
    switch (readInput(QFile::encodeName(file).toStdString(), std::size_t(KlxPrnHolder::maxJobSize),
                      inputIdleMs, bytes, problem)) {
    case InputRead::Read:
        job.holder = KlxPrnHolder::fromBytes(QByteArray(bytes.data(), int(bytes.size())));
        break;
    case InputRead::Failed:
        job.holder = KlxPrnHolder::fromBytes(QByteArray());
        job.messages << QStringLiteral("Cannot read the file: ") +
                            QString::fromLocal8Bit(problem.c_str());
        return job;
    case InputRead::NotAFile:
        // The document library says why it is not a job file.
        job.holder = std::make_unique<KlxPrnHolder>(file);
        break;
    }
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
        err(QStringLiteral("kalyxprn ") + command + QStringLiteral(": ") + shown(file) +
            QStringLiteral(": invalid: ") + shown(text));
        return nullptr;
    }
    for (const QString& warning : job.messages)
        err(QStringLiteral("kalyxprn ") + command + QStringLiteral(": ") + shown(file) +
            QStringLiteral(": warning: ") + shown(warning));
    return std::move(job.holder);
}

bool readJob(const QString& command, const QString& path, bool force, QByteArray& job) {
    const std::unique_ptr<KlxPrnHolder> holder = loadValidJob(command, path);
    if (!holder)
        return false;
    const QString problem = holder->problemForPrinting();
    if (!problem.isEmpty() && !force) {
        err(QStringLiteral("kalyxprn ") + command + QStringLiteral(": ") + shown(path) +
            QStringLiteral(": invalid for printing: ") + problem +
            QStringLiteral("; nothing sent (--force sends it anyway)"));
        return false;
    }
    job = holder->toByteArray();
    return true;
}

} // namespace cli
