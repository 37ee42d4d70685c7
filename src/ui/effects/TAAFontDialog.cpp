#include "ui/effects/TAAFontDialog.h"

#include "ui/common/PickerService.h"
#include "ui/effects/ui_TAAFontDialog.h"

namespace tessaly {

TAAFontDialog::TAAFontDialog(PickerService &pickers, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TAAFontDialog>()), m_pickers(pickers)
{
    m_ui->setupUi(this);
}
TAAFontDialog::TAAFontDialog(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TAAFontDialog>()), m_ownPickers(std::make_unique<QtPickerService>()),
      m_pickers(*m_ownPickers)
{
    m_ui->setupUi(this);
}
TAAFontDialog::~TAAFontDialog() = default;
bool TAAFontDialog::execute(TAAEffect &) { return false; }
TAAEffect TAAFontDialog::effect() const { return {}; }
void TAAFontDialog::setEffect(const TAAEffect &) {}
void TAAFontDialog::setPreviewFont(const QFont &, TColor) {}
void TAAFontDialog::setPreviewText(const QString &) {}

}  // namespace tessaly
