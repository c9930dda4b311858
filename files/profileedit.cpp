#include "profileedit.h"
#include "asciifold.h"
#include "blanks.h"

#include "bytebuffer.h"
#include "entrycursor.h"
#include "filechanges.h"
#include "foldedkeyset.h"
#include "labeldirectory.h"
#include "labelreader.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace verbolt {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// One pass over the lines: onKey(key, line, eq, begin, next) for every key line, with its
// key trimmed and `eq` the offset of its first "=" in `line`, and onHeader(isLabel, next) for
// every section header; `next` is the offset after the line. The entry lines are those of
// LabelReader::entryOf, found without building an entry (the value is not needed here).
template <class K, class H> void scan(std::string_view content, K &&onKey, H &&onHeader)
{
    bool inScope = true; // lines before the first header count as section "Label"
    LabelReader::forEachLine(
        content, [&](std::string_view line, std::size_t begin, std::size_t next) {
            if (LabelReader::skippedAtOnce(line)) {
                if (!line.empty() && line[0] == '[') {
                    inScope = ProfileEdit::isLabelHeader(line);
                    onHeader(inScope, next);
                }
                return;
            }
            if (!inScope)
                return;
            const void *eq = std::memchr(line.data(), '=', line.size());
            if (!eq)
                return;
            const auto at = static_cast<std::size_t>(static_cast<const char *>(eq) - line.data());
            onKey(Blanks::trim(line.substr(0, at)), line, at, begin, next);
        });
}

// New lines end like the first line of the file; a file without any line end gets CRLF.
std::string_view lineEndOf(std::string_view content)
{
    const std::size_t bom = LabelReader::bomLength(content);
    const std::size_t lf = content.find('\n', bom);
    if (lf == std::string_view::npos)
        return kCrLf;
    return lf > bom && content[lf - 1] == '\r' ? kCrLf : "\n";
}

// A key line of the original file; the value is the bytes after its first "=" up to the
// line end (a CR before the line feed, or ending the file, belongs to the line end).
struct KeyLine
{
    std::size_t lineBegin;
    std::size_t valueBegin;
    std::size_t valueEnd;
    const std::string *newValue = nullptr; // into the batch's writes
};

// Where a key lives: an original line, or a line this batch inserts.
struct Slot
{
    bool valid = false;
    bool inserted = false;
    std::size_t index = 0;
};

class Batch
{
public:
    Batch(std::string_view old, const std::vector<KeyValue> &writes)
        : m_old(old), m_eol(lineEndOf(old))
    {
        // Only lines whose key is written are recorded: indexing every line of a large file
        // for a write of a few keys costs more than the rest of the write together. A key
        // holding "=" is also known by the shorter key its new line would read as.
        m_wanted.reserve(writes.size());
        for (const KeyValue &kv : writes) {
            m_wanted.insert(Blanks::trim(kv.key));
            if (kv.key.find('=') != std::string::npos)
                m_wanted.insert(Blanks::trim(std::string_view(kv.key).substr(0, kv.key.find('='))));
        }
        m_slots.resize(m_wanted.size());
        bool sawLabel = false;
        bool inFirstLabel = false;
        m_insertAt = old.size();
        scan(
            old,
            [&](std::string_view key, std::string_view line, std::size_t eq, std::size_t begin,
                std::size_t next) {
                if (inFirstLabel)
                    m_insertAt = next;
                const int id = m_wanted.find(key);
                if (id < 0 || m_slots[static_cast<std::size_t>(id)].valid)
                    return; // not written, or not the first line of its key
                std::size_t valueEnd = begin + line.size();
                if (line.back() == '\r')
                    --valueEnd;
                const std::size_t valueBegin = begin + eq + 1;
                m_lines.push_back({begin, valueBegin, valueEnd});
                m_slots[static_cast<std::size_t>(id)] = Slot{true, false, m_lines.size() - 1};
            },
            [&](bool isLabel, std::size_t next) {
                inFirstLabel = isLabel && !sawLabel;
                if (inFirstLabel) {
                    sawLabel = true;
                    m_insertAt = next;
                }
            });
        m_needHeader = !sawLabel;
    }

    void write(const KeyValue &kv)
    {
        const Slot slot = m_slots[static_cast<std::size_t>(m_wanted.find(Blanks::trim(kv.key)))];
        if (!slot.valid) {
            insert(kv);
            return;
        }
        // A value the reader already sees as the new one keeps its bytes: "KEY = text"
        // written with "text" stays as it is, blanks included.
        if (slot.inserted) {
            std::string &line = m_added[slot.index];
            const std::size_t eq = line.find('=') + 1;
            if (Blanks::trim(std::string_view(line).substr(eq)) != kv.value) {
                line.resize(eq);
                line += kv.value;
            }
            return;
        }
        KeyLine &line = m_lines[slot.index];
        const std::string_view current =
            line.newValue ? std::string_view(*line.newValue)
                          : m_old.substr(line.valueBegin, line.valueEnd - line.valueBegin);
        if (Blanks::trim(current) != kv.value)
            line.newValue = &kv.value;
    }

    /// Whether the result differs from the old bytes: a line added, or a value whose new
    /// bytes are not its old ones.
    bool changed() const
    {
        if (!m_added.empty())
            return true;
        for (const KeyLine &line : m_lines)
            if (line.newValue &&
                *line.newValue != m_old.substr(line.valueBegin, line.valueEnd - line.valueBegin))
                return true;
        return false;
    }

    /// What the result changes, key by key, and what it adds around the new lines, into a
    /// record begun for this file.
    void record(FileChanges &changes) const
    {
        // Two passes: the first sizes the record, so its texts are laid down once.
        const auto keyOf = [&](const KeyLine &line) {
            return Blanks::trim(m_old.substr(line.lineBegin, line.valueBegin - 1 - line.lineBegin));
        };
        const auto valueOf = [&](const KeyLine &line) {
            return m_old.substr(line.valueBegin, line.valueEnd - line.valueBegin);
        };
        const auto changedLine = [&](const KeyLine &line) {
            return line.newValue && *line.newValue != valueOf(line);
        };
        // An added line is recorded with its key as written, so that making it again gives
        // the same line, blanks and all.
        const auto addedValue = [&](std::size_t i) {
            const std::string &key = *m_addedKeys[i];
            return std::string_view(m_added[i]).substr(m_added[i].find(key) + key.size() + 1);
        };
        std::size_t count = m_added.size();
        std::size_t bytes = 0;
        for (const KeyLine &line : m_lines)
            if (changedLine(line)) {
                ++count;
                bytes += keyOf(line).size() + valueOf(line).size() + line.newValue->size();
            }
        for (std::size_t i = 0; i < m_added.size(); ++i)
            bytes += m_addedKeys[i]->size() + addedValue(i).size();
        changes.keys.reserve(count, bytes);
        for (const KeyLine &line : m_lines)
            if (changedLine(line))
                changes.keys.add(keyOf(line), valueOf(line), *line.newValue);
        for (std::size_t i = 0; i < m_added.size(); ++i)
            changes.keys.add(*m_addedKeys[i], std::nullopt, addedValue(i));
        changes.lineEndAdded = m_added.empty() ? std::string() : std::string(lineEndFix());
        changes.headerAdded =
            m_added.empty() || !m_needHeader ? std::string() : "[Label]" + std::string(m_eol);
    }

    /// The new bytes, into a std::string or a ByteBuffer (whose memory a large file's write
    /// need not zero first).
    template <class Out> void result(Out &out) const
    {
        std::string block;
        if (!m_added.empty()) {
            block += lineEndFix();
            if (m_needHeader)
                block.append("[Label]").append(m_eol);
            for (const std::string &line : m_added)
                block.append(line).append(m_eol);
        }
        out.clear();
        out.reserve(m_old.size() + block.size());
        std::size_t copied = 0;
        bool blockDone = false;
        auto emitBlock = [&] {
            out.append(m_old.substr(copied, m_insertAt - copied));
            out.append(block);
            copied = m_insertAt;
            blockDone = true;
        };
        for (const KeyLine &line : m_lines) {
            if (!line.newValue)
                continue;
            if (!blockDone && line.lineBegin >= m_insertAt)
                emitBlock();
            out.append(m_old.substr(copied, line.valueBegin - copied));
            out.append(*line.newValue);
            copied = line.valueEnd;
        }
        if (!blockDone)
            emitBlock();
        out.append(m_old.substr(copied));
    }

private:
    // The line end given to a last line that lacks one before new lines follow it.
    std::string_view lineEndFix() const
    {
        if (m_insertAt == m_old.size() && m_old.size() > LabelReader::bomLength(m_old) &&
            m_old.back() != '\n')
            return m_old.back() == '\r' ? "\n" : m_eol;
        return {};
    }

    void insert(const KeyValue &kv)
    {
        // A leading blank keeps a key starting with ";" or "[" an entry line for the reader.
        std::string line;
        if (!kv.key.empty() && (kv.key[0] == ';' || kv.key[0] == '['))
            line += ' ';
        line.append(kv.key).append("=").append(kv.value);
        m_added.push_back(std::move(line));
        m_addedKeys.push_back(&kv.key);

        // The key the reader sees in the new line differs from kv.key only when kv.key holds
        // "="; the new line then becomes the first match of that shorter key unless an
        // earlier line already holds it.
        const auto entry = LabelReader::entryOf(m_added.back());
        assert(entry);
        Slot &slot = m_slots[static_cast<std::size_t>(m_wanted.find(Blanks::trim(entry->key)))];
        if (!slot.valid || (!slot.inserted && m_lines[slot.index].lineBegin >= m_insertAt))
            slot = Slot{true, true, m_added.size() - 1};
    }

    FoldedKeySet m_wanted;
    std::string_view m_old;
    std::string_view m_eol;
    std::vector<KeyLine> m_lines;
    std::vector<Slot> m_slots;                    // by key id
    std::vector<std::string> m_added;             // new lines in order, without line ends
    std::vector<const std::string *> m_addedKeys; // their keys as written
    std::size_t m_insertAt = 0;                   // offset where new lines go
    bool m_needHeader = false; // no "Label" section yet: new lines come after one
};

} // namespace

bool ProfileEdit::isLabelHeader(std::string_view line)
{
    return EntryCursor::isLabelHeader(line);
}

bool ProfileEdit::storable(std::string_view text)
{
    // Three vectorised scans beat one find_first_of, which tests the bytes one by one.
    // An empty view may hold no pointer at all, which memchr must not be given.
    if (text.empty())
        return true;
    return !std::memchr(text.data(), '\n', text.size()) &&
           !std::memchr(text.data(), '\r', text.size()) &&
           !std::memchr(text.data(), '\0', text.size());
}

std::optional<std::string> ProfileEdit::apply(std::string_view oldBytes, bool fileExists,
                                              const std::vector<KeyValue> &writes)
{
    std::string out;
    if (!applyInto(oldBytes, fileExists, writes, out))
        return std::nullopt;
    return out;
}

namespace {

template <class Out>
bool applyTo(std::string_view oldBytes, bool fileExists, const std::vector<KeyValue> &writes,
             Out &out, bool *changed, FileChanges *changes)
{
    if (changes)
        *changes = FileChanges{!fileExists, {}, {}, fileExists ? oldBytes.size() : 0, {}};
    for (const KeyValue &kv : writes) {
        if (!ProfileEdit::storable(kv.key) || !ProfileEdit::storable(kv.value))
            return false;
    }
    if (!fileExists)
        oldBytes = {};
    if (writes.empty()) {
        out.clear();
        out.append(oldBytes);
        if (changed)
            *changed = false;
        return true;
    }
    Batch batch(oldBytes, writes);
    for (const KeyValue &kv : writes)
        batch.write(kv);
    batch.result(out);
    if (changed)
        *changed = batch.changed();
    if (changes)
        batch.record(*changes);
    return true;
}

} // namespace

bool ProfileEdit::applyInto(std::string_view oldBytes, bool fileExists,
                            const std::vector<KeyValue> &writes, std::string &out, bool *changed,
                            FileChanges *changes)
{
    return applyTo(oldBytes, fileExists, writes, out, changed, changes);
}

bool ProfileEdit::applyInto(std::string_view oldBytes, bool fileExists,
                            const std::vector<KeyValue> &writes, ByteBuffer &out, bool *changed,
                            FileChanges *changes)
{
    return applyTo(oldBytes, fileExists, writes, out, changed, changes);
}

std::vector<bool> ProfileEdit::revertInto(std::string_view oldBytes, bool fileExists,
                                          const FileChanges &changes, bool undo, std::string &out)
{
    // The first line of each key, where the writer would find it.
    struct Found
    {
        std::size_t lineBegin = 0;
        std::size_t valueBegin = 0;
        std::size_t valueEnd = 0;
        std::size_t next = 0;
        bool valid = false;
    };
    if (!fileExists)
        oldBytes = {};
    // A key is looked up as the reader sees its line: up to its first "=", trimmed.
    const auto lookup = [](std::string_view key) {
        return Blanks::trim(key.substr(0, key.find('=')));
    };
    FoldedKeySet wanted;
    wanted.reserve(changes.keys.size());
    for (std::size_t i = 0; i < changes.keys.size(); ++i)
        wanted.insert(lookup(changes.keys[i].key));
    std::vector<Found> found(wanted.size());
    scan(
        oldBytes,
        [&](std::string_view key, std::string_view line, std::size_t eq, std::size_t begin,
            std::size_t next) {
            const int id = wanted.find(key);
            if (id < 0 || found[static_cast<std::size_t>(id)].valid)
                return;
            std::size_t valueEnd = begin + line.size();
            if (!line.empty() && line.back() == '\r')
                --valueEnd;
            found[static_cast<std::size_t>(id)] = {begin, begin + eq + 1, valueEnd, next, true};
        },
        [](bool, std::size_t) {});

    // A key is only exchanged where the file still holds what the other side says; what
    // another program changed since stays as it is.
    struct Edit
    {
        std::size_t begin;
        std::size_t end;
        std::optional<std::string> bytes; // nothing: the range goes
    };
    std::vector<Edit> edits;
    std::vector<KeyValue> inserts;
    std::vector<bool> applied(changes.keys.size(), false);
    for (std::size_t i = 0; i < changes.keys.size(); ++i) {
        const KeyChange k = changes.keys[i];
        // The bytes after the line's first "=": for a key that holds one, its rest comes first.
        const std::size_t eq = k.key.find('=');
        const auto raw = [&](std::string_view value) {
            std::string bytes;
            if (eq != std::string_view::npos)
                bytes.append(k.key.substr(eq + 1)).append("=");
            return bytes.append(value);
        };
        const std::optional<std::string> before =
            k.before ? std::optional<std::string>(raw(*k.before)) : std::nullopt;
        const std::optional<std::string> after = raw(k.after);
        const std::optional<std::string> &expected = undo ? after : before;
        const std::optional<std::string> &target = undo ? before : after;
        Found &f = found[static_cast<std::size_t>(wanted.find(lookup(k.key)))];
        if (f.valid != expected.has_value() ||
            (f.valid && oldBytes.substr(f.valueBegin, f.valueEnd - f.valueBegin) != *expected))
            continue;
        if (target && f.valid)
            edits.push_back({f.valueBegin, f.valueEnd, *target});
        else if (target)
            inserts.push_back({std::string(k.key), std::string(undo ? *k.before : k.after)});
        else
            edits.push_back({f.lineBegin, f.next, std::nullopt});
        f.valid = false; // one exchange per line
        applied[i] = true;
    }
    std::sort(edits.begin(), edits.end(),
              [](const Edit &a, const Edit &b) { return a.begin < b.begin; });
    std::string kept;
    kept.reserve(oldBytes.size());
    std::size_t copied = 0;
    for (const Edit &e : edits) {
        kept.append(oldBytes.substr(copied, e.begin - copied));
        if (e.bytes)
            kept.append(*e.bytes);
        copied = e.end;
    }
    kept.append(oldBytes.substr(copied));

    // Keys added again go where the writer puts them, as the first time.
    if (!inserts.empty())
        applyInto(kept, fileExists, inserts, out);
    else
        out = std::move(kept);
    if (undo) {
        // What the write put around the lines it added goes with them: the section header it
        // appended, then the line end it gave the last line.
        const std::string &header = changes.headerAdded;
        const std::size_t at = out.size() - std::min(out.size(), header.size());
        if (!header.empty() && out.ends_with(header) &&
            (at == LabelReader::bomLength(out) || out[at - 1] == '\n'))
            out.resize(at);
        const std::string &lineEnd = changes.lineEndAdded;
        if (!lineEnd.empty() && out.size() == changes.sizeBefore + lineEnd.size() &&
            out.ends_with(lineEnd))
            out.resize(changes.sizeBefore);
    }
    return applied;
}

std::string ProfileEdit::readValue(std::string_view bytes, std::string_view key)
{
    const std::string_view wanted = Blanks::trim(key);
    std::optional<std::string_view> value;
    scan(
        bytes,
        [&](std::string_view found, std::string_view line, std::size_t eq, std::size_t,
            std::size_t) {
            if (!value && AsciiFold::equal(found, wanted))
                value = Blanks::trim(line.substr(eq + 1));
        },
        [](bool, std::size_t) {});
    return std::string(value.value_or(std::string_view()));
}

} // namespace verbolt
