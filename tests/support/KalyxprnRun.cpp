#include "KalyxprnRun.h"

#include <QProcess>

namespace kalyxtest {

namespace {

constexpr int runLimitMs = 60000;

} // namespace

const char* kalyxprnPath() {
    return KALYXPRN_PATH;
}

Result kalyxprn(const QStringList& args) {
    return kalyxprn(args, RunOptions());
}

Result kalyxprn(const QStringList& args, const RunOptions& options) {
    QProcess process;
    process.setWorkingDirectory(options.workingDirectory);
    if (!options.outputFile.isEmpty())
        process.setStandardOutputFile(options.outputFile);
    const QString program = QString::fromLocal8Bit(kalyxprnPath());
    if (options.fileSizeLimit > 0) {
#ifdef _WIN32
        Result refused;
        refused.err = QStringLiteral("a file size limit needs a POSIX system");
        return refused;
#else
        // Writes beyond the limit fail with EFBIG; the signal that comes with them is ignored,
        // and stays ignored across the exec.
        QStringList wrapped{QStringLiteral("-c"),
                            QStringLiteral("trap '' XFSZ; exec prlimit --fsize=%1 -- \"$@\"")
                                .arg(options.fileSizeLimit),
                            QStringLiteral("sh"), program};
        process.start(QStringLiteral("/bin/sh"), wrapped + args);
#endif
    } else {
        process.start(program, args);
    }
    if (process.waitForStarted(runLimitMs)) {
        process.write(options.input);
        process.closeWriteChannel();
    }
    Result run;
    if (!process.waitForFinished(runLimitMs) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished(5000);
        return run;
    }
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace kalyxtest
