// The one-page "抽奖公证单": the event, the list's size and fingerprint, the
// award table and the commitment with its QR code, with lines for the
// witnesses' signatures and for the final hash, printed before the draw.
#pragma once

#include "Result.h"

#include <QString>
#include <QStringList>

#include <filesystem>

namespace tessaly {

class DrawSession;

struct ProofSheetData {
    QString event;
    QString time;
    int listSize = 0;
    QString listFingerprint;
    QStringList awards;  // one line per award: name, winners, batches
    QString commitment;  // full hex
    QString shortCode;   // 8 groups of 4
    int number = 0;      // which start from the beginning of this event
};

ProofSheetData proofSheetData(const DrawSession &session, const QString &event, const QString &time);

// Writes the sheet as a one-page PDF through the atomic replace.
Status writeProofSheet(const std::filesystem::path &pdf, const ProofSheetData &data);

}  // namespace tessaly
