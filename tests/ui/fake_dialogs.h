#pragma once

#include "ui/dialogs.h"

#include <QStringList>

#include <deque>

namespace velmora::test {

// Answers questions from a script and records every text it was shown.
class FakeDialogs : public ui::Dialogs {
public:
    std::deque<Answer> answers;
    QStringList questions;
    QStringList messages;

    Answer askYesNoCancel(QWidget *, const QString &text) override
    {
        questions << text;
        if (answers.empty())
            return Answer::Cancel;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void inform(QWidget *, const QString &text) override { messages << text; }
    void notify(QWidget *, const QString &text) override { notices << text; }
    QStringList notices;
};

} // namespace velmora::test
