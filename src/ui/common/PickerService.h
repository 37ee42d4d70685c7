// The colour and file pickers of the program go through this service, so a test
// can answer them in advance instead of blocking on a modal dialog.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace tessaly {

class PickerService {
public:
    virtual ~PickerService() = default;
    // The platform colour dialog starting at `initial`; nothing on cancel.
    virtual std::optional<QColor> pickColor(QWidget *parent, const QColor &initial) = 0;
    // An open-file dialog; the empty text on cancel.
    virtual QString pickOpenFile(QWidget *parent, const QString &caption, const QString &filter) = 0;
    // A save-file dialog adding `suffix` when the name has none; the empty text on cancel.
    virtual QString pickSaveFile(QWidget *parent, const QString &caption, const QString &filter,
                                 const QString &suffix) = 0;
    // The same, opening at `start` (a folder and a suggested file name).
    virtual QString pickSaveFileAt(QWidget *parent, const QString &caption, const QString &filter,
                                   const QString &suffix, const QString &start)
    {
        (void)start;
        return pickSaveFile(parent, caption, filter, suffix);
    }
    // A save-file dialog offering file types, each a filter such as
    // "CSV 文件(*.csv)", opening at `start` with the first type chosen. The
    // file and the index of the type chosen in it; the empty file on cancel.
    // The dialog adds the chosen type's suffix to a name typed without one.
    struct TypedFile {
        QString file;
        int type = 0;
    };
    virtual TypedFile pickTypedSaveFile(QWidget *parent, const QString &caption, const QStringList &types,
                                        const QString &start)
    {
        return {pickSaveFileAt(parent, caption, types.join(QStringLiteral(";;")), QString(), start), 0};
    }
    // A folder dialog; the empty text on cancel.
    virtual QString pickFolder(QWidget *parent, const QString &caption)
    {
        (void)parent;
        (void)caption;
        return {};
    }
};

// The real dialogs.
class QtPickerService : public PickerService {
public:
    std::optional<QColor> pickColor(QWidget *parent, const QColor &initial) override;
    QString pickOpenFile(QWidget *parent, const QString &caption, const QString &filter) override;
    QString pickSaveFile(QWidget *parent, const QString &caption, const QString &filter,
                         const QString &suffix) override;
    QString pickSaveFileAt(QWidget *parent, const QString &caption, const QString &filter, const QString &suffix,
                           const QString &start) override;
    TypedFile pickTypedSaveFile(QWidget *parent, const QString &caption, const QStringList &types,
                                const QString &start) override;
    QString pickFolder(QWidget *parent, const QString &caption) override;
};

}  // namespace tessaly
