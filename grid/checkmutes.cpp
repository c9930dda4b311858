#include "checkmutes.h"

#include "asciifold.h"
#include "atomicfile.h"
#include "filereader.h"

#include <algorithm>
#include <cerrno>

namespace verbolt {

namespace {

std::string_view trimmed(std::string_view s)
{
    const std::size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string_view::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t\r") + 1 - b);
}

// The next blank-separated word of `s`, taken off its front.
std::string_view word(std::string_view &s)
{
    s = trimmed(s);
    const std::size_t end = std::min(s.find_first_of(" \t"), s.size());
    const std::string_view w = s.substr(0, end);
    s.remove_prefix(end);
    return w;
}

} // namespace

Result CheckMutes::read(const std::string &folder)
{
    const std::string path = folder + std::string(kFileName);
    FileContent content = FileReader::read(path);
    if (!content.result.ok()) {
        m_lines.clear();
        if (content.result.error() == ENOENT)
            return Result::done(path);
        return content.result;
    }
    parse(content.bytes);
    return Result::done(path);
}

Result CheckMutes::write(const std::string &folder) const
{
    return AtomicFile::write(folder + std::string(kFileName), text(), folder);
}

void CheckMutes::parse(std::string_view text)
{
    m_lines.clear();
    while (!text.empty()) {
        const std::size_t nl = std::min(text.find('\n'), text.size());
        std::string_view rest = text.substr(0, nl);
        text.remove_prefix(std::min(nl + 1, text.size()));
        Line line;
        line.raw = std::string(rest);
        if (!rest.empty() && rest.back() == '\r')
            line.raw.pop_back();
        const std::optional<Check> check = TextChecks::byName(word(rest));
        const std::string_view column = word(rest);
        const std::string_view id = trimmed(rest);
        if (check && !column.empty() && !id.empty()) {
            line.mute = true;
            line.check = *check;
            line.column = column == "*" ? std::string() : std::string(column);
            line.id = std::string(id);
        }
        m_lines.push_back(std::move(line));
    }
}

std::string CheckMutes::text() const
{
    std::string out;
    for (const Line &line : m_lines)
        out += line.raw + "\n";
    return out;
}

bool CheckMutes::muted(std::string_view id, Check check, std::string_view column) const
{
    if (m_lines.empty()) // most label folders mute nothing: asked for every finding
        return false;
    id = trimmed(id);
    return std::any_of(m_lines.begin(), m_lines.end(), [&](const Line &line) {
        return line.mute && line.check == check && (line.column.empty() || line.column == column) &&
               AsciiFold::equal(line.id, id);
    });
}

void CheckMutes::mute(std::string_view id, Check check, std::string_view column)
{
    id = trimmed(id);
    for (const Line &line : m_lines)
        if (line.mute && line.check == check && line.column == column &&
            AsciiFold::equal(line.id, id))
            return;
    Line line;
    line.mute = true;
    line.check = check;
    line.column = std::string(column);
    line.id = std::string(id);
    line.raw = std::string(TextChecks::name(check)) + " " +
               (column.empty() ? std::string("*") : line.column) + " " + line.id;
    m_lines.push_back(std::move(line));
}

void CheckMutes::unmute(std::string_view id, Check check, std::string_view column)
{
    id = trimmed(id);
    std::erase_if(m_lines, [&](const Line &line) {
        return line.mute && line.check == check && line.column == column &&
               AsciiFold::equal(line.id, id);
    });
}

} // namespace verbolt
