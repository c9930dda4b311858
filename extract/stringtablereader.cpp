#include "stringtablereader.h"

#include "blanks.h"

namespace verbolt {

namespace {

// The ID of an entry from the text before its literal: the comma style of the common resource
// editors ("ID_FILE_NEW,   \"...\"") leaves one comma to drop.
std::string_view idOf(std::string_view text)
{
    text = Blanks::trim(text);
    if (text.ends_with(','))
        text = Blanks::trim(text.substr(0, text.size() - 1));
    return text;
}

} // namespace

void StringTableReader::take(const ScriptToken &token, std::string_view line, std::string &out)
{
    using Kind = ScriptToken::Kind;
    if (m_lineStart && !m_pendingId.empty()) {
        // Only a literal that opens the line completes the ID of the line before.
        if (token.kind == Kind::Literal && Blanks::trim(line.substr(0, token.begin)).empty()) {
            write(m_pendingId, line, token, out);
            m_idBegin = token.end;
            m_pendingId.clear();
            m_lineStart = false;
            return;
        }
        m_pendingId.clear();
    }
    m_lineStart = false;

    switch (token.kind) {
    case Kind::StringTable:
        m_state = State::Header;
        break;
    case Kind::Open:
        if (m_state == State::Header)
            m_state = State::Entries;
        break;
    case Kind::Close:
        m_state = State::Outside;
        break;
    case Kind::Literal:
        if (m_state == State::Entries)
            write(idOf(line.substr(m_idBegin, token.begin - m_idBegin)), line, token, out);
        break;
    case Kind::LineEnd:
        if (m_state == State::Entries)
            m_pendingId = idOf(line.substr(m_idBegin));
        m_lineStart = true;
        m_idBegin = 0;
        return;
    }
    m_idBegin = token.end;
}

void StringTableReader::write(std::string_view id, std::string_view line,
                              const ScriptToken &literal, std::string &out) const
{
    // A literal without an ID (a second string after an entry, say) writes nothing.
    if (id.empty())
        return;
    out.append(id);
    out += '=';
    out.append(line.substr(literal.textBegin, literal.textEnd - literal.textBegin));
    out += "\r\n";
}

} // namespace verbolt
