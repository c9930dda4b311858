#include "alignmentcheck.h"

#include "filereader.h"
#include "foldedkeyset.h"
#include "labeldirectory.h"
#include "labelreader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace verbolt {

namespace {

// The keys of a language file stand, byte for byte, as in the French one: comparing the
// bytes first leaves the letter-case comparison to the lines that differ.
bool sameKeyTrimmed(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    // Eight bytes at a time, inline: a call to memcmp per line of every file costs more.
    std::size_t i = 0;
    for (; i + 8 <= a.size(); i += 8) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y)
            return LabelDirectory::equalsIgnoringCase(a, b);
    }
    for (; i < a.size(); ++i)
        if (a[i] != b[i])
            return LabelDirectory::equalsIgnoringCase(a, b);
    return true;
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

AlignmentCheck::AlignmentCheck(std::string frenchName, ByteBuffer frenchBytes)
    : m_name(std::move(frenchName)), m_bytes(std::move(frenchBytes))
{
    m_entries.reserve(static_cast<std::size_t>(LabelReader::countLabelLines(m_bytes.view())));
    forEachNumberedEntry(m_bytes.view(), [&](std::size_t line, std::string_view key) {
        m_entries.push_back({key, line});
    });
}

std::size_t AlignmentCheck::checkFrench(std::ostream &out) const
{
    // Each ID's first entry, by a folded hash: one look-up per entry, in file order, so the
    // repeats come out in the order of their lines.
    FoldedKeySet ids;
    ids.reserve(m_entries.size());
    std::vector<std::size_t> first;
    first.reserve(m_entries.size());
    std::size_t again = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const auto id = static_cast<std::size_t>(ids.insert(m_entries[i].key));
        if (id == first.size()) {
            first.push_back(i);
            continue;
        }
        out << m_name << ':' << m_entries[i].line << ": ID " << m_entries[i].key
            << " appears again (first at line " << m_entries[first[id]].line << ")\n";
        ++again;
    }
    return again;
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
        if (misplaced || sameKeyTrimmed(key, m_entries[n].key))
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
    // One buffer for every file but the French one: it is read into again and again.
    ByteBuffer bytes;
    const auto read = [&](const LabelFileEntry &e) {
        return e.kind == LabelFileEntry::Kind::File &&
               FileReader::readInto(dir + e.name, bytes) == 0;
    };
    if (!read(*french)) {
        out << french->name << ": cannot be read\n";
        return 1;
    }

    const AlignmentCheck check(french->name, std::move(bytes));
    std::size_t written = check.checkFrench(out);
    for (const LabelFileEntry &e : entries) {
        if (isFrench(e))
            continue;
        if (!read(e)) {
            out << e.name << ": cannot be read\n";
            ++written;
            continue;
        }
        written += check.checkLanguage(e.name, bytes.view(), out);
    }
    return written;
}

} // namespace verbolt
