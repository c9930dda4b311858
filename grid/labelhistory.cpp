#include "labelhistory.h"

#include <utility>

namespace verbolt {

bool LabelHistory::Command::empty() const
{
    for (const FileRecord &f : files)
        if (!f.changes.keys.empty() || f.changes.lines)
            return false;
    return true;
}

void LabelHistory::record(Command command)
{
    if (command.empty())
        return;
    m_undo.push_back(std::move(command));
    m_redo.clear();
}

std::string LabelHistory::describe(const Command &command)
{
    return command.about.empty() ? command.name : command.name + ", " + command.about;
}

std::string LabelHistory::nextUndo() const
{
    return m_undo.empty() ? std::string() : describe(m_undo.back());
}

std::string LabelHistory::nextRedo() const
{
    return m_redo.empty() ? std::string() : describe(m_redo.back());
}

LabelHistory::Command LabelHistory::takeUndo()
{
    Command c = std::move(m_undo.back());
    m_undo.pop_back();
    return c;
}

LabelHistory::Command LabelHistory::takeRedo()
{
    Command c = std::move(m_redo.back());
    m_redo.pop_back();
    return c;
}

void LabelHistory::pushUndo(Command command)
{
    if (!command.empty())
        m_undo.push_back(std::move(command));
}

void LabelHistory::pushRedo(Command command)
{
    if (!command.empty())
        m_redo.push_back(std::move(command));
}

void LabelHistory::clear()
{
    m_undo.clear();
    m_redo.clear();
}

} // namespace verbolt
