#include "ui/hall/CheckInCards.h"

#include "core/files/FileIo.h"
#include "core/text/Gbk.h"
#include "ui/common/GbkText.h"

#include <QBuffer>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace tessaly {

namespace {

constexpr int kColumns = 2;
constexpr int kRows = 4;

void drawCard(QPainter &p, const QRectF &card, const CodeRow &row)
{
    const qreal pad = card.width() * 0.06;
    const QRectF inner = card.adjusted(pad, pad, -pad, -pad);
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));

    font.setPointSizeF(11);
    p.setFont(font);
    p.setPen(QColor(0xb3, 0x26, 0x1e));
    p.drawText(QRectF(inner.left(), inner.top(), inner.width(), inner.height() * 0.15), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("签到卡"));

    p.setPen(Qt::black);
    font.setPointSizeF(20);
    font.setBold(true);
    p.setFont(font);
    const QString name = toQt(row.entry);
    const QRectF nameBox(inner.left(), inner.top() + inner.height() * 0.15, inner.width(), inner.height() * 0.3);
    p.drawText(nameBox, Qt::AlignCenter | Qt::TextWordWrap,
               p.fontMetrics().elidedText(name, Qt::ElideRight, static_cast<int>(nameBox.width())));

    font.setPointSizeF(10);
    font.setBold(false);
    p.setFont(font);
    p.drawText(QRectF(inner.left(), inner.top() + inner.height() * 0.47, inner.width(), inner.height() * 0.1),
               Qt::AlignCenter, QStringLiteral("签到码"));
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPointSizeF(24);
    mono.setBold(true);
    mono.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(mono);
    const QString code = QString::fromStdString(row.code);
    p.drawText(QRectF(inner.left(), inner.top() + inner.height() * 0.56, inner.width(), inner.height() * 0.2),
               Qt::AlignCenter, code.left(4) + QStringLiteral(" ") + code.mid(4));

    font.setPointSizeF(8);
    p.setFont(font);
    p.setPen(QColor(0x55, 0x55, 0x55));
    p.drawText(QRectF(inner.left(), inner.top() + inner.height() * 0.8, inner.width(), inner.height() * 0.2),
               Qt::AlignCenter | Qt::TextWordWrap,
               QStringLiteral("到场后用手机扫描大屏幕上的二维码，输入签到码和大屏幕上的4位现场码。一部手机只能为一人签到。"));
}

}  // namespace

Status writeCheckInCards(const std::vector<CodeRow> &rows, const std::filesystem::path &output)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                      QPageLayout::Millimeter));
        pdf.setResolution(300);
        pdf.setTitle(QStringLiteral("签到卡"));
        pdf.setCreator(QStringLiteral("Tessaly"));
        QPainter p;
        if (!p.begin(&pdf))
            return makeError(ErrorCode::FileWrite, TSL_GBK("无法生成签到卡 PDF。"));
        const QRect page = pdf.pageLayout().paintRectPixels(pdf.resolution());
        const qreal w = page.width() / qreal(kColumns), h = page.height() / qreal(kRows);
        for (size_t i = 0; i < rows.size(); ++i) {
            const int slot = static_cast<int>(i % (kColumns * kRows));
            if (i > 0 && slot == 0)
                pdf.newPage();
            const QRectF card(slot % kColumns * w, slot / kColumns * h, w, h);
            p.setPen(QPen(QColor(0x99, 0x99, 0x99), 2, Qt::DashLine));  // where to cut
            p.drawRect(card);
            drawCard(p, card, rows[i]);
        }
        p.end();
    }
    return writeFileAtomic(output, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

}  // namespace tessaly
