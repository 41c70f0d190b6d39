#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void installKlxTranslations(QCoreApplication& app) {
    // The .qm files are compiled into the core library, which is linked statically.
    Q_INIT_RESOURCE(kalyx_translations);
    auto* own = new QTranslator(&app);
    if (own->load(QLocale(), QStringLiteral("kalyxprntool"), QStringLiteral("_"),
                  QStringLiteral(":/i18n")))
        app.installTranslator(own);
    else
        delete own;
    // Buttons of message boxes and file dialogs; present where the system has Qt's translations.
    auto* qt = new QTranslator(&app);
    if (qt->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qt);
    else
        delete qt;
}
