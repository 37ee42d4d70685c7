#include "ui/stage/TForm_changpo20.h"

#include "ui_TForm_changpo20.h"

#include "ui/common/DigitsOnly.h"
#include "ui/common/MessageService.h"

namespace tessaly {

TForm_changpo20::TForm_changpo20(Values current, TextSize stage, Apply apply, MessageService &messages,
                                 QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_changpo20), m_stage(stage), m_apply(std::move(apply)), m_messages(messages)
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    for (QLineEdit *e : {m_ui->Edit1, m_ui->Edit2, m_ui->Edit3})
        setDigitsOnly(e);
    m_ui->Edit1->setText(QString::number(current.rowLength));
    m_ui->Edit2->setText(QString::number(current.spacing));
    m_ui->Edit3->setText(QString::number(current.top));
    m_ui->CheckBox1->setChecked(current.blankLine);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_changpo20::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TForm_changpo20::~TForm_changpo20()
{
    delete m_ui;
}

void TForm_changpo20::Button1Click()
{
    const std::pair<QLineEdit *, QString> required[] = {
        {m_ui->Edit1, QStringLiteral("每行个数不能为空。")},
        {m_ui->Edit2, QStringLiteral("间隔空格不能为空。")},
        {m_ui->Edit3, QStringLiteral("上边距不能为空。")},
    };
    for (const auto &[edit, message] : required) {
        if (edit->text().trimmed().isEmpty()) {
            m_messages.notify(this, QStringLiteral("提示"), message);
            edit->setFocus();
            return;
        }
    }
    Values v{m_ui->Edit1->text().trimmed().toInt(), m_ui->Edit2->text().trimmed().toInt(),
             m_ui->Edit3->text().trimmed().toInt(), m_ui->CheckBox1->isChecked()};
    if (v.rowLength < 1) {
        // Zero entries per line would divide by zero when the block is built.
        m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("每行个数必须至少为 1。"));
        m_ui->Edit1->setFocus();
        return;
    }
    const TextSize block = m_apply(v);
    if (block.width > m_stage.width)
        m_messages.notify(this, QStringLiteral("提示"),
                          QStringLiteral("抽奖滚动区宽度大于屏幕,请在抽奖滚动区右键菜单调整小的字体。"));
    if (block.height > m_stage.height)
        m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("抽奖滚动区高度大于屏幕,请调整字体或每行个数。"));
    accept();
}

}  // namespace tessaly
