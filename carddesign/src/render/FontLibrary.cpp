#include "FontLibrary.h"

#include <QDir>
#include <QFile>

// Resources of a static library must be registered by name, outside any namespace.
static void registerShippedFonts() {
    Q_INIT_RESOURCE(carddesign_fonts);
}

namespace carddesign {

namespace {

// A font file larger than this is not a font anyone puts on a card.
constexpr qint64 maxFontBytes = 64 * 1024 * 1024;

} // namespace

FontLibrary::FontLibrary() {
    registerShippedFonts();
    const QDir shipped(QStringLiteral(":/carddesign/fonts"));
    for (const QString& name : shipped.entryList(QDir::Files, QDir::Name)) {
        QFile file(shipped.filePath(name));
        QString problem;
        if (file.open(QIODevice::ReadOnly))
            addFont(file.readAll(), name, problem);
    }
}

void FontLibrary::addFolder(const QString& folder, QStringList& problems) {
    const QDir dir(folder);
    const QStringList patterns{QStringLiteral("*.ttf"), QStringLiteral("*.TTF"),
                               QStringLiteral("*.ttc"), QStringLiteral("*.TTC")};
    for (const QString& name : dir.entryList(patterns, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        QString problem;
        if (file.size() > maxFontBytes)
            problem = QStringLiteral("larger than %1 MiB").arg(maxFontBytes >> 20);
        else if (!file.open(QIODevice::ReadOnly))
            problem = file.errorString();
        else
            addFont(file.readAll(), name, problem);
        if (!problem.isEmpty())
            problems << QStringLiteral("%1: %2").arg(name, problem);
    }
}

bool FontLibrary::addFont(const QByteArray& bytes, const QString& name, QString& problem) {
    auto font = std::make_unique<TrueTypeFont>();
    if (!font->load(bytes, problem))
        return false;
    if (font->family().isEmpty()) {
        problem = QStringLiteral("the font has no family name");
        return false;
    }
    Q_UNUSED(name);
    // The design's own faces come first, so they win over shipped faces of the same name.
    faces_.insert(faces_.begin(), std::move(font));
    return true;
}

const TrueTypeFont* FontLibrary::face(const QString& family, bool bold, bool italic) const {
    const TrueTypeFont* best = nullptr;
    int bestScore = -1;
    for (const auto& f : faces_) {
        if (f->family().compare(family, Qt::CaseInsensitive) != 0)
            continue;
        const int score = (f->bold() == bold ? 2 : 0) + (f->italic() == italic ? 1 : 0);
        if (score > bestScore) {
            best = f.get();
            bestScore = score;
        }
    }
    return best;
}

const TrueTypeFont* FontLibrary::faceFor(char32_t character, const TrueTypeFont* preferred) const {
    if (preferred->glyphFor(character) != 0)
        return preferred;
    // Same style first, then any.
    for (int pass = 0; pass < 2; ++pass)
        for (const auto& f : faces_)
            if ((pass == 1 ||
                 (f->bold() == preferred->bold() && f->italic() == preferred->italic())) &&
                f->glyphFor(character) != 0)
                return f.get();
    return preferred;
}

QStringList FontLibrary::families() const {
    QStringList names;
    for (const auto& f : faces_)
        if (!names.contains(f->family()))
            names << f->family();
    names.sort();
    return names;
}

} // namespace carddesign
