// The rich text of the About box: the third-party notices with every address made a link.
#pragma once

#include <QString>

QString klxAboutText();
