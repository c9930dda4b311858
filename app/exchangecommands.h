#pragma once

#include "labelsession.h"

#include <string>

class QWidget;

namespace verbolt {

class UserPrompts;

/// The banner menu's round trip with translators' tools: a folder's labels out to an XLIFF
/// file, a workbook or a CSV, and their translations back in after a preview.
class ExchangeCommands
{
public:
    ExchangeCommands(QWidget *owner, UserPrompts &prompts) : m_owner(owner), m_prompts(prompts) {}

    /// Asks for the file (and, for XLIFF, the language) and writes it. Returns what the
    /// status line says; problems are shown as a message.
    std::string exportFile(const LabelSession &session);
    /// Asks for the file, shows what it would change and, when the translator says so,
    /// writes the changes as one step of undo. `status` gets what the status line says.
    CommandOutcome importFile(LabelSession &session, std::string &status);

private:
    QWidget *m_owner;
    UserPrompts &m_prompts;
};

} // namespace verbolt
