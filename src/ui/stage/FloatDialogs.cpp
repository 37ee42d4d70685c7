#include "ui/stage/FloatDialogs.h"

#include "ui_TForm_floatshowgs.h"
#include "ui_TForm_settxt.h"

#include "core/settings/Settings.h"
#include "ui/common/DigitsOnly.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"

#include <cstring>

namespace tessaly {

TForm_floatshowgs::TForm_floatshowgs(std::filesystem::path programDir, MessageService &messages, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_floatshowgs), m_programDir(std::move(programDir)), m_messages(messages)
{
    m_ui->setupUi(this);
    setDigitsOnly(m_ui->Edit1);
    if (auto s = openSettings(m_programDir))
        m_ui->Edit1->setText(QString::number(s->readInteger("Option", "Floatrownum", 1)));
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_floatshowgs::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TForm_floatshowgs::~TForm_floatshowgs()
{
    delete m_ui;
}

void TForm_floatshowgs::Button1Click()
{
    const std::optional<int> n = readPerRowCount(m_ui->Edit1, m_messages, this);
    if (!n)
        return;
    auto s = openSettings(m_programDir);
    tessaly::Status saved = s ? tessaly::Status(Ok{}) : tessaly::Status(s.error());
    if (s) {
        s->writeInteger("Option", "Floatrownum", *n);
        saved = s->commit();
    }
    if (!saved) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(saved.error().message));
        return;
    }
    m_perRow = *n;
    accept();
}

TForm_settxt::TForm_settxt(std::filesystem::path programDir, const char *section, MessageService &messages,
                           QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_settxt), m_programDir(std::move(programDir)), m_section(section),
      m_messages(messages)
{
    m_ui->setupUi(this);
    m_ui->Label2->setVisible(std::strcmp(section, "SresultText") == 0);
    if (auto s = openSettings(m_programDir))
        m_ui->Edit1->setText(toQt(s->readString(section, "Caption")));
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_settxt::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TForm_settxt::~TForm_settxt()
{
    delete m_ui;
}

QString TForm_settxt::text() const
{
    return m_ui->Edit1->text().trimmed();
}

void TForm_settxt::Button1Click()
{
    auto s = openSettings(m_programDir);
    tessaly::Status saved = s ? tessaly::Status(Ok{}) : tessaly::Status(s.error());
    if (s) {
        s->writeString(m_section, "Caption", fromQt(text()));
        saved = s->commit();
    }
    if (!saved) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(saved.error().message));
        return;
    }
    accept();
}

}  // namespace tessaly
