#include "BatchPrintRun.h"

#include "BatchOutputs.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

// The longest a card in flight may take when the window goes: the printer's write time-out.
constexpr int lastCardWaitMs = 35000;

} // namespace

BatchPrintRun::BatchPrintRun(QObject* parent) : QObject(parent) {}

BatchPrintRun::~BatchPrintRun() {
    if (!running())
        return;
    // Killed, the card in flight would be left uncertain: let it finish.
    disconnect(process, nullptr, this, nullptr);
    process->closeWriteChannel();
    process->waitForFinished(lastCardWaitMs);
}

bool BatchPrintRun::running() const {
    return process && process->state() != QProcess::NotRunning;
}

void BatchPrintRun::start(const QString& design, const QString& data, const QStringList& args) {
    if (running())
        return;
    const QString program = kalyxprnProgram();
    if (program.isEmpty()) {
        emit ended(-1, QCoreApplication::translate("BatchOutputs", "kalyxprn was not found"));
        return;
    }
    if (process) {
        // It may be the one whose end is being told right now.
        disconnect(process, nullptr, this, nullptr);
        process->deleteLater();
    }
    pending.clear();
    process = new QProcess(this);
    connect(process, &QProcess::readyReadStandardOutput, this, &BatchPrintRun::readLines);
    connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            [this](int code, QProcess::ExitStatus status) {
                readLines();
                const QString said = QString::fromUtf8(process->readAllStandardError()).trimmed();
                emit ended(status == QProcess::NormalExit ? code : -1, said);
            });
    connect(process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            emit ended(-1, process->errorString());
    });
    process->start(program, QStringList{QStringLiteral("batch"), design, data} + args +
                                QStringList{QStringLiteral("--progress-json"),
                                            QStringLiteral("--stop-on-input")});
}

void BatchPrintRun::stop() {
    if (running())
        process->write("stop\n");
}

void BatchPrintRun::readLines() {
    pending += process->readAllStandardOutput();
    for (int end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
        const QByteArray line = pending.left(end).trimmed();
        pending.remove(0, end + 1);
        // The summary at the end is for people: only the JSON lines are read.
        if (!line.startsWith('{'))
            continue;
        const QJsonObject e = QJsonDocument::fromJson(line).object();
        QString step = e.value(QLatin1String("event")).toString();
        if (step == QLatin1String("failed") && e.value(QLatin1String("retried")).toBool())
            step = QStringLiteral("retrying");
        if (step == QLatin1String("start")) {
            QStringList printers;
            for (const QJsonValue& p : e.value(QLatin1String("printers")).toArray())
                printers << p.toString();
            emit begun(e.value(QLatin1String("total")).toInt(), printers);
        } else if (step == QLatin1String("printer-left")) {
            emit printerLeft(e.value(QLatin1String("printer")).toString(),
                             e.value(QLatin1String("reason")).toString());
        } else if (!step.isEmpty()) {
            emit card(step, e.value(QLatin1String("row")).toInt(),
                      e.value(QLatin1String("key")).toString(),
                      e.value(QLatin1String("printer")).toString(),
                      e.value(QLatin1String("reason")).toString());
        }
    }
}
