#include "ui/proof/ProofSheet.h"

#include "core/draw/DrawRecord.h"
#include "core/draw/DrawSession.h"
#include "core/files/FileIo.h"
#include "core/text/Gbk.h"
#include "ui/common/GbkText.h"
#include "ui/proof/QrImage.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace tessaly {

ProofSheetData proofSheetData(const DrawSession &session, const QString &event, const QString &time)
{
    ProofSheetData d;
    d.event = event;
    d.time = time;
    d.listSize = static_cast<int>(session.lists().size());
    d.listFingerprint = QString::fromStdString(listFingerprint(session.lists().NameList));
    for (int i = 0; i < session.state().AwardCount && i < kMaxAwards; ++i) {
        const LGrade &a = session.awards()[i];
        d.awards << toQt(a.name) + QStringLiteral("：%1名，分%2批（%3）")
                                       .arg(a.winners)
                                       .arg(a.batchCount)
                                       .arg(toQt(a.batchDetail));
    }
    d.commitment = QString::fromStdString(session.proof().commitment());
    d.shortCode = QString::fromStdString(session.captions().proofCode);
    d.number = session.proof().number();
    return d;
}

Status writeProofSheet(const std::filesystem::path &pdf, const ProofSheetData &d)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(300);
        writer.setTitle(QStringLiteral("抽奖公证单"));
        writer.setCreator(QStringLiteral("Tessaly"));
        QPainter p(&writer);
        const int width = writer.width();
        const int margin = 60;
        int y = 40;
        auto text = [&](const QString &line, int pointSize, bool bold = false, int gap = 20) {
            QFont font(QStringLiteral("WenQuanYi Micro Hei"));
            font.setPointSize(pointSize);
            font.setBold(bold);
            p.setFont(font);
            const QRect box = p.boundingRect(QRect(margin, y, width - 2 * margin, 4000), Qt::TextWordWrap, line);
            p.drawText(box, Qt::TextWordWrap, line);
            y = box.bottom() + gap;
        };
        text(QStringLiteral("抽奖公证单"), 24, true, 50);
        text(QStringLiteral("活动：") + d.event, 12);
        text(QStringLiteral("时间：") + d.time + QStringLiteral("（本次活动第%1次从头开始抽奖）").arg(d.number), 12);
        text(QStringLiteral("参选名单：%1人，名单指纹 %2").arg(d.listSize).arg(d.listFingerprint), 12, false, 40);
        text(QStringLiteral("奖项设置："), 12, true);
        for (const QString &award : d.awards)
            text(QStringLiteral("    ") + award, 11, false, 8);
        y += 40;
        text(QStringLiteral("抽奖承诺："), 12, true);
        text(d.shortCode, 22, true, 10);
        text(d.commitment, 9, false, 20);
        const QImage qr = qrImage(d.commitment, 12);
        if (!qr.isNull()) {
            p.drawImage(QRect(margin, y, qr.width(), qr.height()), qr);
            y += qr.height() + 30;
        }
        text(QStringLiteral("说明：抽奖开始前，程序从操作系统取得一个秘密种子，并公布上面的承诺 C = SHA-256(种子 ‖ "
                            "SHA-256(名单、奖项设置、分组和内定名单的原始内容))。抽奖结束后公开种子，任何人都可以用 "
                            "tessaly verify 按种子重算每一个中奖者，并与本单上的承诺和最终校验值核对。"),
             10, false, 50);
        text(QStringLiteral("见证人签名：______________________    ______________________    ______________________"),
             12, false, 60);
        text(QStringLiteral("抽奖结束后的最终校验值：________________________________________"), 12);
    }
    buffer.close();
    return writeFileAtomic(pdf, std::string_view(buffer.data().constData(), static_cast<size_t>(buffer.data().size())));
}

}  // namespace tessaly
