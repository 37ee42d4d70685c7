#include "ui/participants/FindReplaceDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tessaly {

FindReplaceDialog::FindReplaceDialog(bool withReplace, QWidget *parent) : QDialog(parent), m_withReplace(withReplace)
{
    setObjectName(withReplace ? QStringLiteral("ReplaceDialog1") : QStringLiteral("FindDialog1"));
    setWindowTitle(withReplace ? QStringLiteral("替换") : QStringLiteral("查找"));
    setModal(false);

    findEdit = new QLineEdit(this);
    findEdit->setObjectName(QStringLiteral("findEdit"));
    replaceEdit = new QLineEdit(this);
    replaceEdit->setObjectName(QStringLiteral("replaceEdit"));
    wholeWord = new QCheckBox(QStringLiteral("全字匹配(&W)"), this);
    matchCase = new QCheckBox(QStringLiteral("区分大小写(&C)"), this);
    auto *direction = new QGroupBox(QStringLiteral("方向"), this);
    up = new QRadioButton(QStringLiteral("向上(&U)"), direction);
    down = new QRadioButton(QStringLiteral("向下(&D)"), direction);
    down->setChecked(true);
    auto *dirRow = new QHBoxLayout(direction);
    dirRow->addWidget(up);
    dirRow->addWidget(down);

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("查找内容(&N):"), this), 0, 0);
    grid->addWidget(findEdit, 0, 1);
    if (withReplace) {
        grid->addWidget(new QLabel(QStringLiteral("替换为(&P):"), this), 1, 0);
        grid->addWidget(replaceEdit, 1, 1);
    } else {
        replaceEdit->hide();
    }
    auto *checks = new QVBoxLayout;
    checks->addWidget(wholeWord);
    checks->addWidget(matchCase);
    auto *lower = new QHBoxLayout;
    lower->addLayout(checks);
    if (!withReplace)
        lower->addWidget(direction);
    else
        direction->hide();
    auto *left = new QVBoxLayout;
    left->addLayout(grid);
    left->addLayout(lower);
    left->addStretch();

    auto *buttons = new QVBoxLayout;
    auto *next = new QPushButton(QStringLiteral("查找下一个(&F)"), this);
    next->setObjectName(QStringLiteral("findNext"));
    next->setDefault(true);
    buttons->addWidget(next);
    connect(next, &QPushButton::clicked, this, &FindReplaceDialog::findNextRequested);
    if (withReplace) {
        auto *replace = new QPushButton(QStringLiteral("替换(&R)"), this);
        replace->setObjectName(QStringLiteral("replace"));
        auto *all = new QPushButton(QStringLiteral("全部替换(&A)"), this);
        all->setObjectName(QStringLiteral("replaceAll"));
        buttons->addWidget(replace);
        buttons->addWidget(all);
        connect(replace, &QPushButton::clicked, this, &FindReplaceDialog::replaceRequested);
        connect(all, &QPushButton::clicked, this, &FindReplaceDialog::replaceAllRequested);
    }
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
    buttons->addWidget(cancel);
    buttons->addStretch();

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
}

QString FindReplaceDialog::findText() const
{
    return findEdit->text();
}

void FindReplaceDialog::setFindText(const QString &text)
{
    findEdit->setText(text);
}

QString FindReplaceDialog::replaceText() const
{
    return replaceEdit->text();
}

SearchOptions FindReplaceDialog::options() const
{
    // The replace box has no direction: it always searches downward.
    return {m_withReplace || !up->isChecked(), matchCase->isChecked(), wholeWord->isChecked()};
}

}  // namespace tessaly
