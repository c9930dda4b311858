#pragma once

#include "scriptlexer.h"

#include <string>
#include <string_view>

namespace verbolt {

/// Follows the string tables of a resource script token by token and writes their entries.
///
/// STRINGTABLE starts a table; what follows it up to BEGIN or "{" is its header (options, a
/// LANGUAGE line); END or "}" closes it. BEGIN and END elsewhere belong to other resources
/// and change nothing. Inside a table an entry is an ID and a string literal; the ID is the
/// text before the literal, trimmed, less one trailing comma. An ID whose line holds no
/// literal takes the literal that opens the next line.
class StringTableReader
{
public:
    /// Takes the next token of the script, `line` being its logical line as far as read.
    /// Every entry it completes is appended to `out` as "ID=text" and CRLF, the text being the
    /// literal's bytes between its quotes as they stand.
    void take(const ScriptToken &token, std::string_view line, std::string &out);

private:
    enum class State
    {
        Outside,
        Header,
        Entries
    };

    void write(std::string_view id, std::string_view line, const ScriptToken &literal,
               std::string &out) const;

    State m_state = State::Outside;
    std::size_t m_idBegin = 0; // where the ID of the next entry begins in the line
    bool m_lineStart = true;   // no token of this line taken yet
    std::string m_pendingId;   // an ID whose line held no literal, waiting for the next
};

} // namespace verbolt
