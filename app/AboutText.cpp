#include "AboutText.h"

#include <QRegExp>

namespace {

// Web, mail and www addresses; the first capture is the whole address.
const char* const linkPattern =
    R"re(((([A-Za-z]{3,9}:(?:\/\/)?)(?:[\-;:&=\+\$,\w]+@)?[A-Za-z0-9\.\-]+|(?:www\.|[\-;:&=\+\$,\w]+@)[A-Za-z0-9\.\-]+)((?:\/[\+~%\/\.\w\-]*)?\??(?:[\-\+=&;%@\.\w]*)#?(?:[\.\!\/\\\w]*))?))re";

// Addresses end the sentences without a full stop, so the stop does not become part of a link.
const char* const qtNotice =
    "This software uses the Qt library (https://www.qt.io), distributed under the terms of the "
    "GNU Lesser General Public License version 3.0 "
    "(https://www.gnu.org/licenses/lgpl-3.0.html).\n"
    "Information on how to get the source code for this library is available at "
    "https://www.qt.io/download-open-source";

const char* const pugixmlNotice = "This software uses the pugixml library (https://pugixml.org).\n"
                                  "pugixml is Copyright (C) 2006-2022 Arseny Kapoulkine.\n"
                                  "pugixml is released under the MIT license.";

} // namespace

QString klxAboutText() {
    const QRegExp link(QString::fromLatin1(linkPattern), Qt::CaseSensitive, QRegExp::RegExp);
    const QRegExp lineBreaks(QStringLiteral("\n+"), Qt::CaseSensitive, QRegExp::RegExp);

    QString qt = QString::fromLatin1(qtNotice);
    qt.replace(lineBreaks, QStringLiteral("<br>"));
    QString pugi = QString::fromLatin1(pugixmlNotice);
    pugi.replace(lineBreaks, QStringLiteral("<br>"));

    QString text = QStringLiteral("This application uses the following third party software "
                                  "libraries.<br><br><b>Qt - Version ") +
                   QStringLiteral("5.11.0") + QStringLiteral("</b><br>") + qt +
                   QStringLiteral("<br><br><b>pugixml</b><br>") + pugi;
    text.replace(link, QStringLiteral("<a href='\\1'>\\1</a>"));
    return text;
}
