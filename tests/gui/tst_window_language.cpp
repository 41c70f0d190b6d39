// The window in the user's language: started under LANGUAGE=de (or fr) it shows the German (or
// French) texts; the ctest entries set the variable.
#include "KlxPrnTool.h"
#include "Translations.h"
#include "WindowTestSupport.h"

#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

class tst_WindowLanguage : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installKlxTranslations(*QCoreApplication::instance()); }

    void labelsAreInTheUsersLanguage() {
        const QString language = qEnvironmentVariable("LANGUAGE").left(2);
        struct Expected {
            const char* language;
            QStringList tabs;
            QString open;
            QString firstUsb;
        };
        const Expected table[] = {
            {"de",
             {"Vorderseite", "Rückseite", "Magnetdaten", "Optionen und Kodierdaten", "Drucker"},
             "Ö&ffnen",
             "Erster Drucker an USB"},
            {"fr",
             {"Recto", "Verso", "Données magnétiques", "Options et données d'encodage",
              "Imprimante"},
             "&Ouvrir",
             "Première imprimante USB"},
        };
        const Expected* expected = nullptr;
        for (const Expected& row : table)
            if (language == QLatin1String(row.language))
                expected = &row;
        if (!expected)
            QFAIL("run with LANGUAGE=de or LANGUAGE=fr");

        KlxPrnTool w;
        QStringList tabs;
        const QTabWidget* tabWidget = child<QTabWidget>(w, "prnTabWidget");
        for (int i = 0; i < tabWidget->count(); ++i)
            tabs << tabWidget->tabText(i);
        QCOMPARE(tabs, expected->tabs);
        QCOMPARE(child<QPushButton>(w, "openPushButton")->text(), expected->open);
        QCOMPARE(child<QComboBox>(w, "printerComboBox")->itemText(0), expected->firstUsb);
    }
};

KLX_WINDOW_TEST_MAIN(tst_WindowLanguage)
#include "tst_window_language.moc"
