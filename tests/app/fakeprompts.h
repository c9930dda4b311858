#pragma once

#include "userprompts.h"

#include <QStringList>

namespace verbolt::test {

// Answers the window's questions without a modal dialog: messages are recorded, the file
// chooser returns `script` and the folder chooser `folder` (empty: cancelled), and each
// records the folder it was opened in; questions take `answers` in turn.
class FakePrompts : public UserPrompts
{
public:
    void message(QWidget *, const QString &text) override { messages << text; }
    QString chooseScript(QWidget *, const QString &folder) override
    {
        folders << folder;
        return script;
    }
    QString chooseFolder(QWidget *, const QString &from) override
    {
        folders << from;
        return folder;
    }
    int ask(QWidget *, const QString &question, const QStringList &choices, int preferred) override
    {
        questions << question;
        asked << choices;
        return answers.isEmpty() ? preferred : answers.takeFirst();
    }
    QStringList messages;
    QStringList questions;
    QList<QStringList> asked; // the choices of each question
    QList<int> answers;       // given in turn; the default choice once none is left
    QStringList folders;      // where each chooser opened
    QString script;
    QString folder;
};

} // namespace verbolt::test
