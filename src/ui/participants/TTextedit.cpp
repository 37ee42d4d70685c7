#include "ui/participants/TTextedit.h"

#include "core/draw/DrawSession.h"
#include "core/draw/Random.h"
#include "core/event/Backup.h"
#include "core/files/FileIo.h"
#include "core/files/Paths.h"
#include "core/participants/ListImport.h"
#include "core/participants/ListTools.h"
#include "core/text/Gbk.h"
#include "core/text/Lines.h"
#include "ui/common/GbkText.h"
#include "ui/common/LineNumberEdit.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/participants/FindReplaceDialog.h"
#include "ui/participants/ImportRunner.h"
#include "ui/participants/ListToolDialogs.h"
#include "ui/participants/TPhotoListPanel.h"
#include "ui/participants/TTextedit_ex.h"
#include "ui/settings/AwardSettingsHost.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QTextBlock>
#include <QTextBlockUserData>
#include <QTextCursor>
#include <QVBoxLayout>

namespace tessaly {
namespace {

bool g_reminder = false;

const QString kCaption = QStringLiteral("编辑抽奖名单");

// A line of data.txt holding bytes that are not valid GBK: it shows them as
// replacement characters and keeps the bytes for as long as it shows the same.
class RawLine : public QTextBlockUserData {
public:
    RawLine(QString shown, std::string bytes) : shown(std::move(shown)), bytes(std::move(bytes)) {}
    QString shown;
    std::string bytes;
};

// The GBK form of a line as typed; false when some character has none (GBK
// would store '?' or another character that reads back differently).
bool toGbkExactly(const QString &text, std::string &gbk)
{
    gbk = fromQt(text);
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    return ascii || toQt(gbk) == text;
}

}  // namespace

bool TTextedit::reminderPending()
{
    return g_reminder;
}

void TTextedit::setReminderPending(bool on)
{
    g_reminder = on;
}

TTextedit::TTextedit(std::filesystem::path programDir, AwardSettingsHost &host, DrawSession &session,
                     Services services, QWidget *parent)
    : QDialog(parent), m_programDir(std::move(programDir)), m_host(host), m_session(session), m_services(services)
{
    setObjectName(QStringLiteral("TTextedit"));
    setWindowTitle(kCaption);
    setModal(true);
    resize(900, 680);
    auto *layout = new QVBoxLayout(this);
    if (session.flags().PhotoMode) {
        // The photo face: the pictures of photo\ instead of text lines, no main menu.
        Panel1 = new TPhotoListPanel(m_programDir, host, session, services.messages, services.pickers, this);
        layout->addWidget(Panel1);
        return;
    }
    createTextFace();
    createMenus();
    layout->setMenuBar(MainMenu1);
    layout->addWidget(Memo1, 1);
    layout->addWidget(Label1);

    loadDataFile();
}

void TTextedit::loadDataFile()
{
    Result<std::string> data = readFile(programFile(m_programDir, "data.txt"));
    if (!data) {
        m_services.messages.notify(this, QStringLiteral("提示"), toQt(data.error().message),
                                   MessageService::Icon::Critical);
        return;
    }
    // A list copied in by hand in UTF-8 would show garbled and save as '?':
    // told apart as an import does, and converted when the operator agrees.
    DecodedText decoded = decodeListText(*data);
    if (decoded.wasUnicode &&
        m_services.messages.ask(this, QStringLiteral("提示"),
                                QStringLiteral("名单文件data.txt不是GBK编码（可能是UTF-8等Unicode编码），直接打开会显示乱码。"
                                               "是否转换为GBK编码打开？（转换后保存名单才会写入data.txt）"))) {
        std::vector<OriginalLine> original;
        for (size_t i = 0; i < decoded.unencodable.size(); ++i)
            original.push_back({static_cast<size_t>(decoded.unencodable[i] - 1), decoded.unencodableText[i]});
        setLines(decoded.lines, true, original);
    } else {
        setLines(splitLines(*data), false);
    }
    // Opening is no edit: undo never empties the list just opened.
    Memo1->document()->clearUndoRedoStacks();
}

TTextedit::~TTextedit() = default;

void TTextedit::createTextFace()
{
    Memo1 = new LineNumberEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setStyleSheet(QStringLiteral("color: maroon; font-weight: bold"));
    Label1->setText(QStringLiteral(
        "注意：1、一行算一个参选人；（抽奖时是随机抽取的，非顺序滚动，可以不打乱名单）\n"
        "    2、为了避免抽到空名单，保存名单前建议去掉所有空白行（菜单中有此功能）；\n"
        "    3、为了避免录入重复名单，保存名单前建议删除重复行（菜单中有此功能）；\n"
        "    4、为了抽奖滚动时整齐好看，保存名单前建议进行名单等长处理（菜单中有此功能）；\n"
        "    5、重要：名单改变并保存后所有参选名单和所有奖项将全部回到奖池（正式开始抽奖后请慎重改变名单）。"));
}

void TTextedit::createMenus()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    // Each key shows once, in the menu's key column. A key of the window is
    // the item's shortcut; a key the edit area handles itself (undo, cut,
    // copy, paste, delete, select all) is only named after a tab in the
    // caption, so the edit area keeps it.
    auto add = [this](QMenu *menu, const char *name, const QString &caption, auto slot, const QKeySequence &key = {}) {
        QAction *a = menu->addAction(caption, this, slot);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        return a;
    };
    QMenu *f2 = MainMenu1->addMenu(QStringLiteral("名单生成(&F)"));
    f2->setObjectName(QStringLiteral("F2"));
    // Ctrl+C copies in the edit area, so clearing everything has no key.
    add(f2, "M_clearall", QStringLiteral("清除全部内容(&C)"), &TTextedit::M_clearallClick);
    add(f2, "Mmadeno", QStringLiteral("生成有序号码..."), &TTextedit::MmadenoClick);
    add(f2, "M_inputtxt", QStringLiteral("导入TXT(&T)..."), &TTextedit::M_inputtxtClick,
        QKeySequence(Qt::CTRL | Qt::Key_T));
    add(f2, "M_inputexcel", QStringLiteral("导入Excel(&E)..."), &TTextedit::M_inputexcelClick,
        QKeySequence(Qt::CTRL | Qt::Key_E));
    f2->addSeparator();
    add(f2, "M_clearh", QStringLiteral("删除所有空白行"), &TTextedit::M_clearhClick);
    add(f2, "N8", QStringLiteral("删除重复行"), &TTextedit::N8Click);
    add(f2, "M_cleartrim", QStringLiteral("清除每行所有空格"), &TTextedit::M_cleartrimClick);
    add(f2, "M_nameto2", QStringLiteral("姓名2转3(补空格)"), &TTextedit::M_nameto2Click);
    add(f2, "M_addspace", QStringLiteral("名单转等长(补空格)..."), &TTextedit::M_addspaceClick);
    add(f2, "N9", QStringLiteral("打乱名单"), &TTextedit::N9Click);
    f2->addSeparator();
    add(f2, "M_ime", QStringLiteral("输入法选择"), &TTextedit::M_imeClick);
    f2->addSeparator();
    add(f2, "M_Save", QStringLiteral("保存(&S)"), &TTextedit::M_SaveClick, QKeySequence(Qt::CTRL | Qt::Key_S));
    add(f2, "M_PrintPage", QStringLiteral("打印设置(&U)..."), &TTextedit::M_PrintPageClick);
    add(f2, "M_Print", QStringLiteral("打印(&P)"), &TTextedit::M_PrintClick, QKeySequence(Qt::CTRL | Qt::Key_P));
    f2->addSeparator();
    add(f2, "M_Exit", QStringLiteral("退出(&X)"), &QDialog::close);

    QMenu *e1 = MainMenu1->addMenu(QStringLiteral("编辑(&E)"));
    e1->setObjectName(QStringLiteral("E1"));
    add(e1, "M_Z", QStringLiteral("撤消(&U)\tCtrl+Z"), [this] { Memo1->undo(); });
    e1->addSeparator();
    add(e1, "M_Cut", QStringLiteral("剪切(&T)\tCtrl+X"), [this] { Memo1->cut(); });
    add(e1, "M_Copy", QStringLiteral("复制(&C)\tCtrl+C"), [this] { Memo1->copy(); });
    // Ctrl+P prints; the edit area pastes with Ctrl+V.
    add(e1, "M_P", QStringLiteral("粘贴(&P)\tCtrl+V"), [this] { Memo1->paste(); });
    add(e1, "M_Del", QStringLiteral("删除(&L)\tDel"), [this] { Memo1->textCursor().removeSelectedText(); });
    e1->addSeparator();
    add(e1, "M_Find", QStringLiteral("查找(&F)"), &TTextedit::M_FindClick, QKeySequence(Qt::CTRL | Qt::Key_F));
    add(e1, "M_FindNext", QStringLiteral("查找下一个(&N)"), &TTextedit::M_FindNextClick, QKeySequence(Qt::Key_F3));
    add(e1, "M_Replace", QStringLiteral("替换(&R)"), &TTextedit::M_ReplaceClick, QKeySequence(Qt::CTRL | Qt::Key_H));
    e1->addSeparator();
    add(e1, "M_CtrlA", QStringLiteral("全选(&A)\tCtrl+A"), [this] { Memo1->selectAll(); });
}

QAction *TTextedit::action(const char *name) const
{
    return findChild<QAction *>(QString::fromLatin1(name));
}

void TTextedit::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (Memo1)
        counterCaption();
}

std::vector<std::string> TTextedit::collectLines(std::vector<size_t> *unencodable) const
{
    std::vector<std::string> out;
    QTextDocument *doc = Memo1->document();
    out.reserve(static_cast<size_t>(doc->blockCount()));
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const QString text = b.text();
        if (auto *raw = dynamic_cast<RawLine *>(b.userData()); raw && raw->shown == text) {
            out.push_back(raw->bytes);
            continue;
        }
        std::string gbk;
        if (!toGbkExactly(text, gbk) && unencodable)
            unencodable->push_back(out.size());
        out.push_back(std::move(gbk));
    }
    // The empty line after a final line end is no entry.
    if (!out.empty() && out.back().empty())
        out.pop_back();
    return out;
}

std::vector<std::string> TTextedit::lines() const
{
    return collectLines(nullptr);
}

std::vector<size_t> TTextedit::unencodableLines() const
{
    std::vector<size_t> unencodable;
    collectLines(&unencodable);
    return unencodable;
}

void TTextedit::setLines(const std::vector<std::string> &lines, bool markChanged,
                         const std::vector<OriginalLine> &original)
{
    std::vector<const std::string *> shownAsRead(lines.size(), nullptr);
    for (const OriginalLine &o : original)
        if (o.line < lines.size())
            shownAsRead[o.line] = &o.text;
    std::vector<QString> shown(lines.size());
    QString text;
    for (size_t i = 0; i < lines.size(); ++i) {
        shown[i] = shownAsRead[i] ? QString::fromStdString(*shownAsRead[i]) : toQt(lines[i]);
        if (i)
            text += QLatin1Char('\n');
        text += shown[i];
    }
    // A blank last entry is shown with a line end after it: read back, the
    // empty line after a final line end is no entry, and it would be lost.
    if (!shown.empty() && shown.back().isEmpty())
        text += QLatin1Char('\n');
    // One edit that undo can take back, rather than a new document.
    const bool wasChanged = changed();
    QTextCursor c(Memo1->document());
    c.select(QTextCursor::Document);
    c.insertText(text);
    // Lines whose bytes are not valid GBK keep them beside their text.
    QTextBlock b = Memo1->document()->begin();
    for (size_t i = 0; i < lines.size() && b.isValid(); ++i, b = b.next()) {
        if (!shownAsRead[i] && !isValidGbk(lines[i]))
            b.setUserData(new RawLine(shown[i], lines[i]));
        else if (b.userData())
            b.setUserData(nullptr);
    }
    Memo1->moveCursor(QTextCursor::Start);
    Memo1->document()->setModified(markChanged || wasChanged);
}

bool TTextedit::refuseUnencodable(const std::vector<size_t> &unencodable)
{
    if (unencodable.empty())
        return false;
    QString text = toQt(unencodableLinesMessage(unencodable));
    QTextDocument *doc = Memo1->document();
    for (size_t i = 0; i < unencodable.size() && i < 10; ++i)
        text += QStringLiteral("\n第%1行：").arg(unencodable[i] + 1) +
                doc->findBlockByNumber(static_cast<int>(unencodable[i])).text();
    m_services.messages.notify(this, QStringLiteral("提示"), text, MessageService::Icon::Warning);
    return true;
}

bool TTextedit::changed() const
{
    return Memo1 && Memo1->document()->isModified();
}

void TTextedit::lineCountCaption(const QString &suffix)
{
    setWindowTitle(kCaption + QStringLiteral("      共") + QString::number(Memo1->lineCount()) + QStringLiteral("行") +
                   suffix);
}

void TTextedit::counterCaption()
{
    lineCountCaption(QString());
}

template <typename Tool>
auto TTextedit::runTool(const QString &progressCaption, Tool tool)
{
    QElapsedTimer clock;
    clock.start();
    MainMenu1->setEnabled(false);
    auto result = tool([&](size_t index) {
        // A repaint now and then keeps the window alive without costing a
        // repaint per line; input waits until the tool is done.
        if (clock.elapsed() >= 40) {
            clock.restart();
            setWindowTitle(progressCaption + QString::number(index));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    });
    MainMenu1->setEnabled(true);
    return result;
}

void TTextedit::M_clearallClick()
{
    Memo1->clear();
    Memo1->document()->setModified(true);
    counterCaption();
}

void TTextedit::M_inputtxtClick()
{
    QString path = m_services.pickers.pickOpenFile(this, QStringLiteral("导入TXT"),
                                                   QStringLiteral("文本文件(*.txt);;所有文件(*.*)"));
    if (!path.isEmpty()) {
        // Read on a thread of its own, so a large file on a slow stick does not freeze the editor.
        ImportRunner runner;
        MainMenu1->setEnabled(false);
        Memo1->setReadOnly(true);
        auto imported = runner.run(path.toStdString(), {}, {});
        Memo1->setReadOnly(false);
        MainMenu1->setEnabled(true);
        if (!imported) {
            m_services.messages.notify(this, QStringLiteral("提示"), toQt(imported.error().message),
                                       MessageService::Icon::Critical);
        } else {
            setLines(imported->lines, true, imported->original);
            if (!imported->note.empty())
                m_services.messages.notify(this, QStringLiteral("提示"), toQt(imported->note),
                                           MessageService::Icon::Warning);
        }
    }
    counterCaption();
}

void TTextedit::M_inputexcelClick()
{
    TTextedit_ex dialog(m_services.messages, m_services.pickers, this);
    if (dialog.exec() == QDialog::Accepted)
        setLines(dialog.imported(), true, dialog.original());
    counterCaption();
}

void TTextedit::M_clearhClick()
{
    if (refuseUnencodable())
        return;
    ToolResult r = runTool(QStringLiteral("编辑抽奖名单  正在扫描并清除所有空白行： "),
                           [&](const LineProgress &p) { return removeBlankLines(lines(), p); });
    if (r.removed > 0)
        setLines(r.lines, true);
    lineCountCaption(QStringLiteral("(已删除 %1 空白行)").arg(r.removed));
}

void TTextedit::N8Click()
{
    if (Memo1->lineCount() <= 1 || refuseUnencodable())
        return;
    ToolResult r = runTool(QStringLiteral("编辑抽奖名单  正在扫描并清除所有重复行： "),
                           [&](const LineProgress &p) { return removeDuplicateLines(lines(), p); });
    if (r.removed > 0)
        setLines(r.lines, true);
    lineCountCaption(QStringLiteral("(已删除 %1 重复行)").arg(r.removed));
    if (!trimBlanks(r.removedText).empty())
        m_services.messages.notify(this, QStringLiteral("提示"), QStringLiteral("已删除下面重复名单:") + toQt(r.removedText));
}

void TTextedit::M_cleartrimClick()
{
    if (refuseUnencodable())
        return;
    ToolResult r = runTool(QStringLiteral("编辑抽奖名单  正在扫描并清除每行的所有空格： "),
                           [&](const LineProgress &p) { return removeAllSpaces(lines(), p); });
    setLines(r.lines, r.changed);
    counterCaption();
}

void TTextedit::M_nameto2Click()
{
    if (refuseUnencodable())
        return;
    ToolResult r = runTool(QStringLiteral("编辑抽奖名单  正在扫描并在两个汉字的姓名中间补上空格： "),
                           [&](const LineProgress &p) { return widenTwoCharNames(lines(), p); });
    setLines(r.lines, r.changed);
    counterCaption();
}

void TTextedit::M_addspaceClick()
{
    if (refuseUnencodable())
        return;
    std::vector<std::string> current = lines();
    if (current.empty()) {
        m_services.messages.notify(this, QStringLiteral("提示"), QStringLiteral("名单为空，没有可以补空格的行。"));
        return;
    }
    Ttextedit_dcf dialog(std::move(current), this);
    if (dialog.exec() == QDialog::Accepted)
        setLines(dialog.result(), dialog.padded());
    counterCaption();
}

void TTextedit::MmadenoClick()
{
    if (refuseUnencodable())
        return;
    Ttextedit_bh1 dialog(m_services.messages, this);
    if (dialog.exec() == QDialog::Accepted && !dialog.generated().empty()) {
        std::vector<std::string> all = lines();
        all.insert(all.end(), dialog.generated().begin(), dialog.generated().end());
        setLines(all, true);
    }
    counterCaption();
}

void TTextedit::N9Click()
{
    if (m_session.flags().GroupingEnabled &&
        !m_services.messages.ask(
            this, QStringLiteral("提示"),
            QStringLiteral("您已启用了奖项分组功能，打乱名单后奖项分组需要重新设置，是否要打乱名单？")))
        return;
    if (refuseUnencodable())
        return;
    MtRandom random;
    // A shuffled list is a changed list: the next save must write it.
    setLines(shuffleLines(lines(), random), true);
}

void TTextedit::M_imeClick()
{
    TForm_ime dialog(Memo1, this);
    dialog.exec();
}

bool TTextedit::M_SaveClick()
{
    std::vector<size_t> unencodable;
    std::vector<std::string> current = collectLines(&unencodable);
    if (std::all_of(current.begin(), current.end(), [](const std::string &l) { return trimBlanks(l).empty(); })) {
        m_services.messages.notify(this, QStringLiteral("提示"), QStringLiteral("抽奖名单为空，不能保存！"));
        return false;
    }
    // An unchanged list is not saved again.
    if (!changed())
        return false;
    // Everything that would refuse the list is found before anything is written.
    if (refuseUnencodable(unencodable))
        return false;
    if (std::vector<size_t> unfit = unfitListLines(current); !unfit.empty()) {
        m_services.messages.notify(this, QStringLiteral("提示"), toQt(unfitLinesMessage(current, unfit)),
                                   MessageService::Icon::Warning);
        return false;
    }
    // The winners a running roll is about to give are recorded first, so the
    // question counts them and the backup holds them.
    m_host.stopRollingForSettings();
    if (const int recorded = m_host.recordedWinners();
        recorded > 0 && !m_services.messages.ask(this, QStringLiteral("重要提示"),
                                                 QStringLiteral("保存名单后所有名单和奖项都将回到奖池。") +
                                                     toQt(backupNotice(m_programDir, recorded)) +
                                                     QStringLiteral("是否继续？")))
        return false;
    if (!m_host.keepBackup())
        return false;
    QAction *save = action("M_Save");
    save->setEnabled(false);
    Status written = saveParticipantList(m_programDir, current);
    if (!written) {
        save->setEnabled(true);
        m_services.messages.notify(this, QStringLiteral("提示"), toQt(written.error().message),
                                   MessageService::Icon::Critical);
        return false;
    }
    Memo1->document()->setModified(false);
    counterCaption();

    // The indices of the old list mean nothing now: every award and entry
    // returns to the pool, and the slots are laid out anew on request.
    const size_t longestBefore = m_session.lists().LongestEntry.size();
    m_host.resetDrawAfterSettings();
    if (m_session.lists().LongestEntry.size() != longestBefore &&
        m_services.messages.ask(
            this, QStringLiteral("提示"),
            QStringLiteral("抽奖名单最大长度(字数)有改变!是否要让软件重新对抽奖滚动区进行排版?")))
        m_host.arrangeAllSlots();
    save->setEnabled(true);
    m_services.messages.notify(
        this, QStringLiteral("提示"),
        QStringLiteral("保存完成！重新加载完成！下一步请到奖项设置窗口中设置奖项(所有奖项和名单都已回到奖池)。"));
    setReminderPending(false);
    return true;
}

void TTextedit::M_PrintPageClick()
{
    QPageSetupDialog dialog(&m_printer, this);
    dialog.exec();
}

void TTextedit::M_PrintClick()
{
    // Qt's own print dialog offers printing to a PDF file, so a machine
    // without a printer can still print.
    QPrintDialog dialog(&m_printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!m_printer.isValid()) {
        m_services.messages.notify(this, QCoreApplication::applicationName(),
                                   QStringLiteral("无法找到默认的打印机\n请确认打印机已安装正确。"));
        return;
    }
    printLines(m_printer);
}

void TTextedit::printLines(QPrinter &printer)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        m_services.messages.notify(this, QCoreApplication::applicationName(),
                                   QStringLiteral("无法找到默认的打印机\n请确认打印机已安装正确。"));
        return;
    }
    const QFontMetrics metrics = painter.fontMetrics();
    const int lineHeight = metrics.height();
    const int pageHeight = painter.viewport().height();
    int y = 0;
    for (QTextBlock b = Memo1->document()->begin(); b.isValid(); b = b.next()) {
        if (y + lineHeight > pageHeight) {
            printer.newPage();
            y = 0;
        }
        painter.drawText(0, y + metrics.ascent(), b.text());
        y += lineHeight;
    }
    painter.end();
}

void TTextedit::placeSearchDialog(QDialog *dialog)
{
    dialog->move(mapToGlobal(QPoint(width() / 4, height() / 4)));
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void TTextedit::M_FindClick()
{
    if (!FindDialog1) {
        FindDialog1 = new FindReplaceDialog(false, this);
        connect(FindDialog1, &FindReplaceDialog::findNextRequested, this,
                [this] { searchNext(FindDialog1->findText(), FindDialog1->options()); });
    }
    FindDialog1->setFindText(Memo1->textCursor().selectedText());
    placeSearchDialog(FindDialog1);
}

void TTextedit::M_FindNextClick()
{
    if (!FindDialog1 || FindDialog1->findText().isEmpty())
        M_FindClick();
    else
        searchNext(FindDialog1->findText(), FindDialog1->options());
}

void TTextedit::M_ReplaceClick()
{
    if (!ReplaceDialog1) {
        ReplaceDialog1 = new FindReplaceDialog(true, this);
        connect(ReplaceDialog1, &FindReplaceDialog::findNextRequested, this,
                [this] { searchNext(ReplaceDialog1->findText(), ReplaceDialog1->options()); });
        connect(ReplaceDialog1, &FindReplaceDialog::replaceRequested, this, [this] {
            replaceOne(ReplaceDialog1->findText(), ReplaceDialog1->replaceText(), ReplaceDialog1->options());
        });
        connect(ReplaceDialog1, &FindReplaceDialog::replaceAllRequested, this, [this] {
            int n = replaceAll(ReplaceDialog1->findText(), ReplaceDialog1->replaceText(), ReplaceDialog1->options());
            m_services.messages.notify(this, QStringLiteral("提示"),
                                       QStringLiteral("成功完成 %1 处文本的替换").arg(n));
        });
    }
    const QString selected = Memo1->textCursor().selectedText();
    if (!selected.isEmpty()) {
        ReplaceDialog1->setFindText(selected);
        if (FindDialog1)
            FindDialog1->setFindText(selected);
    } else if (FindDialog1 && !FindDialog1->findText().isEmpty()) {
        ReplaceDialog1->setFindText(FindDialog1->findText());
    }
    placeSearchDialog(ReplaceDialog1);
}

bool TTextedit::searchNext(const QString &what, const SearchOptions &options, bool reportMissing)
{
    const QString text = Memo1->toPlainText();
    QTextCursor c = Memo1->textCursor();
    auto at = findText(std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size())),
                       std::u16string_view(reinterpret_cast<const char16_t *>(what.utf16()), size_t(what.size())),
                       static_cast<size_t>(c.selectionStart()), static_cast<size_t>(c.selectionEnd()), options);
    if (!at) {
        if (reportMissing)
            m_services.messages.notify(this, QStringLiteral("提示"),
                                       QStringLiteral("找不到 \"") + what + QStringLiteral("\""));
        return false;
    }
    c.setPosition(static_cast<int>(*at));
    c.setPosition(static_cast<int>(*at) + static_cast<int>(what.size()), QTextCursor::KeepAnchor);
    Memo1->setTextCursor(c);
    return true;
}

void TTextedit::replaceOne(const QString &what, const QString &with, const SearchOptions &options)
{
    QTextCursor c = Memo1->textCursor();
    if (!what.isEmpty() && c.selectedText() == what) {
        c.insertText(with);
        Memo1->setTextCursor(c);
    }
    if (!searchNext(what, options, false))
        m_services.messages.notify(this, QStringLiteral("提示"), QStringLiteral("未发现匹配文本"),
                                   MessageService::Icon::Warning);
}

int TTextedit::replaceAll(const QString &what, const QString &with, const SearchOptions &options)
{
    if (what.isEmpty())
        return 0;
    // The matches are found on the text as it stands and replaced in one edit,
    // so a list of 100,000 lines does not replace match by match.
    QTextCursor c = Memo1->textCursor();
    const QString text = Memo1->toPlainText();
    const std::u16string_view all(reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size()));
    const std::u16string_view needle(reinterpret_cast<const char16_t *>(what.utf16()), size_t(what.size()));
    std::vector<size_t> matches;
    size_t start = static_cast<size_t>(c.selectionStart()), end = static_cast<size_t>(c.selectionEnd());
    if (c.selectedText() == what)
        matches.push_back(start);
    for (;;) {
        auto at = findText(all, needle, start, end, options);
        if (!at)
            break;
        matches.push_back(*at);
        start = *at;
        end = *at + needle.size();
    }
    if (matches.empty())
        return 0;
    std::sort(matches.begin(), matches.end());
    matches.erase(std::unique(matches.begin(), matches.end()), matches.end());
    QString result;
    size_t from = 0;
    for (size_t at : matches) {
        result += text.mid(static_cast<qsizetype>(from), static_cast<qsizetype>(at - from));
        result += with;
        from = at + needle.size();
    }
    result += text.mid(static_cast<qsizetype>(from));
    QTextCursor whole(Memo1->document());
    whole.select(QTextCursor::Document);
    whole.insertText(result);
    return static_cast<int>(matches.size());
}

bool TTextedit::confirmClose()
{
    if (Panel1) {
        if (!Panel1->canClose())
            return false;
    } else if (changed()) {
        switch (m_services.messages.askYesNoCancel(this, QStringLiteral("提示"),
                                                   QStringLiteral("抽奖名单已改变，是否要保存？"))) {
        case MessageService::Answer::Yes:
            if (!M_SaveClick() && changed())
                return false;
            break;
        case MessageService::Answer::No:
            break;
        case MessageService::Answer::Cancel:
            return false;
        }
    }
    if (reminderPending())
        m_services.messages.notify(this, QStringLiteral("提示"), QStringLiteral("下一步请到奖项设置窗口中设置奖项"));
    return true;
}

void TTextedit::closeEvent(QCloseEvent *event)
{
    if (!confirmClose()) {
        event->ignore();
        return;
    }
    // The dialog's own close handling rejects: the checks are done already.
    m_closeConfirmed = true;
    QDialog::closeEvent(event);
    m_closeConfirmed = false;
}

void TTextedit::reject()
{
    // Esc rejects a dialog without a close event: it must not skip the
    // question, so it asks the same as the close box.
    if (m_closeConfirmed || confirmClose())
        QDialog::reject();
}

}  // namespace tessaly
