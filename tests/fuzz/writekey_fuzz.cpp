// Writing one key, as the pure function the profile service applies to a file's bytes. Any
// file and any key and value: a text holding CR, LF or NUL is refused; otherwise only the
// value's bytes change or one line is added, every entry keeps its place, new line ends follow
// the file, the reader then sees the new value, and writing it again changes nothing.
#include "check.h"
#include "input.h"
#include "labelreader.h"
#include "profileedit.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using namespace verbolt;

namespace {

struct Entry
{
    std::string_view key;
    std::string_view value;
    std::size_t valueBegin = 0; // after the line's first "="
    std::size_t valueEnd = 0;   // the line end, a CR before its LF excluded
    bool operator==(const Entry &o) const { return key == o.key && value == o.value; }
};

std::vector<Entry> entriesOf(std::string_view bytes)
{
    std::vector<Entry> out;
    LabelReader::forEachLine(bytes, [&](std::string_view line, std::size_t begin, std::size_t) {
        if (const auto e = LabelReader::entryOf(line)) {
            const std::size_t end = begin + line.size() - (line.ends_with('\r') ? 1 : 0);
            out.push_back({e->key, e->value, begin + line.find('=') + 1, end});
        }
    });
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput in(data, size);
    const bool exists = (in.byte() & 1) == 0;
    const std::string key = in.field();
    const std::string value = in.field();
    const std::string old = in.rest();

    const auto out = ProfileEdit::apply(old, exists, {{key, value}});
    FUZZ_CHECK(out.has_value() == (ProfileEdit::storable(key) && ProfileEdit::storable(value)));
    if (!out)
        return 0;
    const std::string_view before = exists ? std::string_view(old) : std::string_view();
    const std::string_view after = *out;

    // The changed bytes: what lies between the common start and the common end.
    std::size_t pre = 0;
    while (pre < before.size() && pre < after.size() && before[pre] == after[pre])
        ++pre;
    std::size_t suf = 0;
    while (suf < before.size() - pre && suf < after.size() - pre &&
           before[before.size() - 1 - suf] == after[after.size() - 1 - suf])
        ++suf;
    const std::string_view removed = before.substr(pre, before.size() - pre - suf);
    const std::string_view added = after.substr(pre, after.size() - pre - suf);

    const std::vector<Entry> oldEntries = entriesOf(before);
    const std::vector<Entry> newEntries = entriesOf(after);
    const std::string_view wanted = Blanks::trim(value);
    if (newEntries.size() == oldEntries.size()) {
        // A present key: at most one entry differs, in its value only, and the file is the
        // old one with exactly the bytes between that line's first "=" and its line end
        // replaced by the value.
        const auto replacedIn = [&](const Entry &e) {
            return after == std::string(before.substr(0, e.valueBegin)) + value +
                                std::string(before.substr(e.valueEnd));
        };
        std::size_t differ = 0;
        for (std::size_t i = 0; i < oldEntries.size(); ++i) {
            if (oldEntries[i] == newEntries[i])
                continue;
            ++differ;
            FUZZ_CHECK(oldEntries[i].key == newEntries[i].key && newEntries[i].value == wanted);
            FUZZ_CHECK(replacedIn(oldEntries[i]));
        }
        FUZZ_CHECK(differ <= 1);
        // Same entries, other bytes: blanks around a value the reader already saw.
        if (differ == 0 && after != before)
            FUZZ_CHECK(std::any_of(oldEntries.begin(), oldEntries.end(), [&](const Entry &e) {
                return e.value == wanted && replacedIn(e);
            }));
    } else {
        // A missing key: one block of whole new text inserted, the old entries all kept in
        // their order around exactly one new entry with the value.
        FUZZ_CHECK(newEntries.size() == oldEntries.size() + 1);
        FUZZ_CHECK(removed.empty());
        std::size_t i = 0;
        while (i < oldEntries.size() && oldEntries[i] == newEntries[i])
            ++i;
        FUZZ_CHECK(newEntries[i].value == wanted || key.find('=') != std::string::npos);
        for (; i < oldEntries.size(); ++i)
            FUZZ_CHECK(oldEntries[i] == newEntries[i + 1]);
        // New line ends are those of the file's first line, or CRLF when it has none.
        const std::size_t bom = LabelReader::bomLength(before);
        const std::size_t firstLf = before.find('\n', bom);
        const bool crlf =
            firstLf == std::string_view::npos || (firstLf > bom && before[firstLf - 1] == '\r');
        for (std::size_t k = 0; k < added.size(); ++k) {
            const std::size_t at = pre + k;
            if (after[at] == '\n')
                FUZZ_CHECK(!crlf || (at > 0 && after[at - 1] == '\r'));
            if (after[at] == '\r')
                FUZZ_CHECK(at + 1 < after.size() && after[at + 1] == '\n');
        }
    }

    // The reader finds the value under the key, and the same write again is a write that
    // changes nothing. A key holding "=" reads as a shorter one: it is never found again.
    if (key.find('=') == std::string::npos) {
        FUZZ_CHECK(ProfileEdit::readValue(after, key) == wanted);
        FUZZ_CHECK(ProfileEdit::apply(after, true, {{key, value}}) == std::string(after));
    }
    return 0;
}
