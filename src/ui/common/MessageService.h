// Every message box of the program goes through this service, so a test can
// answer it in advance instead of blocking on a modal box.
#pragma once

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
