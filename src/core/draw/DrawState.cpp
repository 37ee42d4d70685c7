#include "draw/DrawState.h"

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
    o.sndfo = s.readInteger("Option", "sndfo", 49237);
    o.sndst = s.readInteger("Option", "sndst", 49230);
    o.addgradep = s.readInteger("Option", "addgradep", 0);
    o.canreAward = s.readBool("Option", "canreAward", false);
    return o;
}

}  // namespace tessaly
