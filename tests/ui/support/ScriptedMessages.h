// A message service for tests: records every box and answers questions from a
// script given in advance, never blocking.
#pragma once

#include "ui/common/MessageService.h"

#include <QList>
#include <QString>

namespace tessaly::test {

class ScriptedMessages : public MessageService {
public:
    struct Shown {
        QString title, text;
        bool question;
    };

    void setNextAnswer(bool yes) { m_answers.append(yes); }
    void notify(QWidget *, const QString &title, const QString &text, Icon) override
    {
        shown.append({title, text, false});
    }
    bool ask(QWidget *, const QString &title, const QString &text) override
    {
        shown.append({title, text, true});
        return m_answers.isEmpty() ? false : m_answers.takeFirst();
    }

    QList<Shown> shown;

private:
    QList<bool> m_answers;
};

}  // namespace tessaly::test
