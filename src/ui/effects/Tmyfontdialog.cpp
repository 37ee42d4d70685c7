#include "ui/effects/Tmyfontdialog.h"

#include "core/settings/FontStyleName.h"
#include "ui/common/AppSetup.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/common/QtValues.h"
#include "ui/effects/ui_Tmyfontdialog.h"

#include <QFont>
#include <QFontDatabase>
#include <QMouseEvent>

namespace tessaly {
namespace {

constexpr int kSizes[] = {8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 22, 24, 26, 28, 30, 36, 72};

// Selects the entry equal to `text`, or none.
void selectEqual(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> found = list->findItems(text, Qt::MatchExactly);
    if (found.isEmpty()) {
        list->setCurrentItem(nullptr);
        list->clearSelection();
    } else {
        list->setCurrentItem(found.first());
        list->scrollToItem(found.first());
    }
}

}  // namespace

Tmyfontdialog::Tmyfontdialog(MessageService &messages, PickerService &pickers, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::Tmyfontdialog>()), m_messages(messages), m_pickers(&pickers)
{
    setUp();
}

Tmyfontdialog::Tmyfontdialog(MessageService &messages, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::Tmyfontdialog>()), m_ownPickers(std::make_unique<QtPickerService>()),
      m_messages(messages), m_pickers(m_ownPickers.get())
{
    setUp();
}

Tmyfontdialog::~Tmyfontdialog() = default;

void Tmyfontdialog::setUp()
{
    m_ui->setupUi(this);
    fillLists();
    // Clicking (or moving through) a list puts its entry into the field above it.
    const std::pair<QListWidget *, QLineEdit *> pairs[] = {
        {m_ui->nameList, m_ui->nameEdit}, {m_ui->styleList, m_ui->styleEdit}, {m_ui->sizeList, m_ui->sizeEdit}};
    for (auto [list, edit] : pairs) {
        connect(list, &QListWidget::currentItemChanged, this, [edit](QListWidgetItem *current) {
            if (current && edit->text() != current->text())
                edit->setText(current->text());
        });
        connect(list, &QListWidget::itemClicked, this, [edit](QListWidgetItem *clicked) { edit->setText(clicked->text()); });
        // Typing a name that the list holds selects it.
        connect(edit, &QLineEdit::textEdited, this, [list](const QString &text) {
            const QSignalBlocker block(list);
            selectEqual(list, text);
        });
    }
    m_ui->colorSample->installEventFilter(this);
    setColor(m_color);
}

void Tmyfontdialog::fillLists()
{
    // The names the settings use ("黑体", "宋体" ...) map to an installed font; offer them first.
    QStringList names = fontAliases();
    names << QFontDatabase::families();
    m_ui->nameList->addItems(names);
    for (const char *style : {"常规", "斜体", "粗体", "粗斜体"})
        m_ui->styleList->addItem(QString::fromUtf8(style));
    for (int size : kSizes)
        m_ui->sizeList->addItem(QString::number(size));
}

std::optional<Tmyfontdialog::FontChoice> Tmyfontdialog::execute(const FontChoice &current)
{
    setFontName(current.name);
    setStyleName(toQt(fontStyleName(current.styles)));
    setSizeText(QString::number(current.size));
    setColor(current.color);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return choice(current);
}

void Tmyfontdialog::setFontName(const QString &name)
{
    m_ui->nameEdit->setText(name);
    const QSignalBlocker block(m_ui->nameList);
    selectEqual(m_ui->nameList, name);
}

QString Tmyfontdialog::fontName() const
{
    return m_ui->nameEdit->text();
}

void Tmyfontdialog::setStyleName(const QString &name)
{
    m_ui->styleEdit->setText(name);
    const QSignalBlocker block(m_ui->styleList);
    selectEqual(m_ui->styleList, name);
}

QString Tmyfontdialog::styleName() const
{
    return m_ui->styleEdit->text();
}

void Tmyfontdialog::setSizeText(const QString &size)
{
    m_ui->sizeEdit->setText(size);
    const QSignalBlocker block(m_ui->sizeList);
    selectEqual(m_ui->sizeList, size);
}

QString Tmyfontdialog::sizeText() const
{
    return m_ui->sizeEdit->text();
}

void Tmyfontdialog::setColor(TColor color)
{
    m_color = color;
    QPalette palette = m_ui->colorSample->palette();
    palette.setColor(QPalette::Window, toQColor(color));
    m_ui->colorSample->setPalette(palette);
}

std::optional<Tmyfontdialog::FontChoice> Tmyfontdialog::choice(const FontChoice &current) const
{
    const Result<int> size = parseFontSize(fromQt(sizeText()));
    if (!size)
        return std::nullopt;
    FontChoice chosen;
    chosen.name = fontName().trimmed();
    chosen.styles = fontStyleFromName(fromQt(styleName().trimmed()), current.styles);
    chosen.size = *size;
    chosen.color = m_color;
    return chosen;
}

void Tmyfontdialog::accept()
{
    // A size that is no whole number is refused here, so the caller never applies half a font.
    const Result<int> size = parseFontSize(fromQt(sizeText()));
    if (!size) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(size.error().message), MessageService::Icon::Warning);
        m_ui->sizeEdit->setFocus();
        m_ui->sizeEdit->selectAll();
        return;
    }
    if (fontName().trimmed().isEmpty()) {
        m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("请选择字体。"), MessageService::Icon::Warning);
        m_ui->nameEdit->setFocus();
        return;
    }
    QDialog::accept();
}

bool Tmyfontdialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->colorSample && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        pickColor();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Tmyfontdialog::pickColor()
{
    if (auto chosen = m_pickers->pickColor(this, toQColor(m_color))) {
        // A colour taken back unchanged keeps its stored form (a system colour stays one).
        if (*chosen != toQColor(m_color))
            setColor(toTColor(*chosen));
    }
}

}  // namespace tessaly
