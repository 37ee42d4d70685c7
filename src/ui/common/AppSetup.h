// Program-wide set-up of the Qt application: Chinese translations for the
// standard buttons and the CJK fonts the settings name.
#pragma once

class QApplication;

namespace tessaly {

void setupApplication(QApplication &app);

// Maps the Windows font names the settings use ("黑体", "宋体", "宋书" ...) to an
// installed CJK font, so Chinese text renders on this system.
void installFontSubstitutions();

}  // namespace tessaly
