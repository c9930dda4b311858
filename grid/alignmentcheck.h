#pragma once

#include "bytebuffer.h"
#include "foldedkeyset.h"

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace verbolt {

/// Compares label files with the French master position by position, the way the start-up
/// load pairs their entry lines into rows. Keys compare as the profile service compares
/// them: without ASCII letter case and without white space around them. Each problem is
/// one line of output; keys are written as the bytes found in the files, line numbers are
/// 1-based physical lines (a leading byte-order mark belongs to line 1).
class AlignmentCheck
{
public:
    /// Takes the French file's bytes; `frenchName` is the name the messages give it.
    AlignmentCheck(std::string frenchName, ByteBuffer frenchBytes);
    AlignmentCheck(std::string frenchName, std::string_view frenchBytes)
        : AlignmentCheck(std::move(frenchName), ByteBuffer(frenchBytes))
    {}
    // Its entries and key set are views into its own bytes: a copy would point into these.
    AlignmentCheck(const AlignmentCheck &) = delete;
    AlignmentCheck &operator=(const AlignmentCheck &) = delete;

    /// Reports each French ID that stands again after its first line; returns how many.
    std::size_t checkFrench(std::ostream &out) const;

    /// Reports where a language file's keys leave the French order (the first position
    /// only), labels it lacks at the end and entries past the last French label; returns
    /// how many lines it wrote. The file's texts whose placeholders or accelerators differ
    /// from the French text of the same key go to `texts`, a line each.
    std::size_t checkLanguage(std::string_view fileName, std::string_view bytes, std::ostream &out,
                              std::ostream &texts, std::size_t &textLines) const;

    /// Checks the label directory `dir` (ending in "/"): the French file first, then every
    /// other *.lan file in column order. Every file, the French one too, is named as found
    /// on disk ("French.LAN: ..."); "french.lan: not found" when there is none, and
    /// "NAME: cannot be read" for an entry that is a directory, a dangling link or
    /// unreadable. After those lines, one per translation whose placeholders or accelerators
    /// differ from the French text of its key ("english.lan:12: IDS_X: placeholders %d %s
    /// where french.lan has %s %d", "english.lan:12: IDS_X: 0 accelerators where french.lan
    /// has 1"). Returns how many lines it wrote (0: all aligned), or nothing, having written
    /// nothing, when the folder cannot be listed whole.
    static std::optional<std::size_t> checkDirectory(const std::string &dir, std::ostream &out);

private:
    struct Entry
    {
        std::string_view key;   // trimmed, a slice of m_bytes
        std::string_view value; // as the reader has it
        std::size_t line = 0;
        std::size_t first = 0; // the entry of this key's first line
    };

    /// The texts of a translation line against the French text of its key.
    void checkText(std::string_view fileName, std::size_t line, std::string_view key,
                   std::string_view text, const Entry &french, std::ostream &texts,
                   std::size_t &textLines) const;

    std::string m_name;
    ByteBuffer m_bytes;
    std::vector<Entry> m_entries;
    FoldedKeySet m_ids; // the French IDs; an id's first entry is m_firsts[id]
    std::vector<std::size_t> m_firsts;
};

} // namespace verbolt
