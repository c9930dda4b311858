#pragma once

#include "asciifold.h"
#include "blanks.h"
#include "bytebuffer.h"
#include "filechanges.h"
#include "keyvalue.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace verbolt {

class FrenchOrder;

/// The profile rules of label files as pure functions of bytes: which line holds a key of
/// section "Label", and what a file becomes when keys are written to it. No disk access, so
/// the rules can be tested and fuzzed on their own.
///
/// Key lines are the entry lines of the label reader that stand before the first section
/// header or in any section named "Label" (letter case and blanks around the name ignored).
/// Keys compare without ASCII letter case and without white space around them; the first
/// matching line wins.
class ProfileEdit
{
public:
    /// Up to this many keys a write finds its lines by the keys alone; more are found by
    /// their French places when a French order is given.
    static constexpr std::size_t kFewWrites = 64;
    /// Whether `text` can stand in a key or a value: no CR, LF or NUL.
    static bool storable(std::string_view text);
    /// Whether a section header line (its first byte "[") opens a [Label] section: the name
    /// up to the first "]" (or the line end), trimmed, in any letter case.
    static bool isLabelHeader(std::string_view line);
    /// Whether two keys are the same key: white space around them and ASCII letter case
    /// do not count.
    static bool sameKey(std::string_view a, std::string_view b)
    {
        return AsciiFold::equal(Blanks::trim(a), Blanks::trim(b));
    }

    /// The file content after writing `writes` in order, exactly as one write after the other
    /// would leave it. A present key gets its bytes after the line's first "=" replaced; a
    /// missing one a new line after the last entry line of the first "Label" section (a
    /// section created at the end when there is none), or, given the French `order`, at its
    /// French place: right after the line of the nearest label above it in French order that
    /// the file holds, else right before that of the nearest one below. New line ends follow the
    /// file's first line (CRLF for a new file). Nothing when a key or value is not storable.
    /// `oldBytes` is ignored when `fileExists` is false.
    static std::optional<std::string> apply(std::string_view oldBytes, bool fileExists,
                                            const std::vector<KeyValue> &writes,
                                            const FrenchOrder *order = nullptr);
    /// The same into `out`, whose memory is reused; false when not storable. With `changed`,
    /// says whether `out` differs from `oldBytes`, without comparing whole files.
    /// With `changes`, records what the write changes, to take it back later.
    static bool applyInto(std::string_view oldBytes, bool fileExists,
                          const std::vector<KeyValue> &writes, std::string &out,
                          bool *changed = nullptr, FileChanges *changes = nullptr,
                          const FrenchOrder *order = nullptr);
    static bool applyInto(std::string_view oldBytes, bool fileExists,
                          const std::vector<KeyValue> &writes, ByteBuffer &out,
                          bool *changed = nullptr, FileChanges *changes = nullptr,
                          const FrenchOrder *order = nullptr);

    /// Takes back (`undo`) or makes again what a write recorded in `changes` did: each key
    /// whose first line still holds the bytes the other side left (or has no line, for a key
    /// the write added) gets the bytes of this side (or loses its line); the header and the
    /// line end the write added go with its lines. Returns, key by key, whether it was
    /// exchanged: a key another program changed since is left as it is. Keys added again go
    /// to their French place given `order`. A rewrite of whole lines is exchanged only while
    /// the file holds all the other side left: one flag.
    static std::vector<bool> revertInto(std::string_view oldBytes, bool fileExists,
                                        const FileChanges &changes, bool undo, std::string &out,
                                        const FrenchOrder *order = nullptr);

    /// Takes out, for each key, the line its writes go to (its first line in [Label] scope);
    /// the comment lines above it stay. Returns how many lines went; with `changes`, records
    /// them so that undo puts the same bytes back at the same place.
    static std::size_t removeInto(std::string_view oldBytes, const std::vector<std::string> &keys,
                                  std::string &out, FileChanges *changes = nullptr);
    /// The same into a buffer kept between writes.
    static std::size_t removeInto(std::string_view oldBytes, const std::vector<std::string> &keys,
                                  ByteBuffer &out, FileChanges *changes = nullptr);
    /// The hash a rewrite of whole lines records of the file before and after it.
    static std::size_t hashOf(std::string_view bytes);

    /// The bytes of a rewrite of whole lines recorded in `map`, from the file as it was
    /// before (`undo` false) or after it; false, leaving `out` as it is, when the file no
    /// longer holds those bytes. `lineEndAdded`: the line end given to the old last line.
    static bool revertLines(std::string_view bytes, bool fileExists, const LineMap &map,
                            std::string_view lineEndAdded, bool undo, std::string &out);
    /// The lines of `bytes` after a byte-order mark: [begin, next) offsets, with line feeds.
    static std::vector<std::pair<std::size_t, std::size_t>> linesOf(std::string_view bytes);
    /// The line end new lines take: that of the first line, CRLF when there is none.
    static std::string_view lineEndOf(std::string_view bytes);

    /// The value of `key` in section "Label" of `bytes`, trimmed as the label reader trims
    /// it (quotes kept); empty when the key is missing.
    static std::string readValue(std::string_view bytes, std::string_view key);
};

} // namespace verbolt
