// The effect dialog "平滑特效字体": edits every field of an effect record in
// four groups (shadow, gradient, texture, other effects) with a live preview.
#pragma once

#include "core/settings/EffectRecord.h"

#include <QDialog>
#include <memory>

class QToolButton;

namespace Ui {
class TAAFontDialog;
}

namespace tessaly {

class PickerService;
class QtPickerService;
class TAALabel;

class TAAFontDialog : public QDialog {
    Q_OBJECT
public:
    // Colours and the texture picture are picked through `pickers`.
    explicit TAAFontDialog(PickerService &pickers, QWidget *parent = nullptr);
    // With the platform's pickers.
    explicit TAAFontDialog(QWidget *parent = nullptr);
    ~TAAFontDialog() override;

    // Runs modally on `effect`; on OK the edited record is copied back and the result is true.
    bool execute(TAAEffect &effect);

    // The record as the fields show it now.
    TAAEffect effect() const;
    void setEffect(const TAAEffect &effect);
    // The preview shows this text in this font and colour.
    void setPreviewFont(const QFont &font, TColor color);
    void setPreviewText(const QString &text);
    TAALabel *preview() const { return m_preview; }

private:
    void setUp();
    void connectFields();
    void pickColor(TColor &target, QToolButton *button);
    void pickTexture();
    void showColor(QToolButton *button, TColor color);
    void fieldsChanged();

    std::unique_ptr<Ui::TAAFontDialog> m_ui;
    std::unique_ptr<QtPickerService> m_ownPickers;
    PickerService *m_pickers;
    TAALabel *m_preview = nullptr;
    // Fields without a widget of their own value: the colours and the picture path.
    TColor m_shadowColor = colors::clBlack;
    TColor m_startColor = colors::clWhite;
    TColor m_endColor = colors::clBlack;
    std::string m_picture;
    bool m_loading = false;
};

}  // namespace tessaly
