#include "ui/stage/TForm_changpo20.h"

#include "ui_TForm_changpo20.h"

#include "core/stage/PhotoGrid.h"
#include "core/stage/SlotLayout.h"
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
    // A line holds at most a whole batch; more blanks than the block shows, or a
    // top below the stage, would be stored and never seen.
    const auto rowLength = readTypedNumber(m_ui->Edit1, QStringLiteral("每行个数"), 1, kMaxPhotoSlots, m_messages, this);
    if (!rowLength)
        return;
    const auto spacing = readTypedNumber(m_ui->Edit2, QStringLiteral("间隔空格"), 0, kMaxBlockSpacing, m_messages, this);
    if (!spacing)
        return;
    const auto top = readTypedNumber(m_ui->Edit3, QStringLiteral("上边距"), 0, std::max(0, m_stage.height - 1), m_messages, this);
    if (!top)
        return;
    const Values v{*rowLength, *spacing, *top, m_ui->CheckBox1->isChecked()};
    const TextSize block = m_apply(v);
    if (block.width > m_stage.width)
        m_messages.notify(this, QStringLiteral("提示"),
                          QStringLiteral("抽奖滚动区宽度大于屏幕,请在抽奖滚动区右键菜单调整小的字体。"));
    if (block.height > m_stage.height)
        m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("抽奖滚动区高度大于屏幕,请调整字体或每行个数。"));
    accept();
}

}  // namespace tessaly
