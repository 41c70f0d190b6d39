// The fonts a design can name: the ones shipped inside the program and the TrueType files in the
// design's own folder. Faces are picked by family, bold and italic; a character a face lacks is
// taken from another face of the library, so names in any script the fonts cover print whole.
#pragma once

#include "TrueTypeFont.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace carddesign {

class FontLibrary {
public:
    // With the shipped faces (DejaVu Sans in four styles).
    FontLibrary();

    // Adds every .ttf/.ttc file of a folder (not its subfolders). Files that are not usable
    // fonts are listed in `problems` ("NAME: reason") and skipped.
    void addFolder(const QString& folder, QStringList& problems);
    bool addFont(const QByteArray& bytes, const QString& name, QString& problem);

    // The face of `family` closest to the style asked for; null when no face has that family.
    const TrueTypeFont* face(const QString& family, bool bold, bool italic) const;
    // A face that draws `character`, `preferred` first; `preferred` itself when none does.
    const TrueTypeFont* faceFor(char32_t character, const TrueTypeFont* preferred) const;
    QStringList families() const;

    static QString defaultFamily() { return QStringLiteral("DejaVu Sans"); }

private:
    std::vector<std::unique_ptr<TrueTypeFont>> faces_;
};

} // namespace carddesign
