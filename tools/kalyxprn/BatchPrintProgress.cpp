#include "BatchPrintProgress.h"

#include "CliSupport.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace cli {

BatchPrintProgress::BatchPrintProgress(const QStringList& printers, int total, Style style)
    : printers_(printers), doing_(std::size_t(printers.size()), QStringLiteral("idle")),
      total_(total), style_(style) {
    clock_.start();
    if (style_ == Style::Json)
        emitJson({{QStringLiteral("event"), QStringLiteral("start")},
                  {QStringLiteral("total"), total},
                  {QStringLiteral("printers"), QJsonArray::fromStringList(printers)}},
                 nullptr);
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

void BatchPrintProgress::emitJson(QJsonObject event, const BatchCard* card) {
    if (card) {
        event.insert(QStringLiteral("row"), card->row);
        event.insert(QStringLiteral("key"), card->key);
    }
    // One line in one write, flushed: the reader acts on each line as it comes.
    const QByteArray line = QJsonDocument(event).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stdout);
    std::fflush(stdout);
}

void BatchPrintProgress::started(int printer, const BatchCard& card) {
    std::lock_guard<std::mutex> lock(mutex_);
    doing_[std::size_t(printer)] = QStringLiteral("row %1").arg(card.row);
    if (style_ == Style::Terminal)
        draw();
    else if (style_ == Style::Json)
        emitJson({{QStringLiteral("event"), QStringLiteral("sending")},
                  {QStringLiteral("printer"), printers_.at(printer)}},
                 &card);
}

void BatchPrintProgress::finished(int printer, const BatchCard& card, const QString& state,
                                  const QString& reason, bool printed, bool retried) {
    std::lock_guard<std::mutex> lock(mutex_);
    doing_[std::size_t(printer)] = QStringLiteral("idle");
    if (!retried)
        ++done_;
    if (printed)
        ++printed_;
    const QString why =
        retried ? reason + QStringLiteral("; the card goes to another printer") : reason;
    switch (style_) {
    case Style::Terminal:
        draw();
        break;
    case Style::Lines:
        out(QStringLiteral("%1 -> %2 %3")
                .arg(label(card), printers_.at(printer),
                     shown(why.isEmpty() ? state : state + QStringLiteral(": ") + why)));
        break;
    case Style::Json: {
        QJsonObject event{{QStringLiteral("event"), state},
                          {QStringLiteral("printer"), printers_.at(printer)}};
        if (!reason.isEmpty())
            event.insert(QStringLiteral("reason"), reason);
        if (retried)
            event.insert(QStringLiteral("retried"), true);
        emitJson(event, &card);
        break;
    }
    }
}

void BatchPrintProgress::passed(const BatchCard& card, bool skipped) {
    std::lock_guard<std::mutex> lock(mutex_);
    // Counted as done, so that a resumed batch's count reaches its total.
    ++done_;
    if (style_ == Style::Terminal)
        draw();
    else if (style_ == Style::Json)
        emitJson(skipped ? QJsonObject{{QStringLiteral("event"), QStringLiteral("skipped")}}
                         : QJsonObject{{QStringLiteral("event"), QStringLiteral("refused")},
                                       {QStringLiteral("reason"), card.problem}},
                 &card);
}

void BatchPrintProgress::printerLeft(int printer, const QString& reason) {
    std::lock_guard<std::mutex> lock(mutex_);
    doing_[std::size_t(printer)] = QStringLiteral("out");
    if (style_ == Style::Json) {
        emitJson({{QStringLiteral("event"), QStringLiteral("printer-left")},
                  {QStringLiteral("printer"), printers_.at(printer)},
                  {QStringLiteral("reason"), reason}},
                 nullptr);
        return;
    }
    if (style_ == Style::Terminal && drawn_) {
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
