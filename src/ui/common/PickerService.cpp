#include "ui/common/PickerService.h"

#include <QColorDialog>
#include <QFileDialog>

namespace tessaly {

std::optional<QColor> QtPickerService::pickColor(QWidget *parent, const QColor &initial)
{
    const QColor chosen = QColorDialog::getColor(initial, parent);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

QString QtPickerService::pickOpenFile(QWidget *parent, const QString &caption, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

QString QtPickerService::pickSaveFile(QWidget *parent, const QString &caption, const QString &filter,
                                     const QString &suffix)
{
    QFileDialog dialog(parent, caption, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                  : QString();
}

QString QtPickerService::pickFolder(QWidget *parent, const QString &caption)
{
    return QFileDialog::getExistingDirectory(parent, caption);
}

}  // namespace tessaly
