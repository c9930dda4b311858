#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace verbolt {

/// A part of a resource script that steers the string-table reader. Offsets are into the
/// logical line the token stands on (ScriptLexer::line()).
struct ScriptToken
{
    enum class Kind
    {
        StringTable, // the word STRINGTABLE
        Open,        // BEGIN or {
        Close,       // END or }
        Literal,     // "..." or L"..."
        LineEnd      // the end of a logical line
    };

    Kind kind = Kind::LineEnd;
    std::size_t begin = 0; // the first byte: the L of a wide literal
    std::size_t end = 0;   // past the last byte: the closing quote, or the end of the line
    // A literal's bytes between its quotes (to the end of the line when it is not closed).
    std::size_t textBegin = 0;
    std::size_t textEnd = 0;
};

/// Cuts the bytes of a resource script into tokens, the way the resource compiler's
/// preprocessor sees them. Lines end at LF, CRLF or a lone CR; a backslash just before a line
/// end joins the next line to it. Outside literals, "//" and "/* */" are comments, and a line
/// whose first byte outside comments and blanks is "#" (a preprocessor line) gives no
/// tokens. Keywords are upper-case whole words. Tokens are handed out one at a time and every
/// byte is looked at a bounded number of times, so any input takes linear time and memory
/// in proportion to its longest line.
class ScriptLexer
{
public:
    explicit ScriptLexer(std::string_view script) : m_rest(script) {}

    /// The next token; false at the end of the script. Every logical line ends in a LineEnd.
    bool next(ScriptToken &token);

    /// The logical line of the last token, as far as read: continued lines joined, each
    /// comment replaced by one blank, nothing of a preprocessor line.
    std::string_view line() const { return m_line; }

private:
    void startLine();
    bool scan(ScriptToken &token);
    void takeLiteral(std::size_t quote, ScriptToken &token);
    void keep(std::string_view bytes);

    std::string_view m_rest;  // the script after the current line
    std::string m_raw;        // the current line, continued lines joined
    std::size_t m_pos = 0;    // where the scan of m_raw goes on
    std::string m_line;       // what line() shows
    bool m_inLine = false;    // a line is started and its LineEnd not yet handed out
    bool m_blankSoFar = true; // only blanks and comments so far on this line
    bool m_directive = false; // this line is a preprocessor line
    bool m_inComment = false; // inside a "/*" comment, which may run over many lines
};

} // namespace verbolt
