#include "JobFile.h"

#include <QFile>

#include "CliSupport.h"
#include "HostSystem.h"

#include <string>

namespace cli {

namespace {

// A pipe that falls silent is given up on after as long as a printer's answer.
constexpr int pipeIdleMs = 7000;

} // namespace

LoadedJob loadJob(const QString& file) {
    LoadedJob job;
    const std::string path = QFile::encodeName(file).toStdString();
    if (file == QLatin1String("-") || isPipeOrSocket(path)) {
        std::string bytes;
        std::string problem;
        if (!readStream(path, std::size_t(KlxPrnHolder::maxJobSize), pipeIdleMs, bytes, problem)) {
            job.holder = KlxPrnHolder::fromBytes(QByteArray());
            job.messages << QStringLiteral("Cannot read the file: ") +
                                QString::fromLocal8Bit(problem.c_str());
            return job;
        }
        job.holder = KlxPrnHolder::fromBytes(QByteArray(bytes.data(), int(bytes.size())));
    } else {
        job.holder = std::make_unique<KlxPrnHolder>(file);
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

bool readJob(const QString& command, const QString& path, QByteArray& job) {
    const std::unique_ptr<KlxPrnHolder> holder = loadValidJob(command, path);
    if (!holder)
        return false;
    job = holder->toByteArray();
    return true;
}

} // namespace cli
