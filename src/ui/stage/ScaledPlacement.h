// The elements of a window whose stored layout was arranged for another screen
// size: each placed in proportion from its stored rectangle, font and step, and
// converted back when saved, exactly as read when it has not changed since. The
// main stage and the results window both place their elements through it.
#pragma once

#include "core/settings/FontKeys.h"
#include "core/stage/StageScale.h"

#include <QList>
#include <QMap>
#include <optional>
#include <string>

class QWidget;

namespace tessaly {

class IniStore;

StageRect rectOf(const QWidget *w);
// A stage element (label, button, slot, scroller) takes the font and its colour.
void setElementFont(QWidget *element, const FontSpec &spec);
// An element's stored Left, Top, Width and Height (0 when missing).
StageRect readStoredRect(const IniStore &s, const std::string &section);

class ScaledPlacement {
public:
    // A new reading of the stored layout: what was remembered is forgotten.
    void reset(const StageScale &scale);
    const StageScale &scale() const { return m_scale; }

    // An element placed from its stored rectangle, in proportion on the stage; a
    // label that sizes itself to its text keeps the edge or centre it is anchored to.
    void place(QWidget *element, const StageRect &stored, bool sizedToText = false);
    // The element was moved by a rule of the window after it was placed.
    void moved(const QWidget *element);
    // The font an element shows for its stored one: in proportion, or `fitted`
    // when the window chose a size of its own for the room there is.
    FontSpec showFont(const QWidget *element, const FontSpec &stored, std::optional<FontSpec> fitted = {});
    // A length of the element (a scroll step) shown in proportion, at least 1 when the stored one is.
    int showLength(const QWidget *element, int stored);

    // The rectangle an element was placed from, if it was.
    std::optional<StageRect> placedFrom(const QWidget *element) const;

    // The stored forms: as read when the element has not changed since, otherwise converted back.
    StageRect storedRect(const QWidget *element) const;
    FontSpec storedFont(const QWidget *element, const FontSpec &shown) const;
    int storedLength(const QWidget *element, int shown) const;
    // Top, Left, Width and Height of the element written into its section in their stored form.
    void writeStoredRect(IniStore &s, const std::string &section, const QWidget *element) const;

    // After scaling: elements that stood one above the other stay clear of each
    // other (text does not grow exactly with its font), the upper half of the
    // stage growing down and the lower half up.
    void keepStackedApart(const QList<QWidget *> &elements, int stageHeight);

private:
    template <typename T>
    struct Forms {
        T stored;
        T shown;
    };
    StageScale m_scale;
    QMap<const QWidget *, Forms<StageRect>> m_rects;
    QMap<const QWidget *, Forms<FontSpec>> m_fonts;
    QMap<const QWidget *, Forms<int>> m_lengths;
};

}  // namespace tessaly
