#pragma once

#include "filechanges.h"

#include <string>
#include <vector>

namespace verbolt {

/// The commands of a run that wrote something, for undo and redo: per file, the old and new
/// values of the keys written, not copies of the files.
class LabelHistory
{
public:
    struct FileRecord
    {
        int column;
        std::string path;
        FileChanges changes;
    };
    struct Command
    {
        std::string name;  // "Apply", "Duplicate into All"
        std::string about; // "IDS_QUIT", "240 lines"
        std::vector<FileRecord> files;
        bool empty() const;
    };

    /// A new command: the redo side is dropped.
    void record(Command command);
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    /// "Duplicate into All, 240 lines": what undo (or redo) would take back (or make again).
    std::string nextUndo() const;
    std::string nextRedo() const;
    Command takeUndo();
    Command takeRedo();
    /// A command that undo can take back, or redo make again; an empty one is dropped.
    void pushUndo(Command command);
    void pushRedo(Command command);
    void clear();

private:
    static std::string describe(const Command &command);

    std::vector<Command> m_undo;
    std::vector<Command> m_redo;
};

} // namespace verbolt
