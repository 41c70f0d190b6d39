#include "BatchOutputs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

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

void runBatchCommand(QObject* owner, const QString& design, const QString& data,
                     const QStringList& args, std::function<void(bool, const QString&)> done) {
    const QString program = kalyxprnProgram();
    if (program.isEmpty()) {
        done(false, QCoreApplication::translate("BatchOutputs", "kalyxprn was not found"));
        return;
    }
    auto* process = new QProcess(owner);
    QObject::connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), owner,
                     [process, done](int code, QProcess::ExitStatus status) {
                         const bool ok = status == QProcess::NormalExit && code == 0;
                         const QString said =
                             QString::fromUtf8(ok ? process->readAllStandardOutput()
                                                  : process->readAllStandardError());
                         process->deleteLater();
                         done(ok, said.trimmed());
                     });
    QObject::connect(process, &QProcess::errorOccurred, owner,
                     [process, done](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         process->deleteLater();
                         done(false, process->errorString());
                     });
    process->start(program, QStringList{QStringLiteral("batch"), design, data} + args);
}
