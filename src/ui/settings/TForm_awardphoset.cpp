#include "ui/settings/TForm_awardphoset.h"

#include "ui_TForm_awardphoset.h"

#include "core/settings/Settings.h"
#include "ui/common/DigitsOnly.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"

namespace tessaly {

TForm_awardphoset::TForm_awardphoset(std::filesystem::path programDir, QSize current, QSize stage,
                                     MessageService &messages, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_awardphoset), m_programDir(std::move(programDir)), m_messages(messages),
      m_size(current), m_stage(stage)
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
    // A picture larger than the stage is never seen whole, and a huge one is
    // scaled into gigabytes.
    const auto width = readTypedNumber(m_ui->Edit1, QStringLiteral("图片宽"), 1, m_stage.width(), m_messages, this);
    if (!width)
        return;
    const auto height = readTypedNumber(m_ui->Edit2, QStringLiteral("图片高"), 1, m_stage.height(), m_messages, this);
    if (!height)
        return;
    auto s = openSettings(m_programDir);
    tessaly::Status saved = s ? tessaly::Status(Ok{}) : tessaly::Status(s.error());
    if (s) {
        s->writeInteger("Option", "phowidth", *width);
        s->writeInteger("Option", "phoheight", *height);
        saved = s->commit();
    }
    if (!saved) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(saved.error().message));
        return;
    }
    m_size = QSize(*width, *height);
    accept();
}

}  // namespace tessaly
