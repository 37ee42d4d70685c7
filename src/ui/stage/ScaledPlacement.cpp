#include "ui/stage/ScaledPlacement.h"

#include "core/settings/Encodings.h"
#include "core/settings/IniStore.h"
#include "ui/common/Fonts.h"
#include "ui/common/StageWidgets.h"
#include "ui/effects/TAALabel.h"
#include "ui/effects/TAAScrollText.h"
#include "ui/effects/TSkyScrollText.h"

#include <QWidget>
#include <algorithm>

namespace tessaly {

StageRect rectOf(const QWidget *w)
{
    return {w->x(), w->y(), w->width(), w->height()};
}

void setElementFont(QWidget *element, const FontSpec &spec)
{
    element->setFont(toQFont(spec));
    if (auto *label = qobject_cast<TAALabel *>(element))
        label->setFontColor(spec.color);
    else if (auto *button = qobject_cast<TRzButton *>(element))
        button->setFontColor(spec.color);
    else if (auto *slot = qobject_cast<SlotLabel *>(element))
        slot->setFontColor(spec.color);
    else if (auto *plain = qobject_cast<TSkyScrollText *>(element))
        plain->setFontColor(spec.color);
    else if (auto *effect = qobject_cast<TAAScrollText *>(element))
        effect->setFontColor(spec.color);
}

StageRect readStoredRect(const IniStore &s, const std::string &section)
{
    return {s.readInteger(section, "Left", 0), s.readInteger(section, "Top", 0), s.readInteger(section, "Width", 0),
            s.readInteger(section, "Height", 0)};
}

void ScaledPlacement::reset(const StageScale &scale)
{
    m_scale = scale;
    m_rects.clear();
    m_fonts.clear();
    m_lengths.clear();
}

void ScaledPlacement::place(QWidget *element, const StageRect &stored, bool sizedToText)
{
    StageRect shown = m_scale.toStage(stored);
    if (sizedToText) {
        // Its size is its text's: the anchored edge or centre decides where it stands.
        const int width = element->width(), height = element->height();
        if (stored.width > 0 && !m_scale.identity()) {
            const Anchor x = anchorOf(stored.left, stored.width, m_scale.reference().width);
            if (x == Anchor::Centre)
                shown.left += roundHalfEven((shown.width - width) / 2.0);
            else if (x == Anchor::End)
                shown.left += shown.width - width;
        }
        if (stored.height > 0 && !m_scale.identity()) {
            const Anchor y = anchorOf(stored.top, stored.height, m_scale.reference().height);
            if (y == Anchor::Centre)
                shown.top += roundHalfEven((shown.height - height) / 2.0);
            else if (y == Anchor::End)
                shown.top += shown.height - height;
        }
        element->move(shown.left, shown.top);
    } else {
        element->setGeometry(shown.left, shown.top, shown.width, shown.height);
    }
    m_rects[element] = {stored, rectOf(element)};
}

void ScaledPlacement::moved(const QWidget *element)
{
    if (auto it = m_rects.find(element); it != m_rects.end())
        it->shown = rectOf(element);
}

FontSpec ScaledPlacement::showFont(const QWidget *element, const FontSpec &stored, std::optional<FontSpec> fitted)
{
    const FontSpec shown = fitted ? *fitted : m_scale.fontToStage(stored);
    m_fonts[element] = {stored, shown};
    return shown;
}

int ScaledPlacement::showLength(const QWidget *element, int stored)
{
    // A scroll step moves the text as far across a larger stage in the same time.
    const int shown = std::max(stored > 0 ? 1 : 0, m_scale.lengthToStage(stored));
    m_lengths[element] = {stored, shown};
    return shown;
}

std::optional<StageRect> ScaledPlacement::placedFrom(const QWidget *element) const
{
    const auto placed = m_rects.constFind(element);
    return placed != m_rects.cend() ? std::optional<StageRect>(placed->stored) : std::nullopt;
}

StageRect ScaledPlacement::storedRect(const QWidget *element) const
{
    const StageRect shown = rectOf(element);
    const auto placed = m_rects.constFind(element);
    if (placed != m_rects.cend() && placed->shown == shown)
        return placed->stored;
    return m_scale.toStored(shown);
}

FontSpec ScaledPlacement::storedFont(const QWidget *element, const FontSpec &shown) const
{
    const auto forms = m_fonts.constFind(element);
    if (forms != m_fonts.cend() && forms->shown == shown)
        return forms->stored;
    return m_scale.fontToStored(shown);
}

int ScaledPlacement::storedLength(const QWidget *element, int shown) const
{
    const auto forms = m_lengths.constFind(element);
    if (forms != m_lengths.cend() && forms->shown == shown)
        return forms->stored;
    return m_scale.lengthToStored(shown);
}

void ScaledPlacement::writeStoredRect(IniStore &s, const std::string &section, const QWidget *element) const
{
    const StageRect r = storedRect(element);
    s.writeInteger(section, "Top", r.top);
    s.writeInteger(section, "Left", r.left);
    s.writeInteger(section, "Width", r.width);
    s.writeInteger(section, "Height", r.height);
}

void ScaledPlacement::keepStackedApart(const QList<QWidget *> &elements, int stageHeight)
{
    if (m_scale.identity())
        return;
    const int half = stageHeight / 2;
    for (int pass = 0; pass < 3; ++pass) {
        for (QWidget *a : elements) {
            for (QWidget *b : elements) {
                if (a == b || !m_rects.contains(a) || !m_rects.contains(b))
                    continue;
                const StageRect above = m_rects[a].stored, below = m_rects[b].stored;
                if (above.bottom() > below.top || above.left >= below.right() || below.left >= above.right())
                    continue;
                const StageRect ra = rectOf(a), rb = rectOf(b);
                const int gap = m_scale.lengthToStage(below.top - above.bottom());
                if (ra.left >= rb.right() || rb.left >= ra.right() || ra.bottom() + gap <= rb.top)
                    continue;
                QWidget *shifted = rb.top + rb.height / 2 < half ? b : a;
                if (shifted == b)
                    b->move(b->x(), ra.bottom() + gap);
                else
                    a->move(a->x(), rb.top - gap - ra.height);
                moved(shifted);
            }
        }
    }
}

}  // namespace tessaly
