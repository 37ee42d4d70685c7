#include "ui/stage/TForm_changpo.h"

#include "ui_TForm_changpo.h"

#include "core/settings/Encodings.h"
#include "core/settings/Settings.h"
#include "core/stage/SlotLayout.h"
#include "ui/common/DigitsOnly.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"

namespace tessaly {

TForm_changpo::TForm_changpo(Context context, MessageService &messages, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_changpo), m_context(std::move(context)), m_messages(messages)
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    for (QLineEdit *e : {m_ui->Edit1, m_ui->Edit2, m_ui->Edit3, m_ui->Edit4, m_ui->Edit5})
        setDigitsOnly(e);
    connect(m_ui->Edit1, &QLineEdit::textChanged, this, &TForm_changpo::Edit1Change);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_changpo::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TForm_changpo::~TForm_changpo()
{
    delete m_ui;
}

void TForm_changpo::Edit1Change()
{
    bool ok = false;
    const int columns = m_ui->Edit1->text().trimmed().toInt(&ok);
    if (!ok || columns < 1)
        return;
    GridMargins m = suggestGridMargins(m_context.batchSize, columns, m_context.titleBase, m_context.stage.height,
                                       m_context.slot.height);
    m_ui->Edit3->setText(QString::number(m.top));
    m_ui->Edit4->setText(QString::number(m.bottom));
}

void TForm_changpo::Button1Click()
{
    const std::pair<QLineEdit *, QString> required[] = {
        {m_ui->Edit1, QStringLiteral("列数不能为空。")},
        {m_ui->Edit2, QStringLiteral("列间距不能为空。")},
        {m_ui->Edit3, QStringLiteral("上边距不能为空。")},
        {m_ui->Edit4, QStringLiteral("下边距不能为空。")},
    };
    for (const auto &[edit, message] : required) {
        if (edit->text().trimmed().isEmpty()) {
            m_messages.notify(this, QStringLiteral("提示"), message);
            edit->setFocus();
            return;
        }
    }
    const int columns = m_ui->Edit1->text().trimmed().toInt();
    if (columns < 1) {
        // Zero columns would divide by zero when the rows are counted.
        m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("列数必须至少为 1。"));
        m_ui->Edit1->setFocus();
        return;
    }
    const int gap = m_ui->Edit2->text().trimmed().toInt();
    const int top = m_ui->Edit3->text().trimmed().toInt();
    const int bottom = m_context.stage.height - m_ui->Edit4->text().trimmed().toInt();
    const QString leftText = m_ui->Edit5->text().trimmed();
    const int left = leftText.isEmpty() ? -1 : leftText.toInt();
    auto placed = placeSlotGrid(m_context.stage.width, top, bottom, m_context.batchSize, gap, columns, left,
                                m_context.slot);
    if (!placed) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(placed.error().message));
        return;
    }
    auto settings = openSettings(m_context.programDir);
    Status saved = settings ? Status(Ok{}) : Status(settings.error());
    if (settings) {
        writePlacedSlotGrid(*settings, m_context.batchSize, *placed, m_context.slot,
                            screenKey(m_context.stage.width, m_context.stage.height));
        saved = settings->commit();
    }
    if (!saved) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(saved.error().message));
        return;
    }
    if (m_context.stage.width < gap * (columns - 1) + columns * m_context.slot.width)
        m_messages.notify(this, QStringLiteral("提示"),
                          QStringLiteral("抽奖滚动区宽度大于屏幕,请在抽奖滚动区右键菜单调整小的字体。"));
    accept();
}

}  // namespace tessaly
