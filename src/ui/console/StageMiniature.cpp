#include "ui/console/StageMiniature.h"

#include "core/draw/DrawSession.h"
#include "ui/common/GbkText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace tessaly {
namespace {

constexpr int kMinInterval = 200;  // ms: at most five pictures a second

}  // namespace

StageMiniature::StageMiniature(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Miniature"));
    m_throttle.setSingleShot(true);
    connect(&m_throttle, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    // While the stage rolls the picture follows it, five times a second.
    m_pulse.setInterval(kMinInterval);
    connect(&m_pulse, &QTimer::timeout, this, [this] {
        if (m_session && m_session->flags().Rolling)
            refresh();
    });
    m_pulse.start();
}

void StageMiniature::setSession(const DrawSession *session)
{
    m_session = session;
    refresh();
}

void StageMiniature::setStageSize(QSize size)
{
    if (!size.isEmpty())
        m_stage = size;
    refresh();
}

void StageMiniature::refresh()
{
    if (m_throttle.isActive())
        return;
    const qint64 since = m_sincePaint.isValid() ? m_sincePaint.elapsed() : kMinInterval;
    m_throttle.start(static_cast<int>(std::max<qint64>(0, kMinInterval - since)));
}

void StageMiniature::paintEvent(QPaintEvent *)
{
    ++m_paints;
    m_sincePaint.start();
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    // The stage's proportions, as large as the widget allows.
    QSize shown = m_stage.scaled(size(), Qt::KeepAspectRatio);
    const QRect stage(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
    p.fillRect(stage, QColor(110, 10, 20));
    if (!m_session)
        return;
    const double scale = static_cast<double>(stage.height()) / 1080.0;
    auto font = [&](int pixels) {
        QFont f = p.font();
        f.setPixelSize(std::max(8, static_cast<int>(pixels * scale)));
        f.setBold(true);
        return f;
    };
    const StageCaptions &c = m_session->captions();
    p.setPen(Qt::white);
    p.setFont(font(48));
    p.drawText(stage.adjusted(0, stage.height() / 20, 0, 0), Qt::AlignHCenter | Qt::AlignTop, toQt(c.Award));
    p.setFont(font(36));
    p.drawText(stage.adjusted(0, 0, 0, -stage.height() / 8), Qt::AlignHCenter | Qt::AlignBottom, toQt(c.Status));

    QStringList names;
    if (m_session->slotMode() == SlotMode::Grid) {
        // The block's lines end with CR (a blank line between them with two).
        names = toQt(m_session->GridText()).split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts);
    } else {
        for (const std::string &t : m_session->SlotTexts())
            if (!t.empty())
                names << toQt(t);
    }
    if (names.isEmpty()) {
        if (c.readyLuckVisible && c.readyLuck) {
            p.setFont(font(64));
            p.setPen(QColor(255, 220, 0));
            p.drawText(stage, Qt::AlignCenter, toQt(*c.readyLuck));
        }
        return;
    }
    // The names in a grid in the middle band of the stage.
    const QRect band = stage.adjusted(stage.width() / 12, stage.height() / 5, -stage.width() / 12, -stage.height() / 4);
    const int n = static_cast<int>(names.size());
    // The text block comes in lines already; single slots are set out in a grid.
    const bool lines = m_session->slotMode() == SlotMode::Grid;
    const int columns = lines ? 1 : std::max(1, static_cast<int>(std::ceil(std::sqrt(n * 2.0))));
    const int rows = (n + columns - 1) / columns;
    const int cellW = band.width() / columns, cellH = std::max(1, band.height() / std::max(1, rows));
    QFont f = p.font();
    int pixels = std::max(7, std::min(cellH * 2 / 3, static_cast<int>(72 * scale)));
    if (lines) {
        // As large as the longest line allows across the band.
        int longest = 1;
        QFont probe = p.font();
        probe.setPixelSize(100);
        for (const QString &line : names)
            longest = std::max(longest, QFontMetrics(probe).horizontalAdvance(line));
        pixels = std::max(6, std::min(pixels, cellW * 100 / longest));
    }
    f.setPixelSize(pixels);
    f.setBold(true);
    p.setFont(f);
    p.setPen(m_session->flags().Rolling ? QColor(255, 255, 255) : QColor(255, 220, 0));
    for (int i = 0; i < n; ++i) {
        const QRect cell(band.left() + (i % columns) * cellW, band.top() + (i / columns) * cellH, cellW, cellH);
        p.drawText(cell, Qt::AlignCenter, names[i].trimmed());
    }
}

}  // namespace tessaly
