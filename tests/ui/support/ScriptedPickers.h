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

    QList<QColor> colorStarts;  // the colour each colour picker opened at

private:
    QList<QColor> m_colors;
    QStringList m_files;
};

}  // namespace tessaly::test
