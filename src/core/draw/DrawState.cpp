#include "draw/DrawState.h"

#include "special/HotKeys.h"

namespace tessaly {

DrawOptions readDrawOptions(const IniStore &s)
{
    DrawOptions o;
    o.canready = s.readBool("Option", "canready", true);
    o.canshowtxtpho = s.readBool("Option", "canshowtxtpho", true);
    o.Statuscenter = s.readBool("Option", "Statuscenter", true);
    o.Gradecenter = s.readBool("Option", "Gradecenter", true);
    o.bosscenter = s.readBool("Option", "bosscenter", true);
    o.readyLuckVisible = s.readBool("readyLuck", "Visible", true);
    o.startkey = s.readInteger("Option", "startkey", 32);
    readHotKeys(s, o.sndfo, o.sndst);  // a stored key that breaks the rule is off
    o.addgradep = s.readInteger("Option", "addgradep", 0, 0, kMaxAwards, nullptr);
    o.canreAward = s.readBool("Option", "canreAward", false);
    o.onlyCheckedIn = s.readBool("Web", "onlycheckedin", false);
    return o;
}

}  // namespace tessaly
