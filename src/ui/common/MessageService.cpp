#include "ui/common/MessageService.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPointer>
#include <QVariant>

namespace tessaly {
namespace {

const char *const kStageProperty = "tessalyStage";
QPointer<QWidget> g_operatorWindow;

// Keeps a box centred on the stage through every size it takes while showing.
class CentreOnStage : public QObject {
public:
    explicit CentreOnStage(QWidget *stage) : m_stage(stage) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show) {
            auto *box = static_cast<QWidget *>(watched);
            const QRect stage(m_stage->mapToGlobal(QPoint(0, 0)), m_stage->size());
            box->move(stage.center() - QPoint(box->width() / 2, box->height() / 2));
        }
        return false;
    }

private:
    QWidget *m_stage;
};

int showBox(QMessageBox &box, QWidget *parent)
{
    QWidget *stage = MessageService::stageBehind(parent);
    CentreOnStage centre(stage);
    if (stage) {
        // Read from the audience's distance: at least twice the desktop's
        // font, more on a stage taller than 1080 pixels.
        box.setFont(MessageService::stageFont(stage->height()));
        box.installEventFilter(&centre);
    }
    const int answer = box.exec();
    if (stage)
        box.removeEventFilter(&centre);
    return answer;
}

}  // namespace

void MessageService::markAsStage(QWidget *window)
{
    window->setProperty(kStageProperty, true);
}

QWidget *MessageService::stageBehind(QWidget *parent)
{
    for (QWidget *w = parent; w; w = w->parentWidget())
        if (w->isWindow() && w->property(kStageProperty).toBool())
            return w;
    return nullptr;
}

void MessageService::setOperatorWindow(QWidget *window)
{
    g_operatorWindow = window;
}

QWidget *MessageService::boxParent(QWidget *parent)
{
    if (g_operatorWindow && g_operatorWindow->isVisible() && (!parent || stageBehind(parent)))
        return g_operatorWindow;
    return parent;
}

QFont MessageService::stageFont(int stageHeight)
{
    QFont font = QApplication::font();
    const double factor = std::max(2.0, stageHeight / 540.0);
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(static_cast<int>(font.pixelSize() * factor));
    return font;
}

void QtMessageService::notify(QWidget *parent, const QString &title, const QString &text, Icon icon)
{
    const QMessageBox::Icon shown = icon == Icon::Warning    ? QMessageBox::Warning
                                    : icon == Icon::Critical ? QMessageBox::Critical
                                                             : QMessageBox::Information;
    parent = boxParent(parent);
    QMessageBox box(shown, title, text, QMessageBox::Ok, parent);
    showBox(box, parent);
}

bool QtMessageService::ask(QWidget *parent, const QString &title, const QString &text)
{
    parent = boxParent(parent);
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return showBox(box, parent) == QMessageBox::Yes;
}

MessageService::Answer QtMessageService::askYesNoCancel(QWidget *parent, const QString &title, const QString &text)
{
    switch (QMessageBox::question(boxParent(parent), title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                  QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

}  // namespace tessaly
