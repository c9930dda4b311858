#include "scriptlexer.h"

#include "blanks.h"

#include <algorithm>
#include <optional>

namespace verbolt {

namespace {

bool isWordByte(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

std::optional<ScriptToken::Kind> keywordKind(std::string_view word)
{
    if (word == "STRINGTABLE")
        return ScriptToken::Kind::StringTable;
    if (word == "BEGIN")
        return ScriptToken::Kind::Open;
    if (word == "END")
        return ScriptToken::Kind::Close;
    return std::nullopt;
}

} // namespace

bool ScriptLexer::next(ScriptToken &token)
{
    if (!m_inLine) {
        if (m_rest.empty())
            return false;
        startLine();
    }
    if (!scan(token)) {
        token = {ScriptToken::Kind::LineEnd, m_line.size(), m_line.size()};
        m_inLine = false;
    }
    return true;
}

// Reads the next logical line. A backslash just before a line end joins the next line, both
// removed, as the C preprocessor does before it looks at anything else: this holds inside
// literals and comments too.
void ScriptLexer::startLine()
{
    m_raw.clear();
    while (true) {
        const std::size_t end = std::min(m_rest.find_first_of("\r\n"), m_rest.size());
        std::size_t next = end;
        if (end < m_rest.size())
            next += m_rest.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        const bool continued = end < m_rest.size() && end > 0 && m_rest[end - 1] == '\\';
        m_raw.append(m_rest.substr(0, continued ? end - 1 : end));
        m_rest.remove_prefix(next);
        if (!continued || m_rest.empty())
            break;
    }
    m_pos = 0;
    m_line.clear();
    m_inLine = true;
    m_blankSoFar = true;
    m_directive = false;
}

// Scans on to the next token of the line; false at its end.
bool ScriptLexer::scan(ScriptToken &token)
{
    const std::string_view raw = m_raw;
    const std::size_t n = raw.size();
    while (m_pos < n) {
        if (m_inComment) {
            const std::size_t close = raw.find("*/", m_pos);
            if (close == std::string_view::npos) {
                m_pos = n;
                break;
            }
            m_inComment = false;
            m_pos = close + 2;
            continue;
        }
        const char c = raw[m_pos];
        const char after = m_pos + 1 < n ? raw[m_pos + 1] : '\0';
        if (c == '/' && (after == '/' || after == '*')) {
            // A comment stands for one blank, so it still separates what is around it.
            keep(" ");
            m_inComment = after == '*';
            m_pos = after == '*' ? m_pos + 2 : n;
            continue;
        }
        if (m_blankSoFar && c == '#')
            m_directive = true;
        if (!Blanks::isWhite(c))
            m_blankSoFar = false;

        bool found = true;
        if (c == '"') {
            takeLiteral(m_pos, token);
        } else if (isWordByte(c)) {
            std::size_t j = m_pos;
            while (j < n && isWordByte(raw[j]))
                ++j;
            const std::string_view word = raw.substr(m_pos, j - m_pos);
            if (word == "L" && j < n && raw[j] == '"') {
                takeLiteral(j, token);
            } else {
                const std::optional<ScriptToken::Kind> kind = keywordKind(word);
                found = kind.has_value();
                if (found)
                    token = {*kind, m_line.size(), m_line.size() + word.size()};
                keep(word);
                m_pos = j;
            }
        } else {
            found = c == '{' || c == '}';
            if (found)
                token = {c == '{' ? ScriptToken::Kind::Open : ScriptToken::Kind::Close,
                         m_line.size(), m_line.size() + 1};
            keep(raw.substr(m_pos, 1));
            ++m_pos;
        }
        // A preprocessor line is still scanned for its comments: one it opens runs on past it.
        if (found && !m_directive)
            return true;
    }
    return false;
}

// A literal from m_pos (its L prefix, or its quote) to the first quote after `quote` that is
// neither doubled nor escaped by a backslash, or to the end of the line.
void ScriptLexer::takeLiteral(std::size_t quote, ScriptToken &token)
{
    const std::string_view raw = m_raw;
    std::size_t j = quote + 1;
    while (j < raw.size()) {
        if (raw[j] == '\\') {
            j += 2;
        } else if (raw[j] == '"') {
            if (j + 1 < raw.size() && raw[j + 1] == '"')
                j += 2;
            else
                break;
        } else {
            ++j;
        }
    }
    j = std::min(j, raw.size());
    const std::size_t end = j < raw.size() ? j + 1 : j;
    const std::size_t begin = m_line.size();
    token = {ScriptToken::Kind::Literal, begin, begin + (end - m_pos), begin + (quote + 1 - m_pos),
             begin + (j - m_pos)};
    keep(raw.substr(m_pos, end - m_pos));
    m_pos = end;
}

// Keeps bytes for line(); a preprocessor line keeps none, so it reads as a blank line.
void ScriptLexer::keep(std::string_view bytes)
{
    if (!m_directive)
        m_line.append(bytes);
}

} // namespace verbolt
