// Settings saved without touching the draw: the options and the roll interval
// come back from set.dat while the position, the order and the winners stay.
#include "draw/DrawSession.h"

#include "settings/Settings.h"
#include "text/Gbk.h"

namespace tessaly {

DrawOutcome DrawSession::ReloadOptions()
{
    DrawOutcome out;
    auto settings = openSettings(m_dir);
    if (!settings) {
        out.notices.push_back({TSL_GBK("出错"), settings.error().message, settings.error().code});
        return out;
    }
    // A supplement's appended award is known in memory before set.dat has it.
    const int addgradep = m_options.addgradep;
    m_options = readDrawOptions(*settings);
    m_options.addgradep = addgradep;
    m_grade.IntervalTime = tessaly::readConfigGrade(*settings, m_dir).IntervalTime;
    out.actions.push_back(StageAction::ReadConfig);
    return out;
}

}  // namespace tessaly
