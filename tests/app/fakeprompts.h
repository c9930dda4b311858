#pragma once

#include "userprompts.h"

#include <QStringList>

namespace verbolt::test {

// Answers the window's questions without a modal dialog: messages are recorded, the file
// chooser returns `script` (empty: cancelled) and records the folder it was opened in.
class FakePrompts : public UserPrompts
{
public:
    void message(QWidget *, const QString &text) override { messages << text; }
    QString chooseScript(QWidget *, const QString &folder) override
    {
        folders << folder;
        return script;
    }
    QStringList messages;
    QStringList folders;
    QString script;
};

} // namespace verbolt::test
