#include "ui/settings/TForm_setaward.h"

#include "ui_TForm_setaward.h"

#include "core/draw/AwardSaveDecision.h"
#include "core/event/Backup.h"
#include "core/files/FileIo.h"
#include "core/files/Paths.h"
#include "core/participants/ParticipantList.h"
#include "core/settings/AwardSettings.h"
#include "core/settings/FontKeys.h"
#include "core/settings/ProgramFiles.h"
#include "core/settings/Settings.h"
#include "core/stage/TextMeasurer.h"
#include "core/text/Gbk.h"
#include "core/text/Lines.h"
#include "core/text/SplitField.h"
#include "ui/common/DigitsOnly.h"
#include "ui/common/Fonts.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/VirtualKeys.h"
#include "ui/settings/AwardSettingsHost.h"
#include "ui/settings/TForm_grade.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace tessaly {
namespace {

struct StartKey {
    const char *label;
    int code;
};
constexpr StartKey kStartKeys[] = {{"空格键", 32}, {"回车键", 13}, {"PageDown", 34}, {"PageUp", 33}, {"F5", 116}};

QString startKeyLabel(int code)
{
    for (const auto &k : kStartKeys)
        if (k.code == code)
            return QString::fromUtf8(k.label);
    return {};
}

}  // namespace

TForm_setaward::TForm_setaward(std::filesystem::path programDir, AwardSettingsHost &host, MessageService &messages,
                               QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_setaward), m_programDir(std::move(programDir)), m_host(host),
      m_messages(messages)
{
    m_host.saveLayoutIfDirty();
    m_ui->setupUi(this);
    m_hideBoxes = {{m_ui->CheckBox1, "FirstTitle"}, {m_ui->CheckBox2, "SecondTitle"},
                   {m_ui->CheckBox3, "Status"},     {m_ui->CheckBox4, "Award"},
                   {m_ui->CheckBox5, "RzMarqueeStatus1"}, {m_ui->CheckBox6, "GoButton"},
                   {m_ui->CheckBox7, "StopButton"}, {m_ui->CheckBox8, "Image_Award"}};
    for (QLineEdit *e : {m_ui->Edit4, m_ui->Edit5, m_ui->Edit6})
        setDigitsOnly(e);
    // The titles and the caption strip are typed text; the number fields are not.
    m_ui->ComboBox3->serveOnLeaving({m_ui->Edit1, m_ui->Edit2, m_ui->Edit3});
    const int widths[] = {80, 55, 40, 120, 140, 500};
    for (int c = 0; c < 6; ++c)
        m_ui->StringGrid1->setColumnWidth(c, widths[c]);

    if (auto settings = openSettings(m_programDir))
        loadFromSettings(*settings);
    else
        m_messages.notify(this, QStringLiteral("提示"), toQt(settings.error().message));

    for (const HideBox &h : m_hideBoxes) {
        const QString element = QString::fromLatin1(h.element);
        connect(h.box, &QCheckBox::toggled, this, [this, element](bool hidden) {
            m_host.setElementVisible(element, !hidden);
        });
    }
    connect(m_ui->CheckBox10, &QCheckBox::toggled, this, &TForm_setaward::updatePrivacyFields);
    connect(m_ui->ComboBox2, &QComboBox::currentIndexChanged, this, &TForm_setaward::startKeyChanged);
    connect(m_ui->Edit4, &QLineEdit::editingFinished, this, &TForm_setaward::checkSpeed);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_setaward::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TForm_setaward::Button2Click);
    connect(m_ui->Button3, &QPushButton::clicked, this, &TForm_setaward::addAward);
    connect(m_ui->Button4, &QPushButton::clicked, this, &TForm_setaward::editSelectedAward);
    connect(m_ui->Button5, &QPushButton::clicked, this, &TForm_setaward::deleteAward);
    connect(m_ui->Button6, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(m_ui->Button7, &QPushButton::clicked, this, [this] { moveSelected(1); });
    // "高级设置" sits at the end of the grid's buttons.
    auto *advanced = new QPushButton(QStringLiteral("高级设置"), this);
    advanced->setObjectName(QStringLiteral("Button8"));
    m_ui->gridButtons->addWidget(advanced);
    connect(advanced, &QPushButton::clicked, this, [this] { m_host.openAdvancedSettings(this); });
    connect(m_ui->StringGrid1, &QTableWidget::cellDoubleClicked, this, &TForm_setaward::editSelectedAward);
    m_ui->ComboBox2->installEventFilter(this);
    m_filling = false;
}

TForm_setaward::~TForm_setaward()
{
    delete m_ui;
}

void TForm_setaward::loadFromSettings(const IniStore &s)
{
    m_ui->Edit1->setText(toQt(s.readString("FirstTitle", "Caption")));
    m_ui->Edit2->setText(toQt(s.readString("SecondTitle", "Caption")));
    m_ui->Edit3->setText(toQt(s.readString("RzMarqueeStatus1", "text")));
    m_ui->CheckBox11->setChecked(true);
    m_ui->CheckBox12->setChecked(true);
    m_ui->Edit4->setText(toQt(s.readString("Option", "IntervalTime", "40")));
    m_ui->ComboBox1->setCurrentIndex(s.readString("Option", "scrolldown", "1") == "1" ? 1 : 0);
    for (const HideBox &h : m_hideBoxes)
        h.box->setChecked(!s.readBool(h.element, "Visible", true));
    m_ui->CheckBox9->setChecked(!s.readBool("Option", "canreAward", false));
    if (m_host.photoMode()) {
        m_ui->CheckBox10->setText(QStringLiteral("在图片上显示文字"));
        m_ui->CheckBox10->setChecked(s.readBool("Option", "canshowtxtpho", true));
        for (QWidget *w : std::initializer_list<QWidget *>{m_ui->Label8, m_ui->Edit5, m_ui->Label9, m_ui->Edit6,
                                                           m_ui->Label10})
            w->hide();
    } else {
        m_ui->CheckBox10->setChecked(s.readBool("Option", "privacy", false));
    }
    m_ui->Edit5->setText(toQt(s.readString("Option", "privacystart", "1")));
    m_ui->Edit6->setText(toQt(s.readString("Option", "privacyend", "2")));
    updatePrivacyFields();
    m_ui->CheckBox13->setChecked(s.readBool("Option", "Statuscenter", true));
    m_ui->CheckBox14->setChecked(s.readBool("Option", "Gradecenter", true));
    m_ui->CheckBox15->setChecked(s.readBool("Option", "canready", true));
    m_ui->CheckBox16->setChecked(s.readBool("Option", "runfrom", false));

    m_customKey = s.readInteger("Option", "startkey", 32);
    QString label = startKeyLabel(m_customKey);
    if (label.isEmpty())
        recordCustomKey(m_customKey, toQt(s.readString("Option", "startkeystr", TSL_GBK("空格键"))));
    else
        m_ui->ComboBox2->setCurrentText(label);
    const bool enterKey = m_customKey == 13;
    m_ui->CheckBox6->setEnabled(!enterKey);
    m_ui->CheckBox7->setEnabled(!enterKey);

    const int count = s.readInteger("Option", "Lucks", 1);
    for (int i = 0; i < std::min(count, kMaxAwards); ++i) {
        const std::string value = s.readString("Grade", std::to_string(i));
        QStringList cells;
        // A name holding "|" shows whole, so the check at OK can name it.
        const ParsedGrade parsed = parseGradeValue(value);
        if (parsed.separatorInName) {
            const LGrade &g = parsed.grade;
            cells << toQt(g.name) << QString::number(g.winners) << QString::number(g.batchCount) << toQt(g.batchDetail)
                  << toQt(g.prizeName) << toQt(g.prizePicture);
        } else {
            for (int f = 1; f <= 6; ++f)
                cells << toQt(SplitField(value, '|', f));
        }
        addRow(cells);
    }
    if (m_ui->StringGrid1->rowCount() == 0)
        addRow(QStringList(6, QString()));
}

void TForm_setaward::updatePrivacyFields()
{
    if (m_host.photoMode())
        return;
    const bool on = m_ui->CheckBox10->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{m_ui->Label8, m_ui->Edit5, m_ui->Label9, m_ui->Edit6})
        w->setEnabled(on);
}

void TForm_setaward::addRow(const QStringList &cells, int at)
{
    QTableWidget *g = m_ui->StringGrid1;
    const int row = at < 0 ? g->rowCount() : at;
    g->insertRow(row);
    for (int c = 0; c < 6; ++c)
        g->setItem(row, c, new QTableWidgetItem(c < cells.size() ? cells[c] : QString()));
}

QStringList TForm_setaward::rowCells(int row) const
{
    QStringList cells;
    for (int c = 0; c < 6; ++c) {
        const QTableWidgetItem *item = m_ui->StringGrid1->item(row, c);
        cells << (item ? item->text() : QString());
    }
    return cells;
}

QStringList TForm_setaward::editAward(const QStringList &row)
{
    TForm_grade dialog(m_programDir, row, m_messages, {}, this);
    return dialog.exec() == QDialog::Accepted ? dialog.awardRow() : QStringList();
}

void TForm_setaward::addAward()
{
    QTableWidget *g = m_ui->StringGrid1;
    const bool singleBlank = g->rowCount() == 1 && rowCells(0)[1].trimmed().isEmpty();
    if (!singleBlank && g->rowCount() >= kMaxAwards) {
        m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("奖项最多只能设定50个！"));
        return;
    }
    const QStringList result = editAward({});
    if (result.isEmpty())
        return;
    if (singleBlank)
        g->removeRow(0);
    addRow(result, singleBlank ? 0 : -1);
    m_gradeChanged = true;
}

void TForm_setaward::editSelectedAward()
{
    const int row = m_ui->StringGrid1->currentRow();
    if (row < 0)
        return;
    const QStringList result = editAward(rowCells(row));
    if (result.isEmpty())
        return;
    for (int c = 0; c < 6; ++c)
        m_ui->StringGrid1->item(row, c)->setText(result[c]);
    m_gradeChanged = true;
}

void TForm_setaward::deleteAward()
{
    QTableWidget *g = m_ui->StringGrid1;
    const int row = g->currentRow();
    if (row < 0)
        return;
    if (g->rowCount() == 1) {
        for (int c = 0; c < 6; ++c)
            g->item(0, c)->setText(QString());
        return;
    }
    g->removeRow(row);
}

void TForm_setaward::moveSelected(int delta)
{
    QTableWidget *g = m_ui->StringGrid1;
    const int row = g->currentRow(), other = row + delta;
    if (row < 0 || other < 0 || other >= g->rowCount())
        return;
    const QStringList a = rowCells(row), b = rowCells(other);
    for (int c = 0; c < 6; ++c) {
        g->item(row, c)->setText(b[c]);
        g->item(other, c)->setText(a[c]);
    }
    g->setCurrentCell(other, g->currentColumn() < 0 ? 0 : g->currentColumn());
}

void TForm_setaward::recordCustomKey(int vk, const QString &name)
{
    m_customKey = vk;
    QComboBox *list = m_ui->ComboBox2;
    while (list->count() > 5)
        list->removeItem(5);
    list->addItem(name);
    list->setCurrentIndex(5);
}

bool TForm_setaward::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_ui->ComboBox2 || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Up ||
        key->key() == Qt::Key_Down)
        return QDialog::eventFilter(watched, event);
    const int vk = virtualKeyFromQt(key->key());
    if (vk == 0)
        return true;
    const QString label = startKeyLabel(vk);
    if (!label.isEmpty())
        m_ui->ComboBox2->setCurrentText(label);
    else
        recordCustomKey(vk, QKeySequence(key->key()).toString());
    return true;
}

void TForm_setaward::startKeyChanged(int index)
{
    if (m_filling)
        return;
    m_messages.notify(this, QStringLiteral("提示"),
                      QStringLiteral("准备抽取提示字样\"按空格键开始抽取\"可到本窗口的\"高级设置\"中改变"));
    const bool enterKey = index == 1;
    if (enterKey) {
        m_ui->CheckBox6->setChecked(true);
        m_ui->CheckBox7->setChecked(true);
    }
    m_ui->CheckBox6->setEnabled(!enterKey);
    m_ui->CheckBox7->setEnabled(!enterKey);
}

bool TForm_setaward::checkSpeed()
{
    bool ok = false;
    const int speed = m_ui->Edit4->text().trimmed().toInt(&ok);
    if (ok && speed >= 20 && speed <= 100)
        return true;
    m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("抽奖滚动速度不能小于20或大于100毫秒！"));
    m_ui->Edit4->setFocus();
    return false;
}

bool TForm_setaward::checkPrivacy()
{
    // Positions past the longest entry mask nothing; the check before the event
    // names the same bounds.
    if (!m_ui->CheckBox10->isChecked())
        return true;
    return readTypedNumber(m_ui->Edit5, QStringLiteral("屏蔽起始位"), 1, kMaxPrivacyPosition, m_messages, this) &&
           readTypedNumber(m_ui->Edit6, QStringLiteral("屏蔽结束位"), 0, kMaxPrivacyPosition, m_messages, this);
}

void TForm_setaward::Button2Click()
{
    reject();
}

void TForm_setaward::reject()
{
    // "取消", Esc and the close box all undo the live preview of the hide boxes.
    if (auto settings = openSettings(m_programDir))
        for (const HideBox &h : m_hideBoxes)
            m_host.setElementVisible(QString::fromLatin1(h.element), settings->readBool(h.element, "Visible", true));
    QDialog::reject();
}

std::vector<SettingWrite> TForm_setaward::collectWrites(const IniStore &s, const std::vector<std::vector<std::string>> &rows,
                                                        int total, std::vector<std::pair<QString, int>> &titleLefts) const
{
    auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    std::vector<SettingWrite> w;
    if (total > 100)
        w.push_back({"Option", "oneRzMarqueeStatus", "1"});
    const std::string first = fromQt(m_ui->Edit1->text()), second = fromQt(m_ui->Edit2->text());
    for (const char *section : {"FirstTitle", "SFirstTitle", "SFirstTitle2"})
        w.push_back({section, "Caption", first});
    for (const char *section : {"SecondTitle", "SSecondTitle", "SSecondTitle2"})
        w.push_back({section, "Caption", second});
    w.push_back({"RzMarqueeStatus1", "text", fromQt(m_ui->Edit3->text())});
    w.push_back({"Option", "IntervalTime", fromQt(m_ui->Edit4->text().trimmed())});
    for (const HideBox &h : m_hideBoxes)
        w.push_back({h.element, "Visible", flag(!h.box->isChecked())});
    w.push_back({"RzMarqueeStatus1", "Active", flag(!m_ui->CheckBox5->isChecked())});
    w.push_back({"Option", "canreAward", flag(!m_ui->CheckBox9->isChecked())});
    w.push_back({"Award", "Top", std::to_string(m_host.storedTop(QStringLiteral("Award")))});
    w.push_back({"Option", "privacystart", fromQt(m_ui->Edit5->text())});
    w.push_back({"Option", "privacyend", fromQt(m_ui->Edit6->text())});
    w.push_back({"Option", m_host.photoMode() ? "canshowtxtpho" : "privacy", flag(m_ui->CheckBox10->isChecked())});
    w.push_back({"Option", "Statuscenter", flag(m_ui->CheckBox13->isChecked())});
    w.push_back({"Option", "Gradecenter", flag(m_ui->CheckBox14->isChecked())});

    // Titles: centred on the stage in their own fonts, the results window's in its fonts.
    const int stageWidth = m_host.stageWidth();
    const std::pair<const char *, QCheckBox *> titles[] = {{"FirstTitle", m_ui->CheckBox11},
                                                            {"SecondTitle", m_ui->CheckBox12}};
    for (const auto &[name, centre] : titles) {
        const QString element = QString::fromLatin1(name);
        const QString caption = element == QLatin1String("FirstTitle") ? m_ui->Edit1->text() : m_ui->Edit2->text();
        int left = m_host.elementLeft(element);
        if (centre->isChecked())
            left = roundHalfEven((stageWidth - m_host.titleTextWidth(element, caption)) / 2.0);
        titleLefts.emplace_back(element, left);
        w.push_back({name, "Left", std::to_string(m_host.storedLeft(element, left))});
    }
    QtTextMeasurer measurer;
    for (const auto &[section, caption] : {std::pair{"SFirstTitle", first}, std::pair{"SSecondTitle", second}}) {
        FontSpec font = defaultSlotFont();
        font.name = s.readString(section, "Font.Name", font.name);
        font.size = s.readInteger(section, "Font.Size", 36);
        font.charset = s.readInteger(section, "Font.Charset", kGb2312Charset);
        const int width = measurer.measure(font, caption).width;
        w.push_back({section, "Left", std::to_string(roundHalfEven((stageWidth - width) / 2.0))});
        w.push_back({section, "Width", std::to_string(width)});
    }

    w.push_back({"Option", "runfrom", flag(m_ui->CheckBox16->isChecked())});
    w.push_back({"Option", "canready", flag(m_ui->CheckBox15->isChecked())});
    const QString keyText = m_ui->ComboBox2->currentText();
    bool known = false;
    for (const auto &k : kStartKeys) {
        if (keyText == QString::fromUtf8(k.label)) {
            w.push_back({"Option", "startkey", std::to_string(k.code)});
            known = true;
        }
    }
    if (!known) {
        w.push_back({"Option", "startkey", std::to_string(m_customKey)});
        w.push_back({"Option", "startkeystr", fromQt(keyText)});
    }
    w.push_back({"Option", "scrolldown", m_ui->ComboBox1->currentIndex() == 1 ? "1" : "0"});
    for (size_t r = 0; r < rows.size(); ++r) {
        std::vector<std::string> trimmed;
        for (const auto &cell : rows[r])
            trimmed.push_back(trimBlanks(cell));
        trimmed.resize(6);
        w.push_back({"Grade", std::to_string(r), joinCompound(trimmed)});
    }
    w.push_back({"option", "Lucks", std::to_string(rows.size())});
    return w;
}

void TForm_setaward::Button1Click()
{
    m_host.stopRollingForSettings();
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < m_ui->StringGrid1->rowCount(); ++r) {
        std::vector<std::string> cells;
        for (const QString &cell : rowCells(r))
            cells.push_back(fromQt(cell));
        rows.push_back(std::move(cells));
    }
    int total = 0;
    if (auto refusal = checkAwardRows(rows, total)) {
        m_messages.notify(this, toQt(refusal->caption), toQt(refusal->message));
        return;
    }
    if (!checkSpeed() || !checkPrivacy())
        return;
    auto opened = openSettings(m_programDir);
    if (!opened) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(opened.error().message));
        return;
    }
    IniStore &s = *opened;
    std::vector<std::pair<QString, int>> titleLefts;
    const std::vector<SettingWrite> writes = collectWrites(s, rows, total, titleLefts);
    // Only a change that leaves more winners undrawn is refused; a title never is.
    if (const std::string refusal = shortageRefusal(m_programDir, s, writes); !refusal.empty()) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(refusal));
        return;
    }
    // Only a change that decides the draw returns everything to the pool, and
    // the question says how many recorded winners that clears.
    const bool resets = decideAwardSave(s, writes).resetsDraw;
    if (resets && !m_messages.ask(this, QStringLiteral("重要提示"),
                                  toQt(awardResetQuestion(m_host.recordedWinners()) + "\n\n" +
                                       backupNotice(m_programDir, 0))))
        return;
    if (resets && !m_host.keepBackup())
        return;
    m_ui->Button1->setEnabled(false);
    for (const auto &[element, left] : titleLefts)
        m_host.setElementLeft(element, left);
    for (const SettingWrite &w : writes)
        s.writeString(w.section, w.key, w.value);
    if (auto committed = s.commit(); !committed) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(committed.error().message));
        m_ui->Button1->setEnabled(true);
        return;
    }

    if (!resets) {
        m_host.reloadAfterSettings();
        accept();
        return;
    }
    const bool arrange =
        m_gradeChanged &&
        m_messages.ask(this, QStringLiteral("提示"), QStringLiteral("奖项参数有改变！是否要让软件重新对抽奖滚动区进行排版?"));
    // The reset reads the new table first, so the slots are arranged for it and not for the old one.
    m_host.resetDrawAfterSettings();
    if (arrange)
        m_host.arrangeAllSlots();
    accept();
}

}  // namespace tessaly
