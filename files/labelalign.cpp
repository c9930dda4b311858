#include "labelalign.h"

#include "blanks.h"
#include "entrycursor.h"
#include "labelreader.h"
#include "profileedit.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace verbolt {

namespace {

// How many of the entries must leave their place: those outside a longest run that keeps
// its order.
std::size_t movedCount(const std::vector<std::uint32_t> &order)
{
    std::vector<std::uint32_t> tails;
    for (const std::uint32_t v : order) {
        const auto it = std::lower_bound(tails.begin(), tails.end(), v);
        if (it == tails.end())
            tails.push_back(v);
        else
            *it = v;
    }
    return order.size() - tails.size();
}

} // namespace

LabelAlign::Aligned LabelAlign::align(const FrenchOrder &order, std::string_view bytes, Fill fill)
{
    const std::vector<std::pair<std::size_t, std::size_t>> lines = ProfileEdit::linesOf(bytes);
    const std::size_t count = lines.size();
    const auto lineAt = [&](std::size_t i) {
        return bytes.substr(lines[i].first, lines[i].second - lines[i].first);
    };

    // An entry line with the comment and blank lines above it, since the previous entry
    // line or section header.
    struct Unit
    {
        std::uint32_t first;
        std::uint32_t entry;
        int position; // in French order, or -1
    };
    std::vector<Unit> units;
    std::vector<bool> inUnit(count, false);
    std::size_t slotAt = SIZE_MAX;       // the line the ordered entries go before
    std::size_t emptyLabelAt = SIZE_MAX; // after the first [Label] header, if no entries
    bool inLabel = true;
    bool sawLabelHeader = false;
    std::uint32_t pending = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::string_view line = lineAt(i);
        if (line.ends_with('\n'))
            line.remove_suffix(1);
        if (LabelReader::skippedAtOnce(line)) {
            if (!line.empty() && line[0] == '[') {
                inLabel = EntryCursor::isLabelHeader(line);
                if (inLabel && !sawLabelHeader) {
                    sawLabelHeader = true;
                    emptyLabelAt = i + 1;
                }
                pending = static_cast<std::uint32_t>(i + 1);
            }
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inLabel || eq == std::string_view::npos)
            continue;
        if (slotAt == SIZE_MAX) {
            slotAt = pending;
        }
        units.push_back({pending, static_cast<std::uint32_t>(i),
                         order.position(Blanks::trim(line.substr(0, eq)))});
        for (std::size_t j = pending; j <= i; ++j)
            inUnit[j] = true;
        pending = static_cast<std::uint32_t>(i + 1);
    }

    // The entries in their new order: indexes into `units`, or -1 - French position for a
    // new line.
    std::vector<std::int64_t> first(order.size(), -1);
    std::vector<std::int64_t> extras;
    for (std::size_t u = 0; u < units.size(); ++u) {
        const int p = units[u].position;
        if (p >= 0 && first[static_cast<std::size_t>(p)] < 0)
            first[static_cast<std::size_t>(p)] = static_cast<std::int64_t>(u);
        else
            extras.push_back(static_cast<std::int64_t>(u));
    }
    std::vector<std::int64_t> sequence;
    sequence.reserve(order.size() + extras.size());
    Aligned result;
    for (std::size_t p = 0; p < order.size(); ++p) {
        sequence.push_back(first[p] >= 0 ? first[p] : -1 - static_cast<std::int64_t>(p));
        result.labelsAdded += first[p] < 0;
    }
    sequence.insert(sequence.end(), extras.begin(), extras.end());

    std::vector<std::uint32_t> kept;
    kept.reserve(units.size());
    for (const std::int64_t s : sequence)
        if (s >= 0)
            kept.push_back(static_cast<std::uint32_t>(s));
    result.linesMoved = movedCount(kept);
    // In step: every entry in place, and all of them in one run of lines.
    bool together = true;
    for (std::size_t u = 1; u < units.size() && together; ++u)
        together = units[u].first == units[u - 1].entry + 1;
    if (result.labelsAdded == 0 && result.linesMoved == 0 && together) {
        result.bytes.assign(bytes);
        return result;
    }
    result.changed = true;

    const std::string_view eol = ProfileEdit::lineEndOf(bytes);
    const std::size_t bom = LabelReader::bomLength(bytes);
    std::string lineEnd; // for a last line without one
    if (bytes.size() > bom && bytes.back() != '\n')
        lineEnd = bytes.back() == '\r' ? "\n" : std::string(eol);
    bool addHeader = false;
    if (slotAt == SIZE_MAX) {
        slotAt = emptyLabelAt;
        if (slotAt == SIZE_MAX) {
            slotAt = count;
            addHeader = true;
        }
    }

    auto map = std::make_shared<LineMap>();
    map->oldLines = static_cast<std::uint32_t>(count);
    std::string &out = result.bytes;
    out.reserve(bytes.size() + result.labelsAdded * 16 + 16);
    out.append(bytes.substr(0, bom));
    const auto emitLine = [&](std::size_t i) {
        out.append(lineAt(i));
        if (i + 1 == count)
            out.append(lineEnd);
        map->append(static_cast<std::uint32_t>(i));
    };
    const auto emitNew = [&](std::string_view text) {
        const std::size_t at = out.size();
        out.append(text).append(eol);
        map->added.append(std::string_view(out).substr(at));
        map->append(LineMap::kAdded);
    };
    const auto emitSlot = [&] {
        if (addHeader)
            emitNew("[Label]");
        std::string line;
        for (const std::int64_t s : sequence) {
            if (s >= 0) {
                const Unit &u = units[static_cast<std::size_t>(s)];
                for (std::size_t i = u.first; i <= u.entry; ++i)
                    emitLine(i);
                continue;
            }
            const auto p = static_cast<std::size_t>(-1 - s);
            const std::string_view key = order.key(p);
            line.clear();
            // A leading blank keeps a key starting with ";" or "[" an entry line.
            if (key[0] == ';' || key[0] == '[')
                line += ' ';
            line.append(key).append("=");
            if (fill == Fill::French)
                line.append(order.text(p));
            emitNew(line);
        }
    };
    for (std::size_t i = 0; i < count; ++i) {
        if (i == slotAt)
            emitSlot();
        if (!inUnit[i])
            emitLine(i);
    }
    if (slotAt == count)
        emitSlot();

    map->sizeBefore = bytes.size();
    map->sizeAfter = out.size();
    map->hashBefore = ProfileEdit::hashOf(bytes);
    map->hashAfter = ProfileEdit::hashOf(out);
    result.changes.sizeBefore = bytes.size();
    result.changes.lineEndAdded = lineEnd;
    result.changes.lines = std::move(map);
    return result;
}

std::string LabelAlign::describe(std::string_view fileName, const Aligned &aligned)
{
    return std::string(fileName) + ": " + std::to_string(aligned.linesMoved) +
           (aligned.linesMoved == 1 ? " line moved, " : " lines moved, ") +
           std::to_string(aligned.labelsAdded) +
           (aligned.labelsAdded == 1 ? " label added" : " labels added");
}

} // namespace verbolt
