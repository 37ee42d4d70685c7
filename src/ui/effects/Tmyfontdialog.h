// The font dialog "字体设置" behind every "设置字体" menu item: font name, style
// name and size, each a free text field above a list, and a colour sample.
#pragma once

#include "core/settings/Encodings.h"

#include <QDialog>
#include <QString>
#include <memory>
#include <optional>

namespace Ui {
class Tmyfontdialog;
}

namespace tessaly {

class MessageService;
class PickerService;
class QtPickerService;

class Tmyfontdialog : public QDialog {
    Q_OBJECT
public:
    // What a caller hands over and takes back: styles is a font style set (fsBold ...).
    struct FontChoice {
        QString name;
        unsigned styles = 0;
        int size = 9;
        TColor color = colors::clBlack;
        bool operator==(const FontChoice &) const = default;
    };

    Tmyfontdialog(MessageService &messages, PickerService &pickers, QWidget *parent = nullptr);
    // With the platform's colour dialog.
    explicit Tmyfontdialog(MessageService &messages, QWidget *parent = nullptr);
    ~Tmyfontdialog() override;

    // Fills the fields from `current` and runs modally. On OK: the name field, the
    // style of the style name (the current styles when the field holds none of
    // the four names), the size and the sample's colour.
    std::optional<FontChoice> execute(const FontChoice &current);

    // Each setter selects the equal entry of the list below the field, when there is one.
    void setFontName(const QString &name);
    QString fontName() const;
    void setStyleName(const QString &name);
    QString styleName() const;
    void setSizeText(const QString &size);
    QString sizeText() const;
    void setColor(TColor color);
    TColor color() const { return m_color; }

    // The confirmed values applied to `current`; nothing when the size field is not a valid size.
    std::optional<FontChoice> choice(const FontChoice &current) const;

    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setUp();
    void fillLists();
    void pickColor();

    std::unique_ptr<Ui::Tmyfontdialog> m_ui;
    std::unique_ptr<QtPickerService> m_ownPickers;
    MessageService &m_messages;
    PickerService *m_pickers;
    TColor m_color = colors::clBlack;
};

}  // namespace tessaly
