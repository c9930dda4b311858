#pragma once

#include "userprompts.h"

#include <QStringList>

namespace verbolt::test {

// Answers the window's questions without a modal dialog: messages are recorded, the file
// chooser returns `script` and the folder chooser `folder` (empty: cancelled), and each
// records the folder it was opened in.
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
    QStringList messages;
    QStringList folders; // where each chooser opened
    QString script;
    QString folder;
};

} // namespace verbolt::test
