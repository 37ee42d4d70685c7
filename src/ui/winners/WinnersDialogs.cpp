#include "ui/winners/WinnersDialogs.h"

#include "ui_TForm_float2changpspho.h"
#include "ui_TForm_float2showgs.h"

#include "core/files/Paths.h"
#include "core/settings/Settings.h"
#include "core/stage/TextMeasurer.h"
#include "core/winners/WinnersView.h"
#include "ui/common/DigitsOnly.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"

#include <QPixmap>

namespace tessaly {

TForm_float2showgs::TForm_float2showgs(int current, MessageService &messages, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_float2showgs), m_messages(messages)
{
    m_ui->setupUi(this);
    setDigitsOnly(m_ui->Edit1);
    m_ui->Edit1->setText(QString::number(current));
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_float2showgs::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TForm_float2showgs::~TForm_float2showgs()
{
    delete m_ui;
}

void TForm_float2showgs::Button1Click()
{
    const std::optional<int> n = readPerRowCount(m_ui->Edit1, m_messages, this);
    if (!n)
        return;
    m_perRow = *n;
    accept();
}

TForm_float2changpspho::TForm_float2changpspho(std::filesystem::path programDir, int award,
                                               std::optional<QSize> firstPicture, MessageService &messages,
                                               QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_float2changpspho), m_programDir(std::move(programDir)), m_award(award),
      m_messages(messages)
{
    m_ui->setupUi(this);
    for (QLineEdit *e : {m_ui->Edit1, m_ui->Edit2, m_ui->Edit3, m_ui->Edit4, m_ui->Edit5, m_ui->Edit6, m_ui->Edit7,
                         m_ui->Edit8})
        setDigitsOnly(e);
    WinnersPhotoStyle style;
    if (auto s = openSettings(m_programDir))
        style = readWinnersPhotoStyle(*s, award);
    m_ui->Edit1->setText(QString::number(style.columns));
    m_ui->Edit3->setText(QString::number(style.captionTop));
    m_ui->Edit2->setText(QString::number(style.columnGap));
    m_ui->Edit8->setText(QString::number(style.rowGap));
    m_ui->Edit6->setText(QString::number(style.width));
    m_ui->Edit7->setText(QString::number(style.height));
    const QSize size = firstPicture.value_or(QSize(style.width, style.height));
    if (storedFileExists(m_programDir, "Awardimg\\photest.jpg"))
        m_ui->Image1->setPixmap(
            QPixmap(QString::fromStdString(resolveStoredPath(m_programDir, "Awardimg\\photest.jpg").string())));
    connect(m_ui->Edit4, &QLineEdit::textChanged, this, &TForm_float2changpspho::Edit4Change);
    connect(m_ui->Edit5, &QLineEdit::textChanged, this, &TForm_float2changpspho::Edit5Change);
    connect(m_ui->CheckBox1, &QCheckBox::clicked, this, &TForm_float2changpspho::CheckBox1Click);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_float2changpspho::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    m_ui->Edit4->setText(QString::number(size.width()));
    m_ui->Edit5->setText(QString::number(size.height()));
}

TForm_float2changpspho::~TForm_float2changpspho()
{
    delete m_ui;
}

bool TForm_float2changpspho::ratio(double &width, double &height) const
{
    width = m_ui->Edit6->text().toDouble();
    height = m_ui->Edit7->text().toDouble();
    return m_ui->CheckBox1->isChecked() && width > 0 && height > 0;
}

void TForm_float2changpspho::Edit4Change()
{
    const QString text = m_ui->Edit4->text().trimmed();
    if (text.isEmpty())
        return;
    m_ui->Image1->setFixedWidth(text.toInt());
    if (m_ui->Image1->width() + 240 > 620)
        setWindowState(windowState() | Qt::WindowMaximized);
    double w = 0, h = 0;
    if (m_syncing || !ratio(w, h))
        return;
    m_syncing = true;
    m_ui->Edit5->setText(QString::number(roundHalfEven(text.toInt() * h / w)));
    m_syncing = false;
}

void TForm_float2changpspho::Edit5Change()
{
    const QString text = m_ui->Edit5->text().trimmed();
    if (text.isEmpty())
        return;
    m_ui->Image1->setFixedHeight(text.toInt());
    if (m_ui->Image1->height() + 30 > 470)
        setWindowState(windowState() | Qt::WindowMaximized);
    double w = 0, h = 0;
    if (m_syncing || !ratio(w, h))
        return;
    m_syncing = true;
    m_ui->Edit4->setText(QString::number(roundHalfEven(text.toInt() * w / h)));
    m_syncing = false;
}

void TForm_float2changpspho::CheckBox1Click()
{
    if (!m_ui->Edit4->text().trimmed().isEmpty())
        Edit4Change();
    else if (!m_ui->Edit5->text().trimmed().isEmpty())
        Edit5Change();
}

void TForm_float2changpspho::Button1Click()
{
    struct Check {
        QLineEdit *edit;
        const char *blank;
        const char *zero;  // nothing: 0 is a valid value
    };
    const Check checks[] = {
        {m_ui->Edit1, "列数不能为空。", "列数必须大于0。"},
        {m_ui->Edit2, "列间距不能为空。", nullptr},
        {m_ui->Edit3, "上边距不能为空。", nullptr},
        {m_ui->Edit8, "行间距不能为空。", nullptr},
        {m_ui->Edit4, "图片宽不能为空。", "图片宽必须大于0。"},
        {m_ui->Edit5, "图片高不能为空。", "图片高必须大于0。"},
    };
    for (const Check &c : checks) {
        const QString text = c.edit->text().trimmed();
        const char *refusal = text.isEmpty() ? c.blank : (c.zero && text.toInt() < 1 ? c.zero : nullptr);
        if (refusal) {
            m_messages.notify(this, QStringLiteral("提示"), QString::fromUtf8(refusal));
            c.edit->setFocus();
            return;
        }
    }
    WinnersPhotoStyle style;
    style.columns = m_ui->Edit1->text().trimmed().toInt();
    style.captionTop = m_ui->Edit3->text().trimmed().toInt();
    style.columnGap = m_ui->Edit2->text().trimmed().toInt();
    style.rowGap = m_ui->Edit8->text().trimmed().toInt();
    style.width = m_ui->Edit4->text().trimmed().toInt();
    style.height = m_ui->Edit5->text().trimmed().toInt();
    auto s = openSettings(m_programDir);
    tessaly::Status saved = s ? tessaly::Status(Ok{}) : tessaly::Status(s.error());
    if (s) {
        writeWinnersPhotoStyle(*s, m_award, style);
        saved = s->commit();
    }
    if (!saved) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(saved.error().message));
        return;
    }
    accept();
}

}  // namespace tessaly
