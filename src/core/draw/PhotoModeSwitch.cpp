// Switching between text and photo mode, and the rebuild of the photo list
// when pictures vanished before a load.
#include "draw/DrawSession.h"

#include "files/FileIo.h"
#include "files/Paths.h"
#include "settings/ProgramFiles.h"
#include "settings/Settings.h"
#include "text/Gbk.h"

#include <algorithm>
#include <system_error>

namespace tessaly {
namespace fs = std::filesystem;
namespace {

// The text list as it was before the switch to photo mode.
constexpr const char *kTextListFile = "文本名单.txt";

void failure(DrawOutcome &out, const Error &error)
{
    out.notices.push_back({TSL_GBK("出错"), error.message, error.code});
}

// The photos are decoded by the operator's "加载", not by a reset on the way.
void dropLoad(DrawOutcome &out)
{
    std::erase(out.actions, StageAction::LoadPhotos);
}

}  // namespace

DrawOutcome DrawSession::switchPhotoMode(bool photo)
{
    DrawOutcome out;
    if (m_flags.PhotoMode == photo)
        return out;
    if (m_flags.Rolling)
        stopBatch(out);
    if (!keepBackup(out))
        return out;
    // The text list would be overwritten by the photo names: it is kept
    // beside data.txt, and the way back offers it.
    if (photo) {
        if (Status kept = copyFileAtomic(programFile(m_dir, files::kParticipants), m_dir / kTextListFile); !kept) {
            failure(out, kept.error());
            return out;
        }
    }
    auto settings = openSettings(m_dir);
    if (!settings) {
        failure(out, settings.error());
        return out;
    }
    settings->writeBool("Option", "ispho", photo);
    if (Status written = settings->commit(); !written) {
        failure(out, written.error());
        return out;
    }
    m_flags.PhotoMode = photo;
    // The window frees the decoded photos with either switch.
    m_photosLoaded = false;
    out.actions.push_back(StageAction::ClearSlots);
    if (photo) {
        if (auto scanned = ScanPhotoFolder(m_dir); !scanned)
            failure(out, scanned.error());
    }
    m_captions.GoButton = TSL_GBK("开始");
    resetDraw(m_flags.PredeterminedActive, out);
    dropLoad(out);
    if (photo) {
        showPhotoPrompt(out);
    } else if (std::error_code ec; fs::exists(m_dir / kTextListFile, ec)) {
        out.question = Question{QuestionKind::RestoreTextList, TSL_GBK("提示"),
                                TSL_GBK("切换到图片抽奖模式时保存了原来的文字名单(") + fileNameToGbk(kTextListFile) +
                                    TSL_GBK(")。是否要恢复这份文字名单？（否则使用图片名单）"),
                                false};
    }
    return out;
}

DrawOutcome DrawSession::answerRestoreTextList(bool yes)
{
    DrawOutcome out;
    if (!yes || m_flags.PhotoMode)
        return out;
    // The backup of the switch holds the photo names this replaces.
    if (Status copied = copyFileAtomic(m_dir / kTextListFile, programFile(m_dir, files::kParticipants)); !copied) {
        failure(out, copied.error());
        return out;
    }
    resetDraw(m_flags.PredeterminedActive, out);
    return out;
}

DrawOutcome DrawSession::rescanPhotoFolder(bool &rescanned)
{
    DrawOutcome out;
    rescanned = false;
    const bool anyoneDrawn =
        std::any_of(m_awardWinners.begin(), m_awardWinners.end(), [](const auto &list) { return !list.empty(); });
    if (anyoneDrawn || m_flags.Rolling)
        return out;
    // The list is rewritten from the folder: what it held is kept first.
    if (!keepBackup(out))
        return out;
    out.notices.push_back({TSL_GBK("提示"), TSL_GBK("参选图片已有改变，将重新加载图片，可能需要几分钟，请耐心等待"),
                           ErrorCode::None});
    if (auto scanned = ScanPhotoFolder(m_dir); !scanned) {
        failure(out, scanned.error());
        return out;
    }
    resetDraw(m_flags.PredeterminedActive, out);
    dropLoad(out);
    m_captions.GoButton = TSL_GBK("加载");
    rescanned = true;
    return out;
}

}  // namespace tessaly
