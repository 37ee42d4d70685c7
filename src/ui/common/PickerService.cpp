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
    return pickSaveFileAt(parent, caption, filter, suffix, QString());
}

QString QtPickerService::pickSaveFileAt(QWidget *parent, const QString &caption, const QString &filter,
                                       const QString &suffix, const QString &start)
{
    QFileDialog dialog(parent, caption, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                  : QString();
}

namespace {

// "CSV 文件(*.csv)" -> "csv".
QString suffixOfType(const QString &type)
{
    const int star = type.indexOf(QStringLiteral("*."));
    return star < 0 ? QString() : type.mid(star + 2).section(QLatin1Char(')'), 0, 0).section(QLatin1Char(' '), 0, 0);
}

}  // namespace

PickerService::TypedFile QtPickerService::pickTypedSaveFile(QWidget *parent, const QString &caption,
                                                            const QStringList &types, const QString &start)
{
    QFileDialog dialog(parent, caption, start);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(types);
    dialog.setDefaultSuffix(suffixOfType(types.value(0)));
    // The overwrite question and a name typed without a suffix follow the chosen type.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString &type) { dialog.setDefaultSuffix(suffixOfType(type)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().first(), std::max(0, static_cast<int>(types.indexOf(dialog.selectedNameFilter())))};
}

QString QtPickerService::pickFolder(QWidget *parent, const QString &caption)
{
    return QFileDialog::getExistingDirectory(parent, caption);
}

}  // namespace tessaly
