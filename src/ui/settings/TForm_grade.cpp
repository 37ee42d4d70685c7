#include "ui/settings/TForm_grade.h"

#include "ui_TForm_grade.h"

#include "core/files/Paths.h"
#include "core/settings/AwardSettings.h"
#include "ui/common/DigitsOnly.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>

namespace tessaly {

QString storePrizePicture(const std::filesystem::path &programDir, const QString &chosenFile)
{
    auto stored = importIntoProgramFolder(programDir, chosenFile.toStdString(), "Awardimg");
    return stored ? toQt(*stored) : QString();
}

TForm_grade::TForm_grade(std::filesystem::path programDir, QStringList row, MessageService &messages,
                         PickPicture pickPicture, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_grade), m_programDir(std::move(programDir)), m_messages(messages),
      m_pickPicture(std::move(pickPicture))
{
    m_ui->setupUi(this);
    setDigitsOnly(m_ui->Edit2);
    setDigitsOnly(m_ui->Edit3);
    // The two names are typed text, Chinese as a rule; counts and the picture path are not.
    m_ui->ComboBox1->serveOnLeaving({m_ui->Edit1, m_ui->Edit4});
    m_ui->StringGrid1->setColumnWidth(0, 80);
    m_ui->StringGrid1->setColumnWidth(1, 60);
    m_ui->StringGrid1->setColumnWidth(2, 70);
    if (!m_pickPicture) {
        m_pickPicture = [](QWidget *p) {
            return QFileDialog::getOpenFileName(p, QStringLiteral("选择奖品图片"), {},
                                                QStringLiteral("图片 (*.jpg *.jpeg *.bmp *.ico *.png)"));
        };
    }
    while (row.size() < 6)
        row << QString();
    m_ui->Edit1->setText(row[0]);
    m_ui->Edit2->setText(row[1]);
    m_ui->Edit3->setText(row[2]);
    rebuildBatches();
    m_ui->Edit4->setText(row[4]);
    m_ui->Edit5->setText(row[5]);
    // In edit mode the stored counts replace the pre-filled ones.
    const QStringList counts = row[3].split(QLatin1Char('+'), Qt::SkipEmptyParts);
    for (int r = 0; r < m_ui->StringGrid1->rowCount() && r < counts.size(); ++r)
        m_ui->StringGrid1->setItem(r, 2, new QTableWidgetItem(counts[r]));

    connect(m_ui->Edit2, &QLineEdit::textChanged, this, &TForm_grade::rebuildBatches);
    connect(m_ui->Edit3, &QLineEdit::textChanged, this, &TForm_grade::rebuildBatches);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_grade::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->Button3, &QPushButton::clicked, this, &TForm_grade::choosePicture);
    connect(m_ui->StringGrid1, &QTableWidget::cellClicked, this,
            [this](int r, int) { m_ui->StringGrid1->setCurrentCell(r, 2); });
    m_ui->Edit5->installEventFilter(this);
}

TForm_grade::~TForm_grade()
{
    delete m_ui;
}

bool TForm_grade::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->Edit5 && event->type() == QEvent::MouseButtonDblClick) {
        choosePicture();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm_grade::rebuildBatches()
{
    bool okW = false, okB = false;
    const int winners = m_ui->Edit2->text().trimmed().toInt(&okW);
    const int batches = m_ui->Edit3->text().trimmed().toInt(&okB);
    if (!okW || !okB || batches > 10000)
        return;
    const std::vector<int> counts = splitBatches(winners, batches);
    m_ui->StringGrid1->setRowCount(static_cast<int>(counts.size()));
    for (int k = 0; k < static_cast<int>(counts.size()); ++k) {
        m_ui->StringGrid1->setItem(k, 0, new QTableWidgetItem(m_ui->Edit1->text()));
        m_ui->StringGrid1->setItem(k, 1, new QTableWidgetItem(QString::number(k + 1)));
        m_ui->StringGrid1->setItem(k, 2, new QTableWidgetItem(QString::number(counts[static_cast<size_t>(k)])));
    }
}

void TForm_grade::choosePicture()
{
    const QString file = m_pickPicture(this);
    if (file.isEmpty())
        return;
    // A failed copy leaves the field as it was and says why.
    auto stored = importIntoProgramFolder(m_programDir, file.toStdString(), "Awardimg");
    if (!stored) {
        m_messages.notify(this, QStringLiteral("提示"),
                          QStringLiteral("奖品图片复制失败，奖品图片没有改变：\n%1").arg(toQt(stored.error().message)),
                          MessageService::Icon::Warning);
        return;
    }
    m_ui->Edit5->setText(toQt(*stored));
}

void TForm_grade::Button1Click()
{
    std::vector<std::string> counts;
    for (int r = 0; r < m_ui->StringGrid1->rowCount(); ++r) {
        const QTableWidgetItem *item = m_ui->StringGrid1->item(r, 2);
        counts.push_back(item ? fromQt(item->text()) : std::string());
    }
    std::string detail;
    auto refusal = checkAwardNames(fromQt(m_ui->Edit1->text()), fromQt(m_ui->Edit4->text()));
    if (!refusal)
        refusal = checkGrade(fromQt(m_ui->Edit2->text()), fromQt(m_ui->Edit3->text()), counts, detail);
    if (refusal) {
        m_messages.notify(this, toQt(refusal->caption), toQt(refusal->message),
                          toQt(refusal->caption) == QStringLiteral("提示") ? MessageService::Icon::Information : MessageService::Icon::Critical);
        if (refusal->focus == GradeField::Winners)
            m_ui->Edit2->setFocus();
        else if (refusal->focus == GradeField::Batches)
            m_ui->Edit3->setFocus();
        else if (refusal->focus == GradeField::Name)
            m_ui->Edit1->setFocus();
        else if (refusal->focus == GradeField::PrizeName)
            m_ui->Edit4->setFocus();
        return;
    }
    m_ui->Button1->setEnabled(false);
    m_result = {m_ui->Edit1->text(),          m_ui->Edit2->text().trimmed(), m_ui->Edit3->text().trimmed(),
                toQt(detail),                 m_ui->Edit4->text(),           m_ui->Edit5->text()};
    accept();
}

}  // namespace tessaly
