#include "ui/settings/TForm_awardphoset.h"

#include "ui_TForm_awardphoset.h"

#include "core/settings/Settings.h"
#include "ui/common/DigitsOnly.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"

namespace tessaly {

TForm_awardphoset::TForm_awardphoset(std::filesystem::path programDir, QSize current, MessageService &messages,
                                     QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_awardphoset), m_programDir(std::move(programDir)), m_messages(messages),
      m_size(current)
{
    m_ui->setupUi(this);
    setDigitsOnly(m_ui->Edit1);
    setDigitsOnly(m_ui->Edit2);
    m_ui->Edit1->setText(QString::number(current.width()));
    m_ui->Edit2->setText(QString::number(current.height()));
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_awardphoset::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TForm_awardphoset::~TForm_awardphoset()
{
    delete m_ui;
}

void TForm_awardphoset::Button1Click()
{
    const std::pair<QLineEdit *, QString> required[] = {{m_ui->Edit1, QStringLiteral("图片宽不能为空。")},
                                                        {m_ui->Edit2, QStringLiteral("图片高不能为空。")}};
    for (const auto &[edit, message] : required) {
        if (edit->text().trimmed().isEmpty()) {
            m_messages.notify(this, QStringLiteral("提示"), message);
            edit->setFocus();
            return;
        }
    }
    auto s = openSettings(m_programDir);
    tessaly::Status saved = s ? tessaly::Status(Ok{}) : tessaly::Status(s.error());
    if (s) {
        s->writeString("Option", "phowidth", fromQt(m_ui->Edit1->text().trimmed()));
        s->writeString("Option", "phoheight", fromQt(m_ui->Edit2->text().trimmed()));
        saved = s->commit();
    }
    if (!saved) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(saved.error().message));
        return;
    }
    m_size = QSize(m_ui->Edit1->text().toInt(), m_ui->Edit2->text().toInt());
    accept();
}

}  // namespace tessaly
