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
    // Enter in the field adds the number, once: no button of the dialog takes the
    // key as well (it added an empty number over it, or closed the dialog).
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
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

GuestNumbersBanner::GuestNumbersBanner(QWidget *stage, std::function<double()> scale)
    : QLabel(stage), m_overlay(new StageOverlay(stage, std::move(scale), [this] { place(); }, this))
{
    setObjectName(QStringLiteral("GuestNumbers"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAlignment(Qt::AlignCenter);
    hide();
}

void GuestNumbersBanner::showNumbers(const QString &numbers)
{
    if (numbers.isEmpty()) {
        hide();
        return;
    }
    setText(QStringLiteral("来宾数字  ") + numbers);
    show();
    place();
    raise();
}

void GuestNumbersBanner::place()
{
    auto *stage = parentWidget();
    if (!stage || !isVisible())
        return;
    if (m_overlay->rescaled()) {
        auto px = [this](int pixels) { return m_overlay->px(pixels); };
        setStyleSheet(QStringLiteral("QLabel { color: #ffe070; background: rgba(0, 0, 0, 170); border-radius: %1px;"
                                     " font-weight: bold; padding: %2px %3px; }")
                          .arg(px(8))
                          .arg(px(12))
                          .arg(px(32)));
    }
    // Many long numbers do not fit one line: they wrap within the stage, in a
    // smaller size where they would take more than half of it.
    const int room = stage->width() - 2 * m_overlay->px(16);
    QFont f = font();
    for (int size = m_overlay->px(56);; size = std::max(12, size * 7 / 8)) {
        f.setPixelSize(size);
        setFont(f);
        setWordWrap(false);
        adjustSize();
        if (width() > room) {
            setWordWrap(true);
            resize(room, heightForWidth(room));
        }
        if (size == 12 || height() <= stage->height() / 2)
            break;
    }
    // Between the ready text and the status caption; above the caption, or above
    // the ready text too, where they stand there on a small stage.
    const QRect at((stage->width() - width()) / 2, stage->height() * 2 / 3 - height() / 2, width(), height());
    move(m_overlay->clearOf(this, at, true, stage->height() / 4));
}

}  // namespace tessaly
