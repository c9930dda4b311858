#include "alignmentcheck.h"
#include "asciifold.h"
#include "blanks.h"

#include "filereader.h"
#include "foldedkeyset.h"
#include "labeldirectory.h"
#include "labelreader.h"
#include "placeholders.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <future>
#include <sstream>
#include <utility>

namespace verbolt {

namespace {

// Calls f(line number, key, value) for each entry line, numbering every physical line.
template <class F> void forEachNumberedEntry(std::string_view bytes, F &&f)
{
    std::size_t line = 0;
    LabelReader::forEachLine(bytes, [&](std::string_view text, std::size_t, std::size_t) {
        ++line;
        if (const auto entry = LabelReader::entryOf(text))
            f(line, Blanks::trim(entry->key), entry->value);
    });
}

} // namespace

AlignmentCheck::AlignmentCheck(std::string frenchName, ByteBuffer frenchBytes)
    : m_name(std::move(frenchName)), m_bytes(std::move(frenchBytes))
{
    m_entries.reserve(static_cast<std::size_t>(LabelReader::countLabelLines(m_bytes.view())));
    m_ids.reserve(m_entries.capacity());
    forEachNumberedEntry(m_bytes.view(),
                         [&](std::size_t line, std::string_view key, std::string_view value) {
                             const auto id = static_cast<std::size_t>(m_ids.insert(key));
                             if (id == m_firsts.size())
                                 m_firsts.push_back(m_entries.size());
                             m_entries.push_back({key, value, line, m_firsts[id]});
                         });
}

std::size_t AlignmentCheck::checkFrench(std::ostream &out) const
{
    // In file order, so the repeats come out in the order of their lines.
    std::size_t again = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Entry &e = m_entries[i];
        if (e.first == i)
            continue;
        out << m_name << ':' << e.line << ": ID " << e.key << " appears again (first at line "
            << m_entries[e.first].line << ")\n";
        ++again;
    }
    return again;
}

void AlignmentCheck::checkText(std::string_view fileName, std::size_t line, std::string_view key,
                               std::string_view text, const Entry &french, std::ostream &texts,
                               std::size_t &textLines) const
{
    // An empty text is missing work, not a fault of the text.
    if (text.empty())
        return;
    if (!Placeholders::agree(french.value, text)) {
        const std::string mine = Placeholders::listed(text);
        const std::string theirs = Placeholders::listed(french.value);
        texts << fileName << ':' << line << ": " << key << ": "
              << (mine.empty() ? "no placeholders" : "placeholders " + mine) << " where " << m_name
              << " has " << (theirs.empty() ? "none" : theirs) << '\n';
        ++textLines;
    }
    const int mine = Placeholders::accelerators(text);
    const int theirs = Placeholders::accelerators(french.value);
    if (mine != theirs) {
        texts << fileName << ':' << line << ": " << key << ": " << mine << " accelerators where "
              << m_name << " has " << theirs << '\n';
        ++textLines;
    }
}

std::size_t AlignmentCheck::checkLanguage(std::string_view fileName, std::string_view bytes,
                                          std::ostream &out, std::ostream &texts,
                                          std::size_t &textLines) const
{
    std::size_t written = 0;
    std::size_t count = 0;
    std::size_t firstExtraLine = 0;
    bool misplaced = false;
    forEachNumberedEntry(bytes, [&](std::size_t line, std::string_view key,
                                    std::string_view value) {
        const std::size_t n = count++;
        // The text is checked against the French text of its own key, wherever it stands; a
        // line in French order finds it without a look-up.
        const bool inStep = n < m_entries.size() && AsciiFold::equal(key, m_entries[n].key);
        if (inStep) {
            checkText(fileName, line, key, value, m_entries[m_entries[n].first], texts, textLines);
        } else if (const int id = m_ids.find(key); id >= 0) {
            checkText(fileName, line, key, value, m_entries[m_firsts[static_cast<std::size_t>(id)]],
                      texts, textLines);
        }
        if (n >= m_entries.size()) {
            if (firstExtraLine == 0)
                firstExtraLine = line;
            return;
        }
        if (misplaced || inStep)
            return;
        // Past the first shift every later position is off too: one line says it all.
        misplaced = true;
        out << fileName << ':' << line << ": key " << key << " where " << m_name << ':'
            << m_entries[n].line << " has " << m_entries[n].key << '\n';
        ++written;
    });
    if (count < m_entries.size()) {
        out << fileName << ": " << m_entries.size() - count << " labels missing at the end ("
            << m_name << " has " << m_entries.size() << " entries, " << fileName << " has " << count
            << ")\n";
        ++written;
    } else if (count > m_entries.size()) {
        out << fileName << ':' << firstExtraLine << ": " << count - m_entries.size()
            << " entries past the last French label\n";
        ++written;
    }
    return written;
}

std::optional<std::size_t> AlignmentCheck::checkDirectory(const std::string &dir, std::ostream &out)
{
    const Listing listing = LabelDirectory::list(dir);
    if (!listing.result.ok())
        return std::nullopt; // a check of some of the files would pass the others in silence
    const std::vector<LabelFileEntry> &entries = listing.entries;
    const auto isFrench = [](const LabelFileEntry &e) { return LabelDirectory::isFrench(e.name); };
    const auto french = std::find_if(entries.begin(), entries.end(), isFrench);
    if (french == entries.end()) {
        out << "french.lan: not found\n";
        return 1;
    }
    ByteBuffer frenchBytes;
    if (french->kind != LabelFileEntry::Kind::File ||
        !FileReader::readInto(dir + french->name, frenchBytes).ok()) {
        out << french->name << ": cannot be read\n";
        return 1;
    }
    const AlignmentCheck check(french->name, std::move(frenchBytes));
    std::size_t written = check.checkFrench(out);

    // Every other file is checked on its own against the French one: two workers take them
    // in turn, each reading into a buffer of its own, and their lines are put out in the
    // files' order, the alignment lines before every text line.
    std::vector<const LabelFileEntry *> others;
    for (const LabelFileEntry &e : entries)
        if (!isFrench(e))
            others.push_back(&e);
    struct Report
    {
        std::ostringstream lines;
        std::ostringstream texts;
        std::size_t written = 0;
        std::size_t textLines = 0;
    };
    std::vector<Report> reports(others.size());
    std::atomic<std::size_t> next = 0;
    const auto work = [&] {
        ByteBuffer bytes;
        for (std::size_t i; (i = next++) < others.size();) {
            const LabelFileEntry &e = *others[i];
            Report &r = reports[i];
            if (e.kind != LabelFileEntry::Kind::File ||
                !FileReader::readInto(dir + e.name, bytes).ok()) {
                r.lines << e.name << ": cannot be read\n";
                r.written = 1;
                continue;
            }
            r.written = check.checkLanguage(e.name, bytes.view(), r.lines, r.texts, r.textLines);
        }
    };
    std::future<void> second;
    if (others.size() > 1)
        second = std::async(std::launch::async, work);
    work();
    if (second.valid())
        second.get();
    for (const Report &r : reports) {
        out << r.lines.view();
        written += r.written;
    }
    for (const Report &r : reports) {
        out << r.texts.view();
        written += r.textLines;
    }
    return written;
}

} // namespace verbolt
