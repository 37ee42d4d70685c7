#include "ui/special/TForm_setadv.h"

#include "core/files/Paths.h"
#include "core/settings/Settings.h"
#include "core/text/Lines.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"

#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {
namespace {

QPushButton *button(QWidget *parent, const QString &text, const char *name)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QLineEdit *edit(QWidget *parent, const char *name)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

}  // namespace

TForm_setadv::TForm_setadv(std::filesystem::path programDir, MessageService &messages, PickerService &pickers,
                           QWidget *parent)
    : QDialog(parent), m_programDir(std::move(programDir)), m_messages(messages), m_pickers(pickers)
{
    setObjectName(QStringLiteral("TForm_setadv"));
    setWindowTitle(QStringLiteral("高级设置"));
    resize(820, 640);
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    Edit6 = edit(this, "Edit6");
    Edit6->setToolTip(QStringLiteral("为空表示不显示图片"));
    Edit6->installEventFilter(this);
    auto *logoRow = new QHBoxLayout;
    logoRow->addWidget(Edit6);
    QPushButton *logoButton = button(this, QStringLiteral("..."), "Button7");
    logoRow->addWidget(logoButton);
    form->addRow(QStringLiteral("公司LOGO图片显示："), logoRow);
    Edit1 = edit(this, "Edit1");
    form->addRow(QStringLiteral("准备抽取提示内容："), Edit1);
    Edit2 = edit(this, "Edit2");
    form->addRow(QStringLiteral("抽奖前奖项状态提示内容："), Edit2);
    Edit3 = edit(this, "Edit3");
    form->addRow(QStringLiteral("抽奖后奖项状态提示内容："), Edit3);
    Edit4 = edit(this, "Edit4");
    form->addRow(QStringLiteral("补奖前奖项状态提示内容："), Edit4);
    Edit5 = edit(this, "Edit5");
    form->addRow(QStringLiteral("补奖后奖项状态提示内容："), Edit5);
    auto *note = new QLabel(QStringLiteral("注:<奖项名称>、<当前奖项已抽名额>、<当前奖项总名额>、<本轮抽取名额>、"
                                           "<当前奖项轮数>、<当前奖项总轮数>表示变量，是实时变化的。"),
                            this);
    note->setTextFormat(Qt::PlainText);
    note->setWordWrap(true);
    form->addRow(QString(), note);

    auto *guests = new QGroupBox(QStringLiteral("抽奖嘉宾（抽某奖项前显示内容，启用此项时要勾选‘奖项设置’窗口中的"
                                                "‘先显示抽奖预告再抽奖’）"),
                                 this);
    layout->addWidget(guests, 1);
    auto *grid = new QGridLayout(guests);
    grid->addWidget(new QLabel(QStringLiteral("奖项和批次"), guests), 0, 0);
    ListBox1 = new QListWidget(guests);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    grid->addWidget(ListBox1, 1, 0, 4, 1);
    grid->addWidget(new QLabel(QStringLiteral("内容"), guests), 0, 1);
    Edit7 = edit(guests, "Edit7");
    Edit7->setText(QStringLiteral("欢迎xx领导抽取一等奖"));
    grid->addWidget(Edit7, 1, 1, 1, 4);
    QPushButton *addButton = button(guests, QStringLiteral("增加"), "Button3");
    QPushButton *changeButton = button(guests, QStringLiteral("修改"), "Button4");
    QPushButton *deleteButton = button(guests, QStringLiteral("删除"), "Button5");
    QPushButton *clearButton = button(guests, QStringLiteral("清除全部"), "Button6");
    int column = 1;
    for (QPushButton *b : {addButton, changeButton, deleteButton, clearButton})
        grid->addWidget(b, 2, column++);
    ListBox2 = new QListWidget(guests);
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    grid->addWidget(ListBox2, 3, 1, 2, 4);
    CheckBox1 = new QCheckBox(QStringLiteral("自动居中"), guests);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    grid->addWidget(CheckBox1, 5, 0);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(4, 3);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    QPushButton *ok = button(this, QStringLiteral("确定"), "Button1");
    QPushButton *cancel = button(this, QStringLiteral("取消"), "Button2");
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    if (auto settings = openSettings(m_programDir)) {
        const AdvancedTexts t = readAdvancedTexts(*settings);
        Edit1->setText(toQt(t.readyPrompt));
        Edit2->setText(toQt(t.qCaption));
        Edit3->setText(toQt(t.Caption));
        Edit4->setText(toQt(t.bCaption));
        Edit5->setText(toQt(t.bhCaption));
        Edit6->setText(toQt(t.logo));
        CheckBox1->setChecked(t.bosscenter);
        m_batches = batchItems(*settings);
        for (const auto &b : m_batches)
            ListBox1->addItem(toQt(b.label));
        for (const auto &line : readAnnouncements(*settings, m_batches))
            ListBox2->addItem(toQt(line));
    } else {
        m_messages.notify(this, QStringLiteral("出错"), toQt(settings.error().message), MessageService::Icon::Critical);
    }

    connect(logoButton, &QPushButton::clicked, this, &TForm_setadv::chooseLogo);
    connect(addButton, &QPushButton::clicked, this, &TForm_setadv::addAnnouncement);
    connect(changeButton, &QPushButton::clicked, this, &TForm_setadv::changeAnnouncement);
    connect(deleteButton, &QPushButton::clicked, this, &TForm_setadv::deleteAnnouncement);
    connect(clearButton, &QPushButton::clicked, this, &TForm_setadv::clearAnnouncements);
    connect(ListBox2, &QListWidget::itemClicked, this, &TForm_setadv::lineClicked);
    connect(ok, &QPushButton::clicked, this, &TForm_setadv::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TForm_setadv::checkInput(const QString &noBatch)
{
    if (ListBox1->currentRow() < 0) {
        m_messages.notify(this, QStringLiteral("提示"), noBatch);
        ListBox1->setFocus();
        return false;
    }
    if (Edit7->text().trimmed().isEmpty()) {
        m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("请输入内容"));
        Edit7->setFocus();
        return false;
    }
    return true;
}

void TForm_setadv::addAnnouncement()
{
    if (!checkInput(QStringLiteral("请选择奖项和批次")))
        return;
    const BatchItem &b = m_batches[static_cast<size_t>(ListBox1->currentRow())];
    ListBox2->addItem(toQt(announcementLine(b, trimBlanks(fromQt(Edit7->text())))));
}

void TForm_setadv::changeAnnouncement()
{
    if (!checkInput(QStringLiteral("请选择奖项")))
        return;
    // With no line chosen there is nothing to replace.
    QListWidgetItem *line = ListBox2->currentItem();
    if (!line)
        return;
    const BatchItem &b = m_batches[static_cast<size_t>(ListBox1->currentRow())];
    const std::string old = announcementKey(fromQt(line->text()));
    if (old != b.key)
        m_deletedKeys.push_back(old);  // the line moved to another batch: its old key goes
    line->setText(toQt(announcementLine(b, trimBlanks(fromQt(Edit7->text())))));
}

void TForm_setadv::deleteAnnouncement()
{
    QListWidgetItem *line = ListBox2->currentItem();
    if (!line) {
        m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("请先选中一行"));
        return;
    }
    m_deletedKeys.push_back(announcementKey(fromQt(line->text())));
    delete line;
}

void TForm_setadv::clearAnnouncements()
{
    // The stored announcements go too, or they would come back at the next opening.
    for (int i = 0; i < ListBox2->count(); ++i)
        m_deletedKeys.push_back(announcementKey(fromQt(ListBox2->item(i)->text())));
    ListBox2->clear();
}

void TForm_setadv::lineClicked()
{
    QListWidgetItem *line = ListBox2->currentItem();
    if (!line)
        return;
    const std::string text = fromQt(line->text());
    const std::string label = announcementLabel(text);
    ListBox1->setCurrentRow(-1);
    for (size_t i = 0; i < m_batches.size(); ++i)
        if (m_batches[i].label == label && m_batches[i].key == announcementKey(text))
            ListBox1->setCurrentRow(static_cast<int>(i));
    Edit7->setText(toQt(announcementText(text)));
}

void TForm_setadv::chooseLogo()
{
    const QString chosen = m_pickers.pickOpenFile(this, QStringLiteral("选择公司LOGO图片"),
                                                  QStringLiteral("图片 (*.jpg *.jpeg *.bmp *.ico *.emf *.wmf)"));
    if (chosen.isEmpty())
        return;
    auto stored = importIntoProgramFolder(m_programDir, chosen.toStdString(), "img");
    if (!stored) {
        m_messages.notify(this, QStringLiteral("出错"), toQt(stored.error().message), MessageService::Icon::Critical);
        return;
    }
    Edit6->setText(toQt(*stored));
}

bool TForm_setadv::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Edit6 && event->type() == QEvent::MouseButtonDblClick) {
        chooseLogo();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm_setadv::Button1Click()
{
    auto settings = openSettings(m_programDir);
    if (!settings) {
        m_messages.notify(this, QStringLiteral("出错"), toQt(settings.error().message), MessageService::Icon::Critical);
        return;
    }
    AdvancedTexts t;
    t.readyPrompt = fromQt(Edit1->text());
    t.qCaption = fromQt(Edit2->text());
    t.Caption = fromQt(Edit3->text());
    t.bCaption = fromQt(Edit4->text());
    t.bhCaption = fromQt(Edit5->text());
    t.logo = fromQt(Edit6->text());
    t.bosscenter = CheckBox1->isChecked();
    writeAdvancedTexts(*settings, t);
    std::vector<std::string> lines;
    for (int i = 0; i < ListBox2->count(); ++i)
        lines.push_back(fromQt(ListBox2->item(i)->text()));
    writeAnnouncements(*settings, lines, m_deletedKeys);
    if (Status written = settings->commit(); !written) {
        m_messages.notify(this, QStringLiteral("出错"), toQt(written.error().message), MessageService::Icon::Critical);
        return;
    }
    accept();
}

}  // namespace tessaly
