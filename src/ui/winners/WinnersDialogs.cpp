#include "ui/winners/WinnersDialogs.h"

#include "ui_TForm_float2autopage.h"
#include "ui_TForm_float2showgs.h"

#include "ui/common/DigitsOnly.h"
#include "ui/common/MessageService.h"

#include "core/winners/WinnersFit.h"

namespace tessaly {

TForm_float2showgs::TForm_float2showgs(int current, MessageService &messages, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_float2showgs), m_messages(messages)
{
    m_ui->setupUi(this);
    setDigitsOnly(m_ui->Edit1);
    m_ui->Edit1->setText(QString::number(current));
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_float2showgs::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TForm_float2showgs::~TForm_float2showgs()
{
    delete m_ui;
}

void TForm_float2showgs::Button1Click()
{
    const std::optional<int> n = readPerRowCount(m_ui->Edit1, m_messages, this);
    if (!n)
        return;
    m_perRow = *n;
    accept();
}

TForm_float2autopage::TForm_float2autopage(int current, MessageService &messages, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_float2autopage), m_messages(messages)
{
    m_ui->setupUi(this);
    setDigitsOnly(m_ui->Edit1);
    m_ui->Edit1->setText(QString::number(current));
    m_ui->Edit1->selectAll();
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_float2autopage::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TForm_float2autopage::~TForm_float2autopage()
{
    delete m_ui;
}

void TForm_float2autopage::Button1Click()
{
    const std::optional<int> n =
        readTypedNumber(m_ui->Edit1, QStringLiteral("每页停留秒数"), kAutoPageMin, kAutoPageMax, m_messages, this);
    if (!n)
        return;
    m_seconds = *n;
    accept();
}

}  // namespace tessaly
