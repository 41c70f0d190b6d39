#include "BatchOutputs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

// How long a command still running may hold up the window that started it as it closes.
constexpr int ownerGoneWaitMs = 15000;

} // namespace

QString kalyxprnProgram() {
    const QString here = QCoreApplication::applicationDirPath();
#ifdef _WIN32
    const QString name = QStringLiteral("kalyxprn.exe");
#else
    const QString name = QStringLiteral("kalyxprn");
#endif
    for (const QString& candidate :
         {here + QLatin1Char('/') + name, here + QStringLiteral("/../tools/kalyxprn/") + name,
          here + QStringLiteral("/../../tools/kalyxprn/") + name})
        if (QFileInfo(candidate).isExecutable())
            return QFileInfo(candidate).absoluteFilePath();
    return QStandardPaths::findExecutable(QStringLiteral("kalyxprn"));
}

void runKalyxprn(QObject* owner, const QStringList& args,
                 std::function<void(int, const QString&, const QString&)> done) {
    const QString program = kalyxprnProgram();
    if (program.isEmpty()) {
        done(-1, QString(), QCoreApplication::translate("BatchOutputs", "kalyxprn was not found"));
        return;
    }
    auto* process = new QProcess(owner);
    QObject::connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), owner,
                     [process, done](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         done(status == QProcess::NormalExit ? code : -1,
                              QString::fromUtf8(process->readAllStandardOutput()),
                              QString::fromUtf8(process->readAllStandardError()));
                     });
    QObject::connect(process, &QProcess::errorOccurred, owner,
                     [process, done](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         process->deleteLater();
                         done(-1, QString(), process->errorString());
                     });
    // A command still running when its owner goes (a status read, a proof, an answer being
    // journalled) is given a while to finish rather than killed with the window. Its owner's
    // handlers are cut first: the owner is half destroyed by then.
    QObject::connect(owner, &QObject::destroyed, process, [process, owner] {
        QObject::disconnect(process, nullptr, owner, nullptr);
        process->closeWriteChannel();
        process->waitForFinished(ownerGoneWaitMs);
    });
    process->start(program, args);
}

void runBatchCommand(QObject* owner, const QString& design, const QString& data,
                     const QStringList& args, std::function<void(bool, const QString&)> done) {
    runKalyxprn(owner, QStringList{QStringLiteral("batch"), design, data} + args,
                [done](int status, const QString& out, const QString& err) {
                    const bool ok = status == 0;
                    done(ok, (ok ? out : err).trimmed());
                });
}
