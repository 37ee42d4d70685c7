// The colour and file pickers of the program go through this service, so a test
// can answer them in advance instead of blocking on a modal dialog.
#pragma once

#include <QColor>
#include <QString>
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
    QString pickFolder(QWidget *parent, const QString &caption) override;
};

}  // namespace tessaly
