// A design drawn for one data row at printer resolution: colour objects into Y, M and C, `ink: k`
// objects into K as one bit per dot (knocking out the colour beneath), the overlay's holes, the
// magnetic tracks, and the print job made of them.
#pragma once

#include "CardDesign.h"
#include "CardTemplate.h"
#include "RowChecks.h"

#include <QByteArray>
#include <QImage>
#include <QStringList>

#include <array>
#include <memory>
#include <vector>

class CardRenderer {
public:
    // Fonts in the design's folder are added to the shipped ones.
    explicit CardRenderer(const CardDesign& design);
    ~CardRenderer();
    CardRenderer(const CardRenderer&) = delete;
    CardRenderer& operator=(const CardRenderer&) = delete;

    // Problems of the design's own files (a font in its folder that cannot be read), the same
    // for every row; fields name the file.
    const std::vector<CardRowProblem>& designProblems() const;
    // The font families texts may name: the shipped ones and those in the design's folder.
    QStringList fontFamilies() const;

    // What a render makes. With neither, only what can fail is done: templates expanded,
    // barcodes encoded, texts set, pictures' headers read; nothing is drawn.
    enum Output {
        CheckOnly = 0,
        Pictures = 1, // the sides as they print
        Job = 2,      // the print job
        KPlane = 4,   // each side's K plane alone, as it prints
    };
    struct Card {
        std::vector<CardRowProblem> problems;
        // The sides as they print (colour with K on top); null for a side the design lacks.
        std::array<QImage, 2> sides;
        QByteArray job; // only without problems
        // The K planes, one bit per dot (Format_Mono, 1 = a black dot); null for a side the
        // design lacks.
        std::array<QImage, 2> kPlanes;
    };
    // `dataFolder`: where per-row file names resolve.
    Card render(const CardTemplateContext& context, const QString& dataFolder, int outputs);

    // Makes the built-in fonts known to Qt's own font database (a QGuiApplication must exist),
    // for text Qt lays out itself, such as the captions of a proof sheet.
    static void addBuiltInFontsToQt();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
