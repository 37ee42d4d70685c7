#include "ui/photo/TForm_changpspho.h"

#include "ui_TForm_changpspho.h"

#include "core/stage/TextMeasurer.h"
#include "ui/common/DigitsOnly.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"

#include <algorithm>
#include <climits>

#include <QPixmap>

namespace tessaly {

TForm_changpspho::TForm_changpspho(Context context, MessageService &messages, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_changpspho), m_context(std::move(context)), m_messages(messages)
{
    m_ui->setupUi(this);
    setWindowTitle(m_context.caption);
    for (QLineEdit *e : {m_ui->Edit1, m_ui->Edit2, m_ui->Edit3, m_ui->Edit4, m_ui->Edit5, m_ui->Edit6, m_ui->Edit7,
                         m_ui->Edit8})
        setDigitsOnly(e);
    const Fields &f = m_context.fields;
    m_ui->Edit1->setText(f.columns);
    m_ui->Edit2->setText(f.columnGap);
    m_ui->Edit3->setText(f.top);
    m_ui->Edit8->setText(f.rowGap);
    m_ui->Edit6->setText(f.ratioWidth);
    m_ui->Edit7->setText(f.ratioHeight);
    if (!m_context.preview.isNull())
        m_ui->Image1->setPixmap(QPixmap::fromImage(m_context.preview));
    m_ui->Image1->setFixedSize(QSize(std::max(1, f.width), std::max(1, f.height)).boundedTo(previewLimit()));
    connect(m_ui->Edit4, &QLineEdit::textChanged, this, &TForm_changpspho::Edit4Change);
    connect(m_ui->Edit5, &QLineEdit::textChanged, this, &TForm_changpspho::Edit5Change);
    connect(m_ui->CheckBox1, &QCheckBox::clicked, this, &TForm_changpspho::CheckBox1Click);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_changpspho::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    m_ui->Edit4->setText(QString::number(f.width));
    m_ui->Edit5->setText(QString::number(f.height));
}

TForm_changpspho::~TForm_changpspho()
{
    delete m_ui;
}

QSize TForm_changpspho::previewLimit() const
{
    // The preview takes at most half the stage, so the dialog with its fields stays on the screen.
    return m_context.stage.isValid() ? (m_context.stage / 2).expandedTo(QSize(1, 1)).boundedTo(QSize(4000, 4000))
                                     : QSize(4000, 4000);
}

std::optional<int> TForm_changpspho::fromRatio(int side, bool fromWidth) const
{
    const double w = m_ui->Edit6->text().trimmed().toDouble(), h = m_ui->Edit7->text().trimmed().toDouble();
    if (w <= 0 || h <= 0)
        return std::nullopt;  // a zero in the ratio has no other side
    // A lopsided ratio gives a side no field can hold: the other side stays as typed.
    const double other = fromWidth ? side * h / w : side * w / h;
    if (!(other >= 1 && other <= INT_MAX))
        return std::nullopt;
    return roundHalfEven(other);
}

void TForm_changpspho::Edit4Change()
{
    const QString text = m_ui->Edit4->text().trimmed();
    if (text.isEmpty() || m_updating)
        return;
    const int width = std::min(text.toInt(), previewLimit().width());
    m_ui->Image1->setFixedWidth(std::max(1, width));
    if (width + 240 > 620)
        setWindowState(windowState() | Qt::WindowMaximized);
    if (m_ui->CheckBox1->isChecked()) {
        if (auto height = fromRatio(width, true)) {
            m_updating = true;
            m_ui->Edit5->setText(QString::number(*height));
            m_ui->Image1->setFixedHeight(std::max(1, std::min(*height, previewLimit().height())));
            m_updating = false;
        }
    }
}

void TForm_changpspho::Edit5Change()
{
    const QString text = m_ui->Edit5->text().trimmed();
    if (text.isEmpty() || m_updating)
        return;
    const int height = std::min(text.toInt(), previewLimit().height());
    m_ui->Image1->setFixedHeight(std::max(1, height));
    if (height + 30 > 470)
        setWindowState(windowState() | Qt::WindowMaximized);
    if (m_ui->CheckBox1->isChecked()) {
        if (auto width = fromRatio(height, false)) {
            m_updating = true;
            m_ui->Edit4->setText(QString::number(*width));
            m_ui->Image1->setFixedWidth(std::max(1, std::min(*width, previewLimit().width())));
            m_updating = false;
        }
    }
}

void TForm_changpspho::CheckBox1Click()
{
    if (!m_ui->CheckBox1->isChecked())
        return;
    if (!m_ui->Edit4->text().trimmed().isEmpty())
        Edit4Change();
    else if (!m_ui->Edit5->text().trimmed().isEmpty())
        Edit5Change();
}

void TForm_changpspho::Button1Click()
{
    std::vector<std::pair<QLineEdit *, QString>> required = {
        {m_ui->Edit1, QStringLiteral("列数不能为空。")},   {m_ui->Edit2, QStringLiteral("列间距不能为空。")},
        {m_ui->Edit3, QStringLiteral("上边距不能为空。")}, {m_ui->Edit4, QStringLiteral("图片宽不能为空。")},
        {m_ui->Edit5, QStringLiteral("图片高不能为空。")}, {m_ui->Edit8, QStringLiteral("行间距不能为空。")},
    };
    if (m_context.ratioRequired && m_ui->CheckBox1->isChecked()) {
        required.push_back({m_ui->Edit6, QStringLiteral("约束宽高比例不能为空。")});
        required.push_back({m_ui->Edit7, QStringLiteral("约束宽高比例不能为空。")});
    }
    for (const auto &[edit, message] : required) {
        if (edit->text().trimmed().isEmpty()) {
            m_messages.notify(this, QStringLiteral("提示"), message);
            edit->setFocus();
            return;
        }
    }
    // Typed digits past 32 bits stand for a number too large for any field.
    auto number = [](QLineEdit *e) {
        bool ok = false;
        const qlonglong v = e->text().trimmed().toLongLong(&ok);
        return ok ? static_cast<int>(std::clamp<qlonglong>(v, INT_MIN, INT_MAX)) : INT_MAX;
    };
    const PhotoGridSpec grid{number(m_ui->Edit1), number(m_ui->Edit2), number(m_ui->Edit3),
                             number(m_ui->Edit8), number(m_ui->Edit4), number(m_ui->Edit5)};
    if (auto refusal = refuseTypedPhotoGrid(grid, m_context.stage.width(), m_context.stage.height())) {
        QLineEdit *const edits[] = {m_ui->Edit1, m_ui->Edit2, m_ui->Edit3, m_ui->Edit8, m_ui->Edit4, m_ui->Edit5};
        QLineEdit *edit = edits[static_cast<int>(refusal->field)];
        m_messages.notify(this, QStringLiteral("提示"), toQt(refusal->message));
        edit->setFocus();
        edit->selectAll();
        return;
    }
    m_grid = grid;
    accept();
}

}  // namespace tessaly
