#include "ui/winners/WinnersDialogs.h"

#include "ui_TForm_float2showgs.h"

#include "ui/common/DigitsOnly.h"
#include "ui/common/MessageService.h"

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

}  // namespace tessaly
