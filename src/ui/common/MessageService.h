// Every message box of the program goes through this service, so a test can
// answer it in advance instead of blocking on a modal box.
#pragma once

#include <QFont>
#include <QString>

class QWidget;

namespace tessaly {

class MessageService {
public:
    enum class Icon { Information, Warning, Critical };

    virtual ~MessageService() = default;
    // A notice with an OK button.
    virtual void notify(QWidget *parent, const QString &title, const QString &text, Icon icon = Icon::Information) = 0;
    // A Yes/No question with a question icon; true for Yes.
    virtual bool ask(QWidget *parent, const QString &title, const QString &text) = 0;

    // The stage window: boxes over it, or over a dialog opened from it, are
    // shown large and centred on it, to be read on the projector.
    static void markAsStage(QWidget *window);
    // The stage window `parent` lies on, or nullptr.
    static QWidget *stageBehind(QWidget *parent);
    // The font of a box over a stage of that height.
    static QFont stageFont(int stageHeight);
    // The operator console: while it shows, a box meant for the stage opens over
    // it instead, on the operator's screen and out of the audience's sight.
    static void setOperatorWindow(QWidget *window);
    // Where a box given `parent` opens: the console for the stage, else `parent`.
    static QWidget *boxParent(QWidget *parent);
    enum class Answer { Yes, No, Cancel };
    // A Yes/No/Cancel question with a question icon. A service without a
    // Cancel button of its own answers through ask().
    virtual Answer askYesNoCancel(QWidget *parent, const QString &title, const QString &text)
    {
        return ask(parent, title, text) ? Answer::Yes : Answer::No;
    }
};

// The real boxes.
class QtMessageService : public MessageService {
public:
    void notify(QWidget *parent, const QString &title, const QString &text, Icon icon) override;
    bool ask(QWidget *parent, const QString &title, const QString &text) override;
    Answer askYesNoCancel(QWidget *parent, const QString &title, const QString &text) override;
};

}  // namespace tessaly
