// A proof sheet of a batch: A4 pages with each card's front beside its back at their printed
// size, the row number and key under each, and the problems of a row that cannot be printed.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>

class ProofSheet {
public:
    ProofSheet();
    ~ProofSheet();
    // Starts the PDF; false with the reason when the file cannot be written.
    bool open(const QString& path, const QString& title, QString& problem);
    // `sides`: null for a side the design lacks. `problems` marks the card.
    void add(int row, const QString& key, const std::array<QImage, 2>& sides,
             const QStringList& problems);
    // Ends the PDF; false with the reason when it could not be completed.
    bool finish(QString& problem);

    static constexpr int cardsPerPage = 4;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
