// A picker service for tests: answers colour and file pickers from a script
// given in advance, never blocking. An empty script answers "cancel".
#pragma once

#include "ui/common/PickerService.h"

#include <QList>
#include <QStringList>

namespace tessaly::test {

class ScriptedPickers : public PickerService {
public:
    void setNextColor(const QColor &color) { m_colors.append(color); }
    void setNextFile(const QString &file) { m_files.append(file); }

    std::optional<QColor> pickColor(QWidget *, const QColor &initial) override
    {
        colorStarts.append(initial);
        if (m_colors.isEmpty())
            return std::nullopt;
        return m_colors.takeFirst();
    }
    QString pickOpenFile(QWidget *, const QString &, const QString &) override
    {
        return m_files.isEmpty() ? QString() : m_files.takeFirst();
    }
    QString pickSaveFile(QWidget *, const QString &, const QString &, const QString &) override
    {
        return m_files.isEmpty() ? QString() : m_files.takeFirst();
    }
    QString pickFolder(QWidget *, const QString &) override
    {
        return m_files.isEmpty() ? QString() : m_files.takeFirst();
    }

    QString pickSaveFileAt(QWidget *parent, const QString &caption, const QString &filter, const QString &suffix,
                           const QString &start) override
    {
        saveStarts.append(start);
        return pickSaveFile(parent, caption, filter, suffix);
    }

    // Typed save pickers answer with the next file and the type given with it (the first by default).
    void setNextType(int type) { m_types.append(type); }
    TypedFile pickTypedSaveFile(QWidget *parent, const QString &caption, const QStringList &types,
                                const QString &start) override
    {
        offeredTypes = types;
        const QString file = pickSaveFileAt(parent, caption, types.join(QStringLiteral(";;")), QString(), start);
        return {file, m_types.isEmpty() ? 0 : m_types.takeFirst()};
    }

    QStringList offeredTypes;   // the types the last typed save picker offered
    QList<QColor> colorStarts;  // the colour each colour picker opened at
    QStringList saveStarts;     // where each save picker with a start opened

private:
    QList<QColor> m_colors;
    QStringList m_files;
    QList<int> m_types;
};

}  // namespace tessaly::test
