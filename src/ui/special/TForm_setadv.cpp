#include "ui/special/TForm_setadv.h"

#include "core/files/Paths.h"
#include "core/text/Lines.h"
#include "ui/common/GbkText.h"
#include "ui/common/InputMethodBox.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/special/SettingsAccess.h"

#include <QEvent>

namespace tessaly {

TForm_setadv::TForm_setadv(std::filesystem::path programDir, MessageService &messages, PickerService &pickers,
                           QWidget *parent)
    : QDialog(parent), m_programDir(std::move(programDir)), m_messages(messages), m_pickers(pickers)
{
    setupUi(this);
    Edit6->installEventFilter(this);
    // The texts the operator types, Chinese as a rule; the logo path is picked.
    ComboBox1->serveOnLeaving({Edit1, Edit2, Edit3, Edit4, Edit5, Edit7});

    if (auto settings = readIniFile(parent, m_messages, m_programDir)) {
        m_settingsRead = true;
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
    }

    connect(Button7, &QPushButton::clicked, this, &TForm_setadv::chooseLogo);
    connect(Button3, &QPushButton::clicked, this, &TForm_setadv::addAnnouncement);
    connect(Button4, &QPushButton::clicked, this, &TForm_setadv::changeAnnouncement);
    connect(Button5, &QPushButton::clicked, this, &TForm_setadv::deleteAnnouncement);
    connect(Button6, &QPushButton::clicked, this, &TForm_setadv::clearAnnouncements);
    connect(ListBox2, &QListWidget::itemClicked, this, &TForm_setadv::lineClicked);
    connect(Button1, &QPushButton::clicked, this, &TForm_setadv::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
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
        showFailure(this, m_messages, stored.error());
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
    if (!m_settingsRead)
        return;
    AdvancedTexts t;
    t.readyPrompt = fromQt(Edit1->text());
    t.qCaption = fromQt(Edit2->text());
    t.Caption = fromQt(Edit3->text());
    t.bCaption = fromQt(Edit4->text());
    t.bhCaption = fromQt(Edit5->text());
    t.logo = fromQt(Edit6->text());
    t.bosscenter = CheckBox1->isChecked();
    std::vector<std::string> lines;
    for (int i = 0; i < ListBox2->count(); ++i)
        lines.push_back(fromQt(ListBox2->item(i)->text()));
    if (!changeIniFile(this, m_messages, m_programDir, [&](IniStore &settings) {
            writeAdvancedTexts(settings, t);
            writeAnnouncements(settings, lines, m_deletedKeys);
            return true;
        }))
        return;
    accept();
}

}  // namespace tessaly
