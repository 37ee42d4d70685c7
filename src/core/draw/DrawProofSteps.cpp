// The proof's steps inside the draw: a new commitment at every start from the
// beginning, a line for a restart of the program, the save of an order as soon
// as it is built, and the end of drawing once the seeds are revealed.
#include "draw/DrawSession.h"

#include "draw/DrawNotices.h"
#include "draw/DrawRecord.h"
#include "proof/ProofOrder.h"
#include "proof/ProofVerify.h"
#include "text/Gbk.h"
#include "text/Lines.h"

namespace tessaly {
using namespace session;

void DrawSession::beginCommitment(const std::string &reason, DrawOutcome &out)
{
    if (Status begun = m_proof.beginCommitment(reason, m_flags.PredeterminedActive, 0, {}); !begun) {
        m_proof.withdraw();  // no seed in force: nothing is claimed for this draw
        notifyError(out, begun.error(), TSL_GBK("无法生成抽奖承诺，这次抽奖将无法验证："));
    }
}

void DrawSession::noteRestore(DrawOutcome &out)
{
    if (!m_proof.committed()) {
        // A draw from before commitments were kept (or one whose seed is gone):
        // the commitment covers what is still to come and names who was drawn before.
        std::vector<int> drawn;
        for (size_t t = 0; t < m_lists.StateList.size(); ++t)
            if (m_lists.StateList[t] == kDrawnMark)
                drawn.push_back(static_cast<int>(t));
        int records = 0;
        for (const auto &names : m_awardWinnerNames)
            records += static_cast<int>(names.size());
        if (Status begun = m_proof.beginCommitment("start", m_flags.PredeterminedActive, records, drawn); !begun) {
            notifyError(out, begun.error(), TSL_GBK("无法生成抽奖承诺，这次抽奖将无法验证："));
            return;
        }
    }
    m_proof.add("restore", {{"award", std::to_string(m_state.CurrentAward)},
                            {"batch", std::to_string(m_state.CurrentBatch)},
                            {"cursor", std::to_string(m_state.OrderCursor)},
                            {"order", orderDigest(m_pool)}});
}

void DrawSession::saveBuiltOrder(DrawOutcome &out)
{
    DrawCommit commit;
    commit.orderText = orderFileText(m_pool);
    saveDraw(std::move(commit), true, out);
}

void DrawSession::saveProofLines(DrawOutcome &out)
{
    if (!m_proof.pending().empty() && m_restoreFailure.empty()) {
        DrawCommit commit;
        commit.auditBlock = m_debt.audit() + m_proof.takePending();
        const CommitResult result = applyDrawCommit(m_dir, commit, m_interrupt);
        m_debt.settleAudit(commit.auditBlock, result);
        for (const auto &error : result.errors)
            notifyError(out, error, TSL_GBK("抽奖校验记录保存失败："));
    }
    showProof();
}

DrawOutcome DrawSession::revealProof()
{
    DrawOutcome out;
    if (m_flags.Rolling || m_flags.SupplementMode || m_flags.RedrawMode) {
        notify(out, TSL_GBK("请先停止本批抽奖，再揭示种子。"), ErrorCode::BadInput);
        return out;
    }
    if (refuseUnrestored(out) || refuseRevealed(out))
        return out;
    // Everything composed so far reaches the chain first, so the reveal is its last line.
    settleOwedSave(out);
    saveProofLines(out);
    if (m_debt.owed() || !m_debt.audit().empty() || !m_proof.pending().empty()) {
        notify(out, TSL_GBK("抽奖记录还没有全部保存，现在不能揭示种子。"), ErrorCode::FileWrite);
        return out;
    }
    auto revealed = revealSeeds(m_dir);
    if (!revealed) {
        notifyError(out, revealed.error(), TSL_GBK("无法揭示种子："));
        return out;
    }
    if (Status loaded = m_proof.load(); !loaded)
        notifyError(out, loaded.error());
    m_guests = {};
    m_captions.guestNumbers.clear();
    m_flags.BatchReady = false;
    showProof();
    syncMirror();
    notify(out, TSL_GBK("已揭示") + std::to_string(*revealed) +
                    TSL_GBK("个种子，本次抽奖结束。现在可以导出公证材料（tessaly export-proof）交给见证人验证；"
                            "如需再抽奖，请使用“重新开始抽奖”，将生成新的抽奖承诺。"));
    return out;
}

bool DrawSession::refuseRevealed(DrawOutcome &out) const
{
    if (!m_proof.revealed())
        return false;
    notify(out, TSL_GBK("本次抽奖的种子已经公开（抽奖公证已揭示），抽奖已经结束。如需继续抽奖，请使用“重新开始抽奖”。"),
           ErrorCode::BadInput);
    return true;
}

void DrawSession::showProof()
{
    m_captions.proofHex = m_proof.committed() ? m_proof.commitment() : std::string();
    m_captions.proofCode = shortCommitment(m_captions.proofHex);
    m_captions.chainHash = m_proof.committed() ? shortChainHash(m_proof.head()) : std::string();
}

}  // namespace tessaly
