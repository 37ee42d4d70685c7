// Program-wide set-up of the Qt application: Chinese translations for the
// standard buttons and the CJK fonts the settings name.
#pragma once

#include <QStringList>

class QApplication;

namespace tessaly {

void setupApplication(QApplication &app);

// Maps the Windows font names the settings use ("黑体", "宋体", "宋书" ...) to an
// installed CJK font, so Chinese text renders on this system.
void installFontSubstitutions();

// Those Windows font names that are not installed here but map to an installed
// font, in their own spelling (for font lists).
QStringList fontAliases();

}  // namespace tessaly
