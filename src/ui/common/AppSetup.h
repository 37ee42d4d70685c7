// Program-wide set-up of the Qt application: Chinese translations for the
// standard buttons and the CJK fonts the settings name.
#pragma once

#include <QStringList>

class QApplication;

namespace tessaly {

void setupApplication(QApplication &app);

// The CJK fonts here have no bold face, and Qt stops emboldening such a font
// from 64 pixels up: titles and names bold at 1080p would lose it on a 4K
// stage. Lifts that limit for the program; call before any text is drawn.
void keepSyntheticBoldAtEverySize();

// Maps the Windows font names the settings use ("黑体", "宋体", "宋书" ...) to an
// installed CJK font, so Chinese text renders on this system.
void installFontSubstitutions();

// Those Windows font names that are not installed here but map to an installed
// font, in their own spelling (for font lists).
QStringList fontAliases();

}  // namespace tessaly
