// A message service for tests: records every box and answers questions from a
// script given in advance, never blocking.
#pragma once

#include "ui/common/MessageService.h"

#include <QList>
#include <QPointer>
#include <QWidget>
#include <QString>

namespace tessaly::test {

class ScriptedMessages : public MessageService {
public:
    struct Shown {
        QString title, text;
        bool question;
        QPointer<QWidget> parent = nullptr;  // where the box would open
    };

    void setNextAnswer(bool yes) { m_answers.append(yes); }
    // Drops the answers no question took.
    void clearAnswers() { m_answers.clear(); }
    void notify(QWidget *parent, const QString &title, const QString &text, Icon) override
    {
        shown.append({title, text, false, boxParent(parent)});
    }
    bool ask(QWidget *parent, const QString &title, const QString &text) override
    {
        shown.append({title, text, true, boxParent(parent)});
        return m_answers.isEmpty() ? false : m_answers.takeFirst();
    }

    // Three-way questions take their answers from this script first.
    void setNextThreeWay(Answer answer) { m_threeWay.append(answer); }
    Answer askYesNoCancel(QWidget *parent, const QString &title, const QString &text) override
    {
        if (m_threeWay.isEmpty())
            return MessageService::askYesNoCancel(parent, title, text);
        shown.append({title, text, true, boxParent(parent)});
        return m_threeWay.takeFirst();
    }

    QList<Shown> shown;

private:
    QList<bool> m_answers;
    QList<Answer> m_threeWay;
};

}  // namespace tessaly::test
