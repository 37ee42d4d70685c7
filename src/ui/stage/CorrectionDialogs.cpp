#include "ui/stage/CorrectionDialogs.h"

#include "ui_TForm_giveup.h"
#include "ui_TForm_prizename.h"
#include "ui_TForm_supplement.h"

#include "core/draw/DrawSession.h"
#include "ui/common/DigitsOnly.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"

namespace tessaly {
namespace {

void fillAwardNames(QComboBox *list, const DrawSession &session)
{
    for (int i = 0; i < session.state().AwardCount; ++i)
        list->addItem(toQt(session.awards()[i].name));
}

}  // namespace

TForm_giveup::TForm_giveup(DrawSession &session, ApplyOutcome apply, MessageService &messages, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_giveup), m_session(session), m_apply(std::move(apply)),
      m_messages(messages)
{
    m_ui->setupUi(this);
    fillAwardNames(m_ui->ComboBox1, session);
    m_ui->ComboBox1->setCurrentIndex(session.state().CurrentAward);
    fillWinners();
    connect(m_ui->ComboBox1, &QComboBox::currentIndexChanged, this, &TForm_giveup::fillWinners);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_giveup::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::accept);
}

TForm_giveup::~TForm_giveup()
{
    delete m_ui;
}

void TForm_giveup::fillWinners()
{
    m_ui->ListBox1->clear();
    const int award = m_ui->ComboBox1->currentIndex();
    if (award < 0)
        return;
    for (const auto &name : m_session.AwardWinnerNames()[static_cast<size_t>(award)])
        m_ui->ListBox1->addItem(toQt(name));
}

void TForm_giveup::Button1Click()
{
    const int row = m_ui->ListBox1->currentRow();
    if (row < 0)
        return;
    // Taking a prize back in front of the audience is asked once more.
    const QString question = QStringLiteral("是否确定让“%1”放弃“%2”的中奖资格？")
                                 .arg(m_ui->ListBox1->item(row)->text(), m_ui->ComboBox1->currentText());
    if (!m_messages.ask(this, QStringLiteral("提示"), question))
        return;
    m_apply(m_session.GiveUp(m_ui->ComboBox1->currentIndex(), row, m_ui->CheckBox1->isChecked()));
    fillWinners();
}

TForm_supplement::TForm_supplement(DrawSession &session, ApplyOutcome apply, MessageService &messages,
                                   QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_supplement), m_session(session), m_apply(std::move(apply)),
      m_messages(messages)
{
    m_ui->setupUi(this);
    setDigitsOnly(m_ui->Edit1);
    fillAwardNames(m_ui->ComboBox1, session);
    m_ui->ComboBox1->setCurrentIndex(-1);
    updatePrizeField();
    connect(m_ui->ComboBox1, &QComboBox::currentTextChanged, this, &TForm_supplement::updatePrizeField);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_supplement::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TForm_supplement::~TForm_supplement()
{
    delete m_ui;
}

void TForm_supplement::updatePrizeField()
{
    // The prize field is for a new award only.
    const bool listed = m_ui->ComboBox1->findText(m_ui->ComboBox1->currentText().trimmed()) >= 0;
    const bool show = !listed && !m_ui->ComboBox1->currentText().trimmed().isEmpty();
    m_ui->Label5->setVisible(show);
    m_ui->Edit2->setVisible(show);
}

void TForm_supplement::Button1Click()
{
    bool focusCount = false;
    DrawOutcome out = m_session.Supplement(fromQt(m_ui->ComboBox1->currentText()), fromQt(m_ui->Edit1->text()),
                                           fromQt(m_ui->Edit2->text()), &focusCount);
    const bool refused = !out.notices.empty() && out.notices.front().code == ErrorCode::BadInput;
    if (refused) {
        m_messages.notify(this, toQt(out.notices.front().title), toQt(out.notices.front().text));
        if (focusCount)
            m_ui->Edit1->setFocus();
        return;
    }
    m_apply(out);
    accept();
}

TForm_prizename::TForm_prizename(DrawSession &session, MessageService &messages, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_prizename), m_session(session), m_messages(messages)
{
    m_ui->setupUi(this);
    fillAwardNames(m_ui->ComboBox1, session);
    m_ui->ComboBox1->setCurrentIndex(-1);
    connect(m_ui->ComboBox1, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i >= 0)
            m_ui->Edit1->setText(toQt(m_session.storedPrizeName(i)));
    });
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_prizename::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TForm_prizename::~TForm_prizename()
{
    delete m_ui;
}

void TForm_prizename::Button1Click()
{
    const int index = m_ui->ComboBox1->findText(m_ui->ComboBox1->currentText().trimmed());
    DrawOutcome out = m_session.RenamePrize(index, fromQt(m_ui->Edit1->text()));
    if (!out.notices.empty()) {
        m_messages.notify(this, toQt(out.notices.front().title), toQt(out.notices.front().text));
        if (out.notices.front().code == ErrorCode::BadInput)
            return;
    }
    accept();
}

}  // namespace tessaly
