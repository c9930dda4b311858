#include "profileedit.h"
#include "asciifold.h"
#include "blanks.h"

#include "bytebuffer.h"
#include "entrycursor.h"
#include "filechanges.h"
#include "foldedkeyset.h"
#include "frenchorder.h"
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
    EntryCursor cursor(content);
    Entry e;
    while (cursor.next(e, onHeader))
        if (e.inLabel)
            onKey(e.key, content.substr(e.begin, e.end - e.begin), e.eq - e.begin, e.begin, e.next);
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
    Batch(std::string_view old, const std::vector<KeyValue> &writes, const FrenchOrder *order)
        : m_wantedAt(scratch().wantedAt), m_old(old), m_eol(lineEndOf(old)), m_order(order),
          m_held(scratch().held)
    {
        m_wantedAt.clear();
        m_held.clear();
        // Only lines whose key is written are recorded: indexing every line of a large file
        // for a write of a few keys costs more than the rest of the write together.
        // With a French order, a line's place in it is most often the one after the last
        // line's (a file in step): one comparison. Many written keys are then told apart by
        // their French places, each key's found once, and no line's key is hashed; keys the
        // order lacks, and all keys of a few writes, are hashed. A key holding "=" is also
        // known by the shorter key its new line would read as.
        const bool plainKeys = std::none_of(writes.begin(), writes.end(), [](const KeyValue &kv) {
            return kv.key.find('=') != std::string::npos;
        });
        m_byPlace = m_order && writes.size() > ProfileEdit::kFewWrites && plainKeys;
        m_places.assign(writes.size(), -1);
        if (m_byPlace) {
            m_wantedAt.assign(m_order->size(), -1);
            for (std::size_t k = 0; k < writes.size(); ++k) {
                const int p = m_order->position(writes[k].key, writes[k].place);
                m_places[k] = p;
                if (p >= 0 && m_wantedAt[static_cast<std::size_t>(p)] < 0)
                    m_wantedAt[static_cast<std::size_t>(p)] = m_placeIds++;
            }
        }
        if (!m_byPlace)
            m_wanted.reserve(writes.size());
        for (std::size_t k = 0; k < writes.size(); ++k) {
            if (m_places[k] >= 0)
                continue;
            const std::string &key = writes[k].key;
            m_wanted.insert(Blanks::trim(key));
            if (key.find('=') != std::string::npos)
                m_wanted.insert(Blanks::trim(std::string_view(key).substr(0, key.find('='))));
        }
        m_slots.resize(static_cast<std::size_t>(m_placeIds) + m_wanted.size());
        int last = -1; // the French place of the last line that has one
        bool sawLabel = false;
        bool inFirstLabel = false;
        m_insertAt = old.size();
        const auto onKey = [&](const Entry &e, int p) {
            if (inFirstLabel)
                m_insertAt = e.next;
            // With a French order, new lines are expected: where the labels are that the
            // file holds is learnt in this same pass.
            if (m_order) {
                if (p < 0)
                    p = m_order->position(e.key, last + 1);
                if (p >= 0) {
                    m_held.push_back({p, e.begin, e.next});
                    last = p;
                }
            }
            const int id =
                p >= 0 && m_byPlace ? m_wantedAt[static_cast<std::size_t>(p)] : hashedId(e.key);
            if (id < 0 || m_slots[static_cast<std::size_t>(id)].valid)
                return; // not written, or not the first line of its key
            const std::size_t valueEnd = m_old[e.end - 1] == '\r' ? e.end - 1 : e.end;
            m_lines.push_back({e.begin, e.eq + 1, valueEnd});
            m_slots[static_cast<std::size_t>(id)] = Slot{true, false, m_lines.size() - 1};
        };
        const auto onHeader = [&](bool isLabel, std::size_t next) {
            inFirstLabel = isLabel && !sawLabel;
            if (inFirstLabel) {
                sawLabel = true;
                m_insertAt = next;
            }
        };
        if (m_order && m_order->size() > ProfileEdit::kFewWrites)
            m_held.reserve(m_order->size());
        EntryCursor cursor(old);
        for (Entry e;;) {
            // A file in step holds the next French label on its next line, most often
            // spelt as French spells it: known by its first bytes.
            if (const auto after = static_cast<std::size_t>(last + 1);
                m_order && cursor.inLabel() && after < m_order->size() &&
                cursor.nextIs(m_order->key(after), e)) {
                onKey(e, last + 1);
                continue;
            }
            if (!cursor.next(e, onHeader))
                break;
            if (e.inLabel)
                onKey(e, -1);
        }
        m_needHeader = !sawLabel;
    }

    Batch(const Batch &) = delete;
    Batch &operator=(const Batch &) = delete;
    ~Batch()
    {
        // Kept for the next batch of this thread, so that a command writing several files
        // does not fault in fresh pages for each; given back when large.
        constexpr std::size_t kKeep = std::size_t{16} << 20;
        if (m_held.capacity() * sizeof(Held) > kKeep)
            std::vector<Held>().swap(m_held);
        if (m_wantedAt.capacity() * sizeof(int) > kKeep)
            std::vector<int>().swap(m_wantedAt);
    }

    /// Writes `kv`, the k-th of the writes the batch was made with.
    void write(std::size_t k, const KeyValue &kv)
    {
        const Slot slot = m_slots[static_cast<std::size_t>(idOf(k, kv.key))];
        if (!slot.valid) {
            insert(k, kv);
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
        changes.lineEndAdded = std::string(lineEndFix());
        changes.headerAdded = headerNeeded() ? "[Label]" + std::string(m_eol) : std::string();
    }

    /// The new bytes, into a std::string or a ByteBuffer (whose memory a large file's write
    /// need not zero first).
    template <class Out> void result(Out &out) const
    {
        const std::vector<Block> blocks = placedBlocks();
        std::size_t added = 0;
        for (const Block &b : blocks)
            added += b.bytes.size();
        out.clear();
        out.reserve(m_old.size() + added);
        std::size_t copied = 0;
        auto block = blocks.begin();
        const auto emitBlocksUpTo = [&](std::size_t offset) {
            for (; block != blocks.end() && block->at <= offset; ++block) {
                out.append(m_old.substr(copied, block->at - copied));
                out.append(block->bytes);
                copied = block->at;
            }
        };
        for (const KeyLine &line : m_lines) {
            if (!line.newValue)
                continue;
            emitBlocksUpTo(line.lineBegin);
            out.append(m_old.substr(copied, line.valueBegin - copied));
            out.append(*line.newValue);
            copied = line.valueEnd;
        }
        emitBlocksUpTo(m_old.size());
        out.append(m_old.substr(copied));
    }

private:
    // A line of a label French order knows.
    struct Held
    {
        int position;
        std::size_t begin;
        std::size_t next;
    };
    struct Scratch
    {
        std::vector<int> wantedAt;
        std::vector<Held> held;
    };
    static Scratch &scratch()
    {
        static thread_local Scratch s;
        return s;
    }
    // New lines put in at one offset, in order.
    struct Block
    {
        std::size_t at;
        std::string bytes;
    };

    // Where each new line goes. Without a French order, or for a key French lacks, after the
    // last entry line of the first [Label] section. Else at its French place: right after the
    // line of the nearest label above it in French order that the file holds, else right
    // before that of the nearest one below. New lines at one place stay in French order,
    // so a batch lands as one write after the other would put it.
    struct Placed
    {
        std::size_t at;
        int kind; // 0 after a line, 1 before a line, 2 the section's end
        std::size_t seq;
        int position;
        std::size_t index; // into m_added
        bool operator<(const Placed &o) const
        {
            if (at != o.at)
                return at < o.at;
            if (kind != o.kind)
                return kind < o.kind;
            if (seq != o.seq)
                return seq < o.seq;
            return position < o.position;
        }
    };

    const std::vector<Placed> &placement() const
    {
        if (!m_placed)
            m_placed = place();
        return *m_placed;
    }

    std::vector<Placed> place() const
    {
        std::vector<Held> sorted;
        const bool french = m_order && std::any_of(m_addedPositions.begin(), m_addedPositions.end(),
                                                   [](int p) { return p >= 0; });
        // A file in step holds its labels in French order, each once: taken as it is.
        const bool inOrder = french && std::adjacent_find(m_held.begin(), m_held.end(),
                                                          [](const Held &a, const Held &b) {
                                                              return a.position >= b.position;
                                                          }) == m_held.end();
        if (french && !inOrder) {
            sorted = m_held;
            // The first line of a key is where it is.
            std::stable_sort(sorted.begin(), sorted.end(),
                             [](const Held &a, const Held &b) { return a.position < b.position; });
            sorted.erase(
                std::unique(sorted.begin(), sorted.end(),
                            [](const Held &a, const Held &b) { return a.position == b.position; }),
                sorted.end());
        }
        const std::vector<Held> &held = inOrder ? m_held : sorted;
        std::vector<Placed> placed;
        placed.reserve(m_added.size());
        std::size_t firstKnown = SIZE_MAX; // without a held label, French ones stay together
        for (std::size_t i = 0; i < m_added.size(); ++i) {
            const int p = m_order ? m_addedPositions[i] : -1;
            if (p >= 0 && !held.empty()) {
                const auto below =
                    std::lower_bound(held.begin(), held.end(), p, [](const Held &h, int position) {
                        return h.position < position;
                    });
                if (below != held.begin())
                    placed.push_back({std::prev(below)->next, 0, 0, p, i});
                else
                    placed.push_back({below->begin, 1, 0, p, i});
                continue;
            }
            if (p >= 0 && firstKnown == SIZE_MAX)
                firstKnown = i;
            placed.push_back({m_insertAt, 2, p >= 0 ? firstKnown : i, p, i});
        }
        if (!std::is_sorted(placed.begin(), placed.end())) // most often made in order
            std::sort(placed.begin(), placed.end());
        return placed;
    }

    std::vector<Block> placedBlocks() const
    {
        std::vector<Block> blocks;
        bool headerDone = !m_needHeader;
        for (const Placed &p : placement()) {
            if (blocks.empty() || blocks.back().at != p.at) {
                blocks.push_back({p.at, {}});
                if (p.at == m_old.size())
                    blocks.back().bytes += lineEndFix();
            }
            std::string &bytes = blocks.back().bytes;
            if (p.kind == 2 && !headerDone) {
                bytes.append("[Label]").append(m_eol);
                headerDone = true;
            }
            bytes.append(m_added[p.index]).append(m_eol);
        }
        return blocks;
    }

    bool headerNeeded() const
    {
        if (!m_needHeader)
            return false;
        for (const Placed &p : placement())
            if (p.kind == 2)
                return true;
        return false;
    }

    // The line end given to a last line that lacks one before new lines follow it.
    std::string_view lineEndFix() const
    {
        if (m_old.size() <= LabelReader::bomLength(m_old) || m_old.back() == '\n')
            return {};
        for (const Placed &p : placement())
            if (p.at == m_old.size())
                return m_old.back() == '\r' ? "\n" : m_eol;
        return {};
    }

    // A written key's slot: by its French place, else by its hash.
    int idOf(std::size_t k, std::string_view key) const
    {
        const int p = m_places[k];
        return p >= 0 ? m_wantedAt[static_cast<std::size_t>(p)] : hashedId(Blanks::trim(key));
    }
    int hashedId(std::string_view key) const
    {
        if (m_wanted.size() == 0)
            return -1;
        const int i = m_wanted.find(key);
        return i < 0 ? -1 : m_placeIds + i;
    }

    void insert(std::size_t k, const KeyValue &kv)
    {
        // A leading blank keeps a key starting with ";" or "[" an entry line for the reader.
        std::string line;
        if (!kv.key.empty() && (kv.key[0] == ';' || kv.key[0] == '['))
            line += ' ';
        line.append(kv.key).append("=").append(kv.value);
        m_added.push_back(std::move(line));
        m_addedKeys.push_back(&kv.key);
        m_addedPositions.push_back(!m_order    ? -1
                                   : m_byPlace ? m_places[k]
                                               : m_order->position(kv.key));

        // The key the reader sees in the new line differs from kv.key only when kv.key holds
        // "="; the new line then becomes the first match of that shorter key unless an
        // earlier line already holds it.
        const auto entry = LabelReader::entryOf(m_added.back());
        assert(entry);
        Slot &slot = m_slots[static_cast<std::size_t>(idOf(k, entry->key))];
        if (!slot.valid || (!slot.inserted && m_lines[slot.index].lineBegin >= m_insertAt))
            slot = Slot{true, true, m_added.size() - 1};
    }

    FoldedKeySet m_wanted;        // written keys without a French place, hashed
    std::vector<int> m_places;    // by write: its French place, or -1 when hashed
    std::vector<int> &m_wantedAt; // by French place: the slot of the key written there
    int m_placeIds = 0;           // slots of keys told by place, before the hashed ones
    bool m_byPlace = false;
    std::string_view m_old;
    std::string_view m_eol;
    std::vector<KeyLine> m_lines;
    std::vector<Slot> m_slots;                    // by key id
    std::vector<std::string> m_added;             // new lines in order, without line ends
    std::vector<const std::string *> m_addedKeys; // their keys as written
    std::vector<int> m_addedPositions;            // their places in French order, or -1
    const FrenchOrder *m_order;
    std::vector<Held> &m_held; // the file's lines of French labels, in file order
    mutable std::optional<std::vector<Placed>> m_placed; // made once the writes are in
    std::size_t m_insertAt = 0;                          // offset where new lines go
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
                                              const std::vector<KeyValue> &writes,
                                              const FrenchOrder *order)
{
    std::string out;
    if (!applyInto(oldBytes, fileExists, writes, out, nullptr, nullptr, order))
        return std::nullopt;
    return out;
}

namespace {

template <class Out>
bool applyTo(std::string_view oldBytes, bool fileExists, const std::vector<KeyValue> &writes,
             Out &out, bool *changed, FileChanges *changes, const FrenchOrder *order)
{
    if (changes)
        *changes = FileChanges{!fileExists, {}, {}, fileExists ? oldBytes.size() : 0, {}, nullptr};
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
    Batch batch(oldBytes, writes, order);
    for (std::size_t k = 0; k < writes.size(); ++k)
        batch.write(k, writes[k]);
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
                            FileChanges *changes, const FrenchOrder *order)
{
    return applyTo(oldBytes, fileExists, writes, out, changed, changes, order);
}

bool ProfileEdit::applyInto(std::string_view oldBytes, bool fileExists,
                            const std::vector<KeyValue> &writes, ByteBuffer &out, bool *changed,
                            FileChanges *changes, const FrenchOrder *order)
{
    return applyTo(oldBytes, fileExists, writes, out, changed, changes, order);
}

std::vector<bool> ProfileEdit::revertInto(std::string_view oldBytes, bool fileExists,
                                          const FileChanges &changes, bool undo, std::string &out,
                                          const FrenchOrder *order)
{
    if (changes.lines) {
        if (revertLines(oldBytes, fileExists, *changes.lines, changes.lineEndAdded, undo, out))
            return {true};
        out.assign(fileExists ? oldBytes : std::string_view());
        return {false};
    }
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
        applyInto(kept, fileExists, inserts, out, nullptr, nullptr, order);
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

namespace verbolt {

namespace {

// The next line of `text` from `pos`, with its line feed.
std::string_view nextLine(std::string_view text, std::size_t &pos)
{
    const std::size_t lf = text.find('\n', pos);
    const std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
    const std::string_view line = text.substr(pos, end - pos);
    pos = end;
    return line;
}

} // namespace

// What a rewrite of whole lines left, to know it again before it is undone: a whole file
// is hashed twice per rewrite, so 32 bytes a round in four independent lanes. Not for
// strangers' input: only Verbolt's own records compare these.
std::size_t ProfileEdit::hashOf(std::string_view bytes)
{
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
    std::uint64_t lane[4] = {bytes.size(), kMul, ~kMul, kMul >> 1};
    const char *p = bytes.data();
    std::size_t n = bytes.size();
    const auto mix = [](std::uint64_t h, std::uint64_t x) {
        h = (h ^ x) * kMul;
        return h ^ (h >> 29);
    };
    for (; n >= 32; p += 32, n -= 32)
        for (int k = 0; k < 4; ++k) {
            std::uint64_t x;
            std::memcpy(&x, p + 8 * k, 8);
            lane[k] = mix(lane[k], x);
        }
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t x;
        std::memcpy(&x, p, 8);
        lane[0] = mix(lane[0], x);
    }
    std::uint64_t tail = 0;
    for (std::size_t i = 0; i < n; ++i)
        tail = tail << 8 | static_cast<unsigned char>(p[i]);
    std::uint64_t h = mix(lane[0], tail);
    for (int k = 1; k < 4; ++k)
        h = mix(h, lane[k]);
    return static_cast<std::size_t>(h);
}

std::string_view ProfileEdit::lineEndOf(std::string_view bytes)
{
    return verbolt::lineEndOf(bytes);
}

std::vector<std::pair<std::size_t, std::size_t>> ProfileEdit::linesOf(std::string_view bytes)
{
    std::vector<std::pair<std::size_t, std::size_t>> lines;
    LabelReader::forEachLine(bytes, [&](std::string_view, std::size_t begin, std::size_t next) {
        lines.emplace_back(begin, next);
    });
    return lines;
}

namespace {

// The lines of `keys` out of the bytes, into a string or a kept buffer.
template <class Out>
std::size_t removeLines(std::string_view oldBytes, const std::vector<std::string> &keys, Out &out,
                        FileChanges *changes)
{
    FoldedKeySet wanted;
    wanted.reserve(keys.size());
    for (const std::string &key : keys)
        wanted.insert(Blanks::trim(key));
    std::vector<bool> found(wanted.size(), false);
    struct Gone
    {
        std::size_t line; // 0-based, after a byte-order mark
        std::size_t begin;
        std::size_t next;
    };
    std::vector<Gone> gone;
    EntryCursor cursor(oldBytes);
    Entry e;
    while (cursor.next(e)) {
        if (!e.inLabel)
            continue;
        const int id = wanted.find(e.key);
        if (id < 0 || found[static_cast<std::size_t>(id)])
            continue;
        found[static_cast<std::size_t>(id)] = true;
        gone.push_back({e.line - 1, e.begin, e.next});
    }
    out.clear();
    out.reserve(oldBytes.size());
    std::size_t copied = 0;
    for (const Gone &g : gone) {
        out.append(oldBytes.substr(copied, g.begin - copied));
        copied = g.next;
    }
    out.append(oldBytes.substr(copied));
    if (changes) {
        *changes = FileChanges{false, {}, {}, oldBytes.size(), {}, nullptr};
        if (!gone.empty()) {
            auto map = std::make_shared<LineMap>();
            map->oldLines = static_cast<std::uint32_t>(cursor.lines());
            std::size_t line = 0;
            for (const Gone &g : gone) {
                if (g.line > line)
                    map->runs.push_back({static_cast<std::uint32_t>(line),
                                         static_cast<std::uint32_t>(g.line - line)});
                map->removed.append(oldBytes.substr(g.begin, g.next - g.begin));
                line = g.line + 1;
            }
            if (map->oldLines > line)
                map->runs.push_back({static_cast<std::uint32_t>(line),
                                     static_cast<std::uint32_t>(map->oldLines - line)});
            map->sizeBefore = oldBytes.size();
            map->sizeAfter = out.size();
            map->hashBefore = ProfileEdit::hashOf(oldBytes);
            map->hashAfter = ProfileEdit::hashOf(std::string_view(out.data(), out.size()));
            changes->lines = std::move(map);
        }
    }
    return gone.size();
}

} // namespace

std::size_t ProfileEdit::removeInto(std::string_view oldBytes, const std::vector<std::string> &keys,
                                    std::string &out, FileChanges *changes)
{
    return removeLines(oldBytes, keys, out, changes);
}

std::size_t ProfileEdit::removeInto(std::string_view oldBytes, const std::vector<std::string> &keys,
                                    ByteBuffer &out, FileChanges *changes)
{
    return removeLines(oldBytes, keys, out, changes);
}

bool ProfileEdit::revertLines(std::string_view bytes, bool fileExists, const LineMap &map,
                              std::string_view lineEndAdded, bool undo, std::string &out)
{
    if (!fileExists || bytes.size() != (undo ? map.sizeAfter : map.sizeBefore) ||
        hashOf(bytes) != (undo ? map.hashAfter : map.hashBefore))
        return false;
    const std::vector<std::pair<std::size_t, std::size_t>> lines = linesOf(bytes);
    const auto line = [&](std::size_t i) {
        return bytes.substr(lines[i].first, lines[i].second - lines[i].first);
    };
    const std::uint32_t lastOld = map.oldLines - 1;
    std::string result(bytes.substr(0, LabelReader::bomLength(bytes)));
    result.reserve(undo ? map.sizeBefore : map.sizeAfter);
    if (!undo) {
        std::size_t added = 0;
        for (const LineMap::Run &run : map.runs) {
            for (std::uint32_t i = 0; i < run.count; ++i) {
                if (run.first == LineMap::kAdded) {
                    result.append(nextLine(map.added, added));
                    continue;
                }
                result.append(line(run.first + i));
                if (run.first + i == lastOld)
                    result.append(lineEndAdded);
            }
        }
    } else {
        // The runs in old order, each with the line of the result it starts at.
        std::vector<std::pair<LineMap::Run, std::size_t>> kept;
        std::size_t at = 0;
        for (const LineMap::Run &run : map.runs) {
            if (run.first != LineMap::kAdded)
                kept.push_back({run, at});
            at += run.count;
        }
        std::sort(kept.begin(), kept.end(),
                  [](const auto &a, const auto &b) { return a.first.first < b.first.first; });
        std::size_t removed = 0;
        std::uint32_t next = 0;
        for (const auto &[run, from] : kept) {
            for (; next < run.first; ++next)
                result.append(nextLine(map.removed, removed));
            for (std::uint32_t i = 0; i < run.count; ++i) {
                std::string_view text = line(from + i);
                if (run.first + i == lastOld && text.ends_with(lineEndAdded))
                    text.remove_suffix(lineEndAdded.size());
                result.append(text);
            }
            next = run.first + run.count;
        }
        for (; next < map.oldLines; ++next)
            result.append(nextLine(map.removed, removed));
    }
    out = std::move(result);
    return true;
}

} // namespace verbolt
