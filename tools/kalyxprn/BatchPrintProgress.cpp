#include "BatchPrintProgress.h"

#include "CliSupport.h"

#include <cstdio>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace cli {

BatchPrintProgress::BatchPrintProgress(const QStringList& printers, int total, bool terminal)
    : printers_(printers), doing_(std::size_t(printers.size()), QStringLiteral("idle")),
      total_(total), terminal_(terminal) {
    clock_.start();
}

bool BatchPrintProgress::stdoutIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdout)) != 0;
#else
    return isatty(STDOUT_FILENO) == 1;
#endif
}

QString BatchPrintProgress::label(const BatchCard& card) {
    return QStringLiteral("row %1 (%2)").arg(card.row).arg(shown(card.key));
}

void BatchPrintProgress::started(int printer, const BatchCard& card) {
    std::lock_guard<std::mutex> lock(mutex_);
    doing_[std::size_t(printer)] = QStringLiteral("row %1").arg(card.row);
    if (terminal_)
        draw();
}

void BatchPrintProgress::finished(int printer, const BatchCard& card, const QString& outcome,
                                  bool printed) {
    std::lock_guard<std::mutex> lock(mutex_);
    doing_[std::size_t(printer)] = QStringLiteral("idle");
    ++done_;
    if (printed)
        ++printed_;
    if (terminal_) {
        draw();
        return;
    }
    out(QStringLiteral("%1 -> %2 %3").arg(label(card), printers_.at(printer), shown(outcome)));
}

void BatchPrintProgress::printerLeft(int printer, const QString& reason) {
    std::lock_guard<std::mutex> lock(mutex_);
    doing_[std::size_t(printer)] = QStringLiteral("out");
    if (terminal_ && drawn_) {
        std::fputc('\n', stdout);
        drawn_ = false;
    }
    err(QStringLiteral("printer %1 left the pool: %2").arg(printers_.at(printer), shown(reason)));
}

void BatchPrintProgress::close() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (drawn_)
        std::fputc('\n', stdout);
    drawn_ = false;
    std::fflush(stdout);
}

void BatchPrintProgress::draw() {
    QString line =
        total_ >= 0 ? QStringLiteral("%1/%2").arg(done_).arg(total_) : QString::number(done_);
    for (int i = 0; i < printers_.size(); ++i)
        line += QStringLiteral(" | %1 %2").arg(printers_.at(i), doing_[std::size_t(i)]);
    const double minutes = double(clock_.elapsed()) / 60000.0;
    if (printed_ > 0 && minutes > 0) {
        const double rate = printed_ / minutes;
        line += QStringLiteral(" | %1 cards/min").arg(rate, 0, 'f', 1);
        if (total_ > done_) {
            const int left = int((total_ - done_) / rate * 60.0);
            line += QStringLiteral(" | %1:%2 left")
                        .arg(left / 60)
                        .arg(left % 60, 2, 10, QLatin1Char('0'));
        }
    }
    std::fprintf(stdout, "\r\x1b[K%s", line.toLocal8Bit().constData());
    std::fflush(stdout);
    drawn_ = true;
}

} // namespace cli
