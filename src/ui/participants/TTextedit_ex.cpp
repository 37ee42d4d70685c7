#include "ui/participants/TTextedit_ex.h"

#include "core/participants/ListImport.h"
#include "ui/common/DigitsOnly.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/participants/ImportRunner.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tessaly {

TTextedit_ex::TTextedit_ex(MessageService &messages, PickerService &pickers, QWidget *parent)
    : QDialog(parent), m_messages(messages), m_pickers(pickers)
{
    setObjectName(QStringLiteral("TTextedit_ex"));
    setWindowTitle(QStringLiteral("导入Excel"));

    auto *version = new QGroupBox(QStringLiteral("请选择EXCEL文件的版本"), this);
    RadioButton1 = new QRadioButton(QStringLiteral("EXCEL97-2003"), version);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("EXCEL2007及更高"), version);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    auto *versionRow = new QHBoxLayout(version);
    versionRow->addWidget(RadioButton1);
    versionRow->addWidget(RadioButton2);
    versionRow->addStretch();
    connect(RadioButton1, &QRadioButton::toggled, this, &TTextedit_ex::showFormatNote);

    Button1 = new QPushButton(QStringLiteral("选择Excel文件"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Label8 = new QLabel(this);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label11 = new QLabel(this);
    Label11->setObjectName(QStringLiteral("Label11"));
    Label11->setWordWrap(true);
    Label11->setStyleSheet(QStringLiteral("color: maroon"));

    auto edit = [this](const char *name, const QString &text, bool digits) {
        auto *e = new QLineEdit(text, this);
        e->setObjectName(QString::fromLatin1(name));
        e->setMaximumWidth(80);
        if (digits)
            setDigitsOnly(e);
        return e;
    };
    Edit1 = edit("Edit1", QStringLiteral("2"), true);
    Edit2 = edit("Edit2", QStringLiteral("1"), true);
    Edit3 = edit("Edit3", {}, true);
    Edit4 = edit("Edit4", {}, true);
    Edit5 = edit("Edit5", QStringLiteral("  "), false);
    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("开始行"), this), 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("开始列"), this), 0, 2);
    grid->addWidget(Edit2, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("结束行"), this), 1, 0);
    grid->addWidget(Edit3, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("结束列"), this), 1, 2);
    grid->addWidget(Edit4, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("间隔符"), this), 2, 0);
    grid->addWidget(Edit5, 2, 1);
    auto *label7 = new QLabel(QStringLiteral("(不填默认为一空格)"), this);
    label7->setObjectName(QStringLiteral("Label7"));
    grid->addWidget(label7, 2, 2, 1, 2);
    grid->setColumnStretch(4, 1);
    auto *label9 = new QLabel(QStringLiteral("示例：开始行2开始列2  结束行11结束列3"), this);
    label9->setObjectName(QStringLiteral("Label9"));
    auto *label10 = new QLabel(QStringLiteral("(开始行列为左上角坐标，结束行列为右下角坐标)"), this);
    label10->setObjectName(QStringLiteral("Label10"));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setText(QStringLiteral(
        "注：1、EXCEL格式要求：导入第一张工作表（工作表名称任意）；第1行要为表头字段（第1行表头字段数据不会导入，表头字段名称任意，"
        "行是横的，列是竖的）；2、导入可能会花几分钟请耐心等待；3、对个别EXCEL文件无法正常导入的情况，"
        "可用复制粘贴方法直接把名单粘贴到抽奖名单窗口。"));
    // The second note says only what the first does not: both agree on the sheet read.
    auto *readsAny = new QLabel(
        QStringLiteral("也可导入CSV文本表格；版本选错时按文件的实际格式读取。"), this);
    readsAny->setWordWrap(true);

    Button2 = new QPushButton(QStringLiteral("开始导入"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = new QPushButton(QStringLiteral("取消导入"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->hide();
    m_runner = new ImportRunner(this);
    connect(Button1, &QPushButton::clicked, this, &TTextedit_ex::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TTextedit_ex::Button2Click);
    connect(Button3, &QPushButton::clicked, m_runner, &ImportRunner::cancel);

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(Button1);
    fileRow->addWidget(Label8, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button3);
    buttons->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(version);
    layout->addLayout(fileRow);
    layout->addWidget(Label11);
    layout->addLayout(grid);
    layout->addWidget(label9);
    layout->addWidget(label10);
    layout->addWidget(Label1);
    layout->addWidget(readsAny);
    layout->addLayout(buttons);
    resize(560, sizeHint().height());
}

void TTextedit_ex::Button1Click()
{
    QString path = m_pickers.pickOpenFile(this, QStringLiteral("选择Excel文件"), QString());
    if (!path.isEmpty())
        setFile(path);
}

void TTextedit_ex::setFile(const QString &path)
{
    m_path = path;
    Label8->setText(path);
    showFormatNote();
}

// Operators rarely know which version a file is: the content decides, and the
// dialog says so when the choice differs.
void TTextedit_ex::showFormatNote()
{
    Label11->clear();
    if (m_path.isEmpty())
        return;
    auto format = sniffSheetFormat(m_path.toStdString());
    if (!format)
        return;
    if (*format == SheetFormat::Csv)
        Label11->setText(QStringLiteral("所选文件不是EXCEL文件，将按CSV文本表格读取。"));
    else if (*format == SheetFormat::Xlsx && RadioButton1->isChecked())
        Label11->setText(QStringLiteral("所选文件是EXCEL2007及更高版本的格式，将按EXCEL2007及更高读取。"));
    else if (*format == SheetFormat::Xls && RadioButton2->isChecked())
        Label11->setText(QStringLiteral("所选文件是EXCEL97-2003版本的格式，将按EXCEL97-2003读取。"));
}

void TTextedit_ex::Button2Click()
{
    CellBlock block;
    BlockCheck check = checkCellBlock(fromQt(Edit1->text()), fromQt(Edit2->text()), fromQt(Edit3->text()),
                                      fromQt(Edit4->text()), !m_path.trimmed().isEmpty(), &block);
    if (!check.message.empty()) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(check.message));
        QLineEdit *focus[] = {nullptr, Edit1, Edit2, Edit3, Edit4};
        if (QLineEdit *e = focus[static_cast<int>(check.focus)])
            e->setFocus();
        return;
    }
    block.separator = fromQt(Edit5->text());
    if (const std::string refusal = checkSeparator(block.separator); !refusal.empty()) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(refusal));
        Edit5->setFocus();
        return;
    }

    // The file is read on a thread of its own: the dialog keeps painting,
    // shows the row it reached and can be told to stop.
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    Button3->show();
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const QString note = Label1->text();
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setText(QStringLiteral("准备导入..."));
    auto result = m_runner->run(m_path.toStdString(), {ImportOptions::Kind::Spreadsheet, block},
                                [this](const QString &line) { Label1->setText(line); });
    QApplication::restoreOverrideCursor();
    Button3->hide();
    Button1->setEnabled(true);
    Button2->setEnabled(true);
    if (!result && result.code() == ErrorCode::Cancelled) {
        Label1->setAlignment(Qt::AlignLeft);
        Label1->setText(note);
        return;
    }
    if (!result) {
        Label1->setText(QString());
        // A file that opened but gave nothing in the block is the operator's
        // range to correct, not a damaged file.
        const bool nothingRead = result.code() == ErrorCode::BadInput;
        m_messages.notify(this, QStringLiteral("提示"),
                          (nothingRead ? QString()
                                       : QStringLiteral("无法打开EXCEL！请检查EXCEL文件版本选择是否正确或检查文件是否完好。\n")) +
                              toQt(result.error().message),
                          nothingRead ? MessageService::Icon::Warning : MessageService::Icon::Critical);
        return;
    }
    Label1->setText(QStringLiteral("导入完成"));
    if (!result->note.empty())
        m_messages.notify(this, QStringLiteral("提示"), toQt(result->note), MessageService::Icon::Warning);
    m_lines = std::move(result->lines);
    m_original = std::move(result->original);
    accept();
}

// Esc or the close box during an import stops the import; the dialog stays.
void TTextedit_ex::reject()
{
    if (m_runner->running()) {
        m_runner->cancel();
        return;
    }
    QDialog::reject();
}

}  // namespace tessaly
