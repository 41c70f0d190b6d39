#include "ProofSheet.h"

#include <carddesign/CardRenderer.h>

#include <QFile>
#include <QFont>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace {

// Page geometry in millimetres: a card is 85.6 x 54 mm.
constexpr double margin = 12, cardWidth = 85.6, cardHeight = 54, gap = 6;
constexpr double captionHeight = 11;
constexpr int dotsPerInch = 300;

double dots(double mm) {
    return mm * dotsPerInch / 25.4;
}

} // namespace

struct ProofSheet::Impl {
    std::unique_ptr<QFile> file;
    std::unique_ptr<QPdfWriter> writer;
    std::unique_ptr<QPainter> painter;
    int onPage = 0;
    bool anyPage = false;
};

ProofSheet::ProofSheet() : d(std::make_unique<Impl>()) {}
ProofSheet::~ProofSheet() = default;

bool ProofSheet::open(const QString& path, const QString& title, QString& problem) {
    CardRenderer::addBuiltInFontsToQt(); // the captions' font, the same on every system
    d->file = std::make_unique<QFile>(path);
    if (!d->file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        problem = d->file->errorString();
        return false;
    }
    d->writer = std::make_unique<QPdfWriter>(d->file.get());
    d->writer->setTitle(title);
    d->writer->setCreator(QStringLiteral("kalyxprn batch"));
    d->writer->setResolution(dotsPerInch);
    d->writer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    d->painter = std::make_unique<QPainter>();
    if (!d->painter->begin(d->writer.get())) {
        problem = QStringLiteral("cannot start the PDF");
        return false;
    }
    return true;
}

void ProofSheet::add(int row, const QString& key, const std::array<QImage, 2>& sides,
                     const QStringList& problems) {
    QPainter& p = *d->painter;
    if (d->onPage == cardsPerPage) {
        d->writer->newPage();
        d->onPage = 0;
    }
    const double top = margin + d->onPage * (cardHeight + captionHeight + gap);
    ++d->onPage;
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int s = 0; s < 2; ++s) {
        const QRectF card(dots(margin + s * (cardWidth + gap)), dots(top), dots(cardWidth),
                          dots(cardHeight));
        if (!sides[std::size_t(s)].isNull())
            p.drawImage(card, sides[std::size_t(s)]);
        // The card's edge, thin and grey, so a white card shows where it ends.
        p.setPen(QPen(problems.isEmpty() ? QColor(160, 160, 160) : QColor(200, 0, 0),
                      problems.isEmpty() ? 2 : 8));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(card, dots(3), dots(3));
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(int(dots(3.2)));
    p.setFont(font);
    p.setPen(Qt::black);
    QString caption = QStringLiteral("row %1").arg(row);
    if (!key.isEmpty())
        caption += QStringLiteral(" (%1)").arg(key);
    const QRectF text(dots(margin), dots(top + cardHeight + 1), dots(2 * cardWidth + gap),
                      dots(captionHeight - 1));
    if (problems.isEmpty()) {
        p.drawText(text, Qt::AlignLeft | Qt::AlignTop, caption);
        return;
    }
    p.setPen(QColor(200, 0, 0));
    font.setPixelSize(int(dots(2.6)));
    p.setFont(font);
    QString marked = caption + QStringLiteral(": NOT PRINTED: ") + problems.first();
    if (problems.size() > 1)
        marked += QStringLiteral(" (and %1 more)").arg(problems.size() - 1);
    p.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, marked);
}

bool ProofSheet::finish(QString& problem) {
    if (!d->painter)
        return false;
    const bool ended = d->painter->end();
    d->painter.reset();
    d->writer.reset();
    const bool flushed = d->file->flush();
    d->file->close();
    if (!ended || !flushed || d->file->error() != QFileDevice::NoError) {
        problem = d->file->errorString();
        if (problem.isEmpty())
            problem = QStringLiteral("the PDF could not be completed");
        return false;
    }
    return true;
}
