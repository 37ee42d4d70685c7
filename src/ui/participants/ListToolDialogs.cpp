#include "ui/participants/ListToolDialogs.h"

#include "core/participants/ListTools.h"
#include "core/text/Lines.h"
#include "ui/common/DigitsOnly.h"
#include "ui/common/GbkText.h"
#include "ui/common/InputMethodBox.h"
#include "ui/common/MessageService.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tessaly {
namespace {

QLineEdit *field(QWidget *parent, const char *name, const QString &text = {})
{
    auto *e = new QLineEdit(text, parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

// Lets the window paint now and then during a long loop without costing a
// repaint per line.
class Breather {
public:
    Breather() { m_clock.start(); }
    bool due()
    {
        if (m_clock.elapsed() < 40)
            return false;
        m_clock.restart();
        return true;
    }

private:
    QElapsedTimer m_clock;
};

}  // namespace

Ttextedit_bh1::Ttextedit_bh1(MessageService &messages, QWidget *parent) : QDialog(parent), m_messages(messages)
{
    setObjectName(QStringLiteral("Ttextedit_bh1"));
    setWindowTitle(QStringLiteral("生成号码"));
    auto *form = new QFormLayout;
    Edit1 = field(this, "Edit1");
    Edit2 = field(this, "Edit2");
    Edit3 = field(this, "Edit3", QStringLiteral("1"));
    Edit4 = field(this, "Edit4", QStringLiteral("99"));
    setDigitsOnly(Edit3);
    setDigitsOnly(Edit4);
    form->addRow(QStringLiteral("前缀"), Edit1);
    form->addRow(QStringLiteral("后缀"), Edit2);
    form->addRow(QStringLiteral("开始"), Edit3);
    form->addRow(QStringLiteral("结束"), Edit4);
    CheckBox1 = new QCheckBox(QStringLiteral("自动补位"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    CheckBox2 = new QCheckBox(QStringLiteral("生成时排除含有4的数字"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    auto *tails = new QGroupBox(QStringLiteral("生成时排除下面的尾数(勾上生效)"), this);
    auto *tailRow = new QHBoxLayout(tails);
    for (int d = 0; d < 10; ++d) {
        CheckBox_digits[d] = new QCheckBox(QString::number(d), tails);
        CheckBox_digits[d]->setObjectName(QStringLiteral("CheckBox_%1").arg(d));
        tailRow->addWidget(CheckBox_digits[d]);
    }
    Label5 = new QLabel(QStringLiteral("正在生成号码，请稍等..."), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->hide();
    Label6 = new QLabel(this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Button1 = new QPushButton(QStringLiteral("生成(&D)"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    connect(Button1, &QPushButton::clicked, this, &Ttextedit_bh1::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Label5);
    buttons->addWidget(Label6, 1);
    buttons->addWidget(Button1);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(CheckBox1);
    layout->addWidget(CheckBox2);
    layout->addWidget(tails);
    layout->addLayout(buttons);
}

void Ttextedit_bh1::Button1Click()
{
    NumberRun run;
    run.prefix = fromQt(Edit1->text());
    run.suffix = fromQt(Edit2->text());
    run.startText = fromQt(Edit3->text());
    run.endText = fromQt(Edit4->text());
    run.padZeros = CheckBox1->isChecked();
    run.skipFours = CheckBox2->isChecked();
    for (int d = 0; d < 10; ++d)
        run.skipLastDigit[static_cast<size_t>(d)] = CheckBox_digits[d]->isChecked();

    Label5->show();
    Button1->setEnabled(false);
    Breather breather;
    auto generated = generateNumbers(run, [&](long long n) {
        if (breather.due()) {
            Label6->setText(QString::number(n));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    });
    Label5->hide();
    Button1->setEnabled(true);
    if (!generated) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(generated.error().message));
        (trimBlanks(run.startText).empty() ? Edit3 : Edit4)->setFocus();
        return;
    }
    m_lines = std::move(*generated);
    accept();
}

Ttextedit_dcf::Ttextedit_dcf(std::vector<std::string> lines, QWidget *parent) : QDialog(parent), m_lines(std::move(lines))
{
    setObjectName(QStringLiteral("Ttextedit_dcf"));
    setWindowTitle(QStringLiteral("名单转长度相等(补空格)"));
    static const char *const kWays[] = {
        "名单前面补空格", "名单中间补空格(原来要有空格才起作用)", "名单后面补空格", "在某字符前补空格",
        "名单前面和后面同时补空格(居中)", "从第几位起不等长的名单补上几个空格：",
    };
    auto *grid = new QGridLayout;
    for (int i = 0; i < 6; ++i) {
        RadioButton[i] = new QRadioButton(QString::fromUtf8(kWays[i]), this);
        RadioButton[i]->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        grid->addWidget(RadioButton[i], i, 0);
    }
    RadioButton[2]->setChecked(true);
    Edit1 = field(this, "Edit1");
    grid->addWidget(Edit1, 3, 1);
    Edit2 = field(this, "Edit2");
    Edit3 = field(this, "Edit3");
    setDigitsOnly(Edit2);
    setDigitsOnly(Edit3);
    auto *position = new QHBoxLayout;
    position->addWidget(new QLabel(QStringLiteral("第几位："), this));
    position->addWidget(Edit2);
    position->addWidget(new QLabel(QStringLiteral("补几个："), this));
    position->addWidget(Edit3);
    grid->addLayout(position, 6, 0, 1, 2);

    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    connect(ok, &QPushButton::clicked, this, &Ttextedit_dcf::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

void Ttextedit_dcf::Button1Click()
{
    PadOptions options;
    for (int i = 0; i < 6; ++i)
        if (RadioButton[i]->isChecked())
            options.way = static_cast<PadWay>(i + 1);
    options.text = fromQt(Edit1->text());
    options.position = Edit2->text().toInt();
    options.count = Edit3->text().toInt();
    Breather breather;
    PadResult r = padLines(std::move(m_lines), options, [&](size_t i) {
        if (breather.due()) {
            setWindowTitle(QStringLiteral("正在扫描补空格： %1").arg(i));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    });
    m_lines = std::move(r.lines);
    m_padded = r.padded;
    accept();
}

TForm_ime::TForm_ime(QWidget *target, QWidget *parent) : QDialog(parent), m_target(target)
{
    setObjectName(QStringLiteral("TForm_ime"));
    setWindowTitle(QStringLiteral("选择输入法"));
    ComboBox1 = new InputMethodBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->showCurrent(target);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    Label2->setText(!ComboBox1->foundFrameworks()
                        ? QStringLiteral("没有找到可以列出的输入法框架(fcitx、ibus)。可以用桌面的输入法切换键输入中文，"
                                         "也可以在这里关闭名单窗口的输入法。")
                        : QStringLiteral("输入法的切换由桌面的输入法框架完成；在这里选择名单窗口是否使用输入法。"));

    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    connect(ok, &QPushButton::clicked, this, &TForm_ime::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("选择输入法"), this));
    row->addWidget(ComboBox1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(Label2);
    layout->addLayout(buttons);
    resize(420, sizeHint().height());
}

void TForm_ime::Button1Click()
{
    ComboBox1->applyTo({m_target});
    accept();
}

}  // namespace tessaly
