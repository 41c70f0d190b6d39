// The window's texts in the user's language (German and French besides the English source),
// and Qt's own dialog texts with them.
#pragma once

class QCoreApplication;

// Chooses by the system's languages (LANGUAGE, LC_ALL, LC_MESSAGES, LANG on Linux); English
// when none of them is translated.
void installKlxTranslations(QCoreApplication& app);
