#include "BatchProgress.h"

#include "HostSystem.h"

#include <carddesign/CardBatch.h>

#include <QString>

#include <cstdio>

namespace {

constexpr qint64 redrawMs = 250;

void writeRaw(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

BatchProgress::BatchProgress(const CardBatch& batch) : shown_(cli::stderrIsTerminal()) {
    if (!shown_)
        return;
    total_ = batch.countSelectedRows();
    started_.start();
    drawn_.start();
}

BatchProgress::~BatchProgress() {
    clear();
}

void BatchProgress::step() {
    ++done_;
    if (shown_ && drawn_.elapsed() >= redrawMs) {
        drawn_.restart();
        draw();
    }
}

void BatchProgress::draw() {
    const double seconds = std::max<qint64>(1, started_.elapsed()) / 1000.0;
    const double rate = done_ / seconds;
    QString line = total_ >= 0 ? QStringLiteral("%1/%2 rows").arg(done_).arg(total_)
                               : QStringLiteral("%1 rows").arg(done_);
    line += QStringLiteral(", %1 cards/s").arg(rate, 0, 'f', 1);
    if (total_ > done_ && rate > 0)
        line += QStringLiteral(", %1 s left").arg(qint64((total_ - done_) / rate + 0.5));
    writeRaw(QStringLiteral("\r\x1b[K") + line);
}

void BatchProgress::clear() {
    if (shown_ && done_ > 0)
        writeRaw(QStringLiteral("\r\x1b[K"));
}
