#include "checkin/HallCheck.h"

#include "checkin/CheckInCodes.h"
#include "checkin/CheckInLog.h"
#include "checkin/WebSettings.h"
#include "files/FileIo.h"
#include "settings/IniStore.h"
#include "text/Gbk.h"
#include "web/WebServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/resource.h>

namespace tessaly {
namespace fs = std::filesystem;
using Level = CheckFinding::Level;

std::vector<std::string> machineAddresses()
{
    std::vector<std::string> outside, loopback;
    ifaddrs *list = nullptr;
    if (::getifaddrs(&list) != 0)
        return {};
    for (ifaddrs *i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP))
            continue;
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(i->ifa_addr)->sin_addr, text, sizeof text);
        auto &into = (i->ifa_flags & IFF_LOOPBACK) ? loopback : outside;
        if (std::find(into.begin(), into.end(), text) == into.end())
            into.push_back(text);
    }
    ::freeifaddrs(list);
    outside.insert(outside.end(), loopback.begin(), loopback.end());
    return outside;
}

std::vector<CheckFinding> checkHallFiles(const fs::path &folder, const IniStore &settings,
                                         const std::vector<std::string> &names)
{
    std::vector<CheckFinding> out;
    auto add = [&out](Level level, const std::string &utf8) { out.push_back({level, utf8ToGbk(utf8)}); };
    const WebSettings web = readWebSettings(settings);

    auto codes = CheckInCodes::load(folder);
    if (!codes) {
        out.push_back({Level::Warning, TSL_GBK("签到码文件无法读取：") + codes.error().message});
    } else if (codes->size() == 0) {
        // An event that does not use the hall's pages hears nothing of them.
        if (web.enabled || web.onlyCheckedIn)
            add(Level::Warning, std::string("还没有签到码：用 tessaly cards 打印签到卡时，或现场互动第一次开启时生成。"));
    } else {
        int missing = 0;
        for (const EntryKey &key : entryKeysOf(names))
            missing += codes->codeOf(key).empty() ? 1 : 0;
        add(Level::Ok, "签到码 " + std::string(kCheckInCodesFile) + "：" + std::to_string(codes->size()) + " 个。");
        if (missing > 0)
            add(Level::Info, "名单里有 " + std::to_string(missing) + " 人还没有签到码，下次打印签到卡或开启现场互动时补上。");
        if (codes->damagedLines() > 0)
            add(Level::Warning, std::string(kCheckInCodesFile) + " 有 " + std::to_string(codes->damagedLines()) +
                                    " 行看不懂，已跳过：这些行上的签到码不能用。");
    }

    auto log = readFile(folder / kCheckInFile);
    if (!log && log.code() != ErrorCode::FileMissing) {
        out.push_back({Level::Warning, TSL_GBK("签到记录无法读取：") + log.error().message});
    } else if (log) {
        const CheckInReadout readout = readCheckInLines(*log);
        CheckInState state;
        for (const auto &line : readout.lines)
            state.apply(line);
        add(Level::Ok, "签到记录 " + std::string(kCheckInFile) + "：已签到 " + std::to_string(state.byCode.size()) +
                           " 人（" + std::to_string(readout.lines.size()) + " 行）。");
        if (readout.tornTail)
            add(Level::Info, std::string(kCheckInFile) +
                                 " 的最后一行没有写完（写入时断电或强行关机），下次开启时去掉；那次签到没有回复过手机。");
        if (readout.damaged > 0)
            add(Level::Warning, std::string(kCheckInFile) + " 有 " + std::to_string(readout.damaged) +
                                    " 行校验不对，已跳过：这些签到不算数。");
    }

    if (web.enabled) {
        rlimit limit{};
        if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_max != RLIM_INFINITY &&
            static_cast<long>(limit.rlim_max) < kWantedOpenFiles)
            add(Level::Warning, "系统只允许本程序打开 " + std::to_string(limit.rlim_max) + " 个文件，少于现场互动需要的 " +
                                    std::to_string(kWantedOpenFiles) + " 个：手机多时会有人连不上。");
        if (web.address.empty())
            add(Level::Warning, std::string("现场互动已开启，但没有选择监听地址（set.dat [Web] address）。"));
        else {
            const auto mine = machineAddresses();
            if (std::find(mine.begin(), mine.end(), web.address) == mine.end())
                add(Level::Warning, "现场互动的地址 " + web.address + " 不是本机现在的地址，手机会连不上。");
        }
    }
    return out;
}

}  // namespace tessaly
