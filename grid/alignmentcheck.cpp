#include "alignmentcheck.h"

#include "filereader.h"
#include "labeldirectory.h"
#include "labelreader.h"

#include <algorithm>
#include <utility>

namespace verbolt {

namespace {

unsigned char fold(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + 0x20) : b;
}

bool foldedLess(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (fold(a[i]) != fold(b[i]))
            return fold(a[i]) < fold(b[i]);
    return a.size() < b.size();
}

// Calls f(line number, entry) for each entry line, numbering every physical line.
template <class F> void forEachNumberedEntry(std::string_view bytes, F &&f)
{
    std::size_t line = 0;
    LabelReader::forEachLine(bytes, [&](std::string_view text, std::size_t, std::size_t) {
        ++line;
        if (const auto entry = LabelReader::entryOf(text))
            f(line, LabelReader::trim(entry->key));
    });
}

} // namespace

bool AlignmentCheck::sameKey(std::string_view a, std::string_view b)
{
    return LabelDirectory::equalsIgnoringCase(LabelReader::trim(a), LabelReader::trim(b));
}

AlignmentCheck::AlignmentCheck(std::string frenchName, std::string frenchBytes)
    : m_name(std::move(frenchName)), m_bytes(std::move(frenchBytes))
{
    m_entries.reserve(static_cast<std::size_t>(LabelReader::countLabelLines(m_bytes)));
    forEachNumberedEntry(m_bytes, [&](std::size_t line, std::string_view key) {
        m_entries.push_back({key, line});
    });
}

std::size_t AlignmentCheck::checkFrench(std::ostream &out) const
{
    // Sorting positions by folded key puts each group of equal IDs together, first line
    // first (the sort is stable): no string per key, whatever the size of the file.
    std::vector<std::size_t> order(m_entries.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return foldedLess(m_entries[a].key, m_entries[b].key);
    });
    std::vector<std::pair<std::size_t, std::size_t>> again; // (entry, first entry)
    for (std::size_t i = 1, first = 0; i < order.size(); ++i) {
        if (LabelDirectory::equalsIgnoringCase(m_entries[order[i]].key,
                                               m_entries[order[first]].key))
            again.emplace_back(order[i], order[first]);
        else
            first = i;
    }
    std::sort(again.begin(), again.end());
    for (const auto &[entry, first] : again)
        out << m_name << ':' << m_entries[entry].line << ": ID " << m_entries[entry].key
            << " appears again (first at line " << m_entries[first].line << ")\n";
    return again.size();
}

std::size_t AlignmentCheck::checkLanguage(std::string_view fileName, std::string_view bytes,
                                          std::ostream &out) const
{
    std::size_t written = 0;
    std::size_t count = 0;
    std::size_t firstExtraLine = 0;
    bool misplaced = false;
    forEachNumberedEntry(bytes, [&](std::size_t line, std::string_view key) {
        const std::size_t n = count++;
        if (n >= m_entries.size()) {
            if (firstExtraLine == 0)
                firstExtraLine = line;
            return;
        }
        if (misplaced || LabelDirectory::equalsIgnoringCase(key, m_entries[n].key))
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
    if (!listing.whole())
        return std::nullopt; // a check of some of the files would pass the others in silence
    const std::vector<LabelFileEntry> &entries = listing.entries;
    const auto isFrench = [](const LabelFileEntry &e) {
        return LabelDirectory::equalsIgnoringCase(e.name, "french.lan");
    };
    const auto french = std::find_if(entries.begin(), entries.end(), isFrench);
    if (french == entries.end()) {
        out << "french.lan: not found\n";
        return 1;
    }
    const auto read = [&](const LabelFileEntry &e) {
        if (e.kind != LabelFileEntry::Kind::File)
            return FileContent{};
        return FileReader::read(dir + e.name);
    };
    FileContent frenchContent = read(*french);
    if (!frenchContent.ok) {
        out << french->name << ": cannot be read\n";
        return 1;
    }

    const AlignmentCheck check(french->name, std::move(frenchContent.bytes));
    std::size_t written = check.checkFrench(out);
    // One language file in memory at a time besides the French one.
    for (const LabelFileEntry &e : entries) {
        if (isFrench(e))
            continue;
        const FileContent content = read(e);
        if (!content.ok) {
            out << e.name << ": cannot be read\n";
            ++written;
            continue;
        }
        written += check.checkLanguage(e.name, content.bytes, out);
    }
    return written;
}

} // namespace verbolt
