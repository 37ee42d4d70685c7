#include "ui/proof/GuestNumbersDialog.h"

#include "core/draw/DrawSession.h"
#include "core/text/Gbk.h"
#include "ui/common/GbkText.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace tessaly {

GuestNumbersDialog::GuestNumbersDialog(DrawSession &session, Apply apply, QWidget *parent)
    : QDialog(parent), m_session(session), m_apply(std::move(apply))
{
    setObjectName(QStringLiteral("TForm_guests"));
    setWindowTitle(QStringLiteral("来宾数字"));
    auto *layout = new QVBoxLayout(this);
    auto *hint = new QLabel(QStringLiteral("请来宾依次输入一个数字（掷骰子、手机秒表的读数等），每个数字会立即显示在大屏幕上。"
                                           "开始滚动时这些数字即与抽奖种子一起决定本奖项的中奖者。"),
                            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    auto *row = new QHBoxLayout;
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("Edit1"));
    m_edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,18}")), m_edit));
    auto *add = new QPushButton(QStringLiteral("添加"), this);
    add->setObjectName(QStringLiteral("Button1"));
    row->addWidget(m_edit);
    row->addWidget(add);
    layout->addLayout(row);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ListBox1"));
    layout->addWidget(m_list);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(add, &QPushButton::clicked, this, &GuestNumbersDialog::addNumber);
    connect(m_edit, &QLineEdit::returnPressed, this, &GuestNumbersDialog::addNumber);
    resize(420, 320);
}

bool GuestNumbersDialog::openStep()
{
    m_apply(m_session.openGuestStep());
    refresh();
    return m_session.guestStep().open;
}

void GuestNumbersDialog::addNumber()
{
    m_apply(m_session.addGuestNumber(m_edit->text().toStdString()));
    m_edit->clear();
    m_edit->setFocus();
    refresh();
}

void GuestNumbersDialog::refresh()
{
    m_list->clear();
    int k = 0;
    for (const auto &number : m_session.guestStep().numbers)
        m_list->addItem(QStringLiteral("来宾%1：%2").arg(++k).arg(QString::fromStdString(number)));
}

GuestNumbersBanner::GuestNumbersBanner(QWidget *stage) : QLabel(stage)
{
    setObjectName(QStringLiteral("GuestNumbers"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAlignment(Qt::AlignCenter);
    setStyleSheet(QStringLiteral("QLabel { color: #ffe070; background: rgba(0, 0, 0, 170); border-radius: 8px;"
                                 " font-size: 56px; font-weight: bold; padding: 12px 32px; }"));
    hide();
}

void GuestNumbersBanner::showNumbers(const QString &numbers)
{
    if (numbers.isEmpty()) {
        hide();
        return;
    }
    setText(QStringLiteral("来宾数字  ") + numbers);
    adjustSize();
    if (auto *stage = parentWidget())
        move((stage->width() - width()) / 2, stage->height() * 2 / 3 - height() / 2);
    show();
    raise();
}

}  // namespace tessaly
