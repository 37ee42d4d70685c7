#include "ui/effects/Tmyfontdialog.h"

#include "ui/common/PickerService.h"
#include "ui/effects/ui_Tmyfontdialog.h"

namespace tessaly {

Tmyfontdialog::Tmyfontdialog(MessageService &messages, PickerService &pickers, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::Tmyfontdialog>()), m_messages(messages), m_pickers(pickers)
{
    m_ui->setupUi(this);
}
Tmyfontdialog::Tmyfontdialog(MessageService &messages, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::Tmyfontdialog>()), m_ownPickers(std::make_unique<QtPickerService>()),
      m_messages(messages), m_pickers(*m_ownPickers)
{
    m_ui->setupUi(this);
}
Tmyfontdialog::~Tmyfontdialog() = default;
std::optional<Tmyfontdialog::FontChoice> Tmyfontdialog::execute(const FontChoice &) { return std::nullopt; }
void Tmyfontdialog::setFontName(const QString &) {}
QString Tmyfontdialog::fontName() const { return {}; }
void Tmyfontdialog::setStyleName(const QString &) {}
QString Tmyfontdialog::styleName() const { return {}; }
void Tmyfontdialog::setSizeText(const QString &) {}
QString Tmyfontdialog::sizeText() const { return {}; }
void Tmyfontdialog::setColor(TColor color) { m_color = color; }
std::optional<Tmyfontdialog::FontChoice> Tmyfontdialog::choice(const FontChoice &) const { return std::nullopt; }
void Tmyfontdialog::accept() { QDialog::accept(); }
bool Tmyfontdialog::eventFilter(QObject *watched, QEvent *event) { return QDialog::eventFilter(watched, event); }

}  // namespace tessaly
