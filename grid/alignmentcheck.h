#pragma once

#include "bytebuffer.h"

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

    /// Reports each French ID that stands again after its first line; returns how many.
    std::size_t checkFrench(std::ostream &out) const;

    /// Reports where a language file's keys leave the French order (the first position
    /// only), labels it lacks at the end and entries past the last French label; returns
    /// how many lines it wrote.
    std::size_t checkLanguage(std::string_view fileName, std::string_view bytes,
                              std::ostream &out) const;

    /// Checks the label directory `dir` (ending in "/"): the French file first, then every
    /// other *.lan file in column order. Every file, the French one too, is named as found
    /// on disk ("French.LAN: ..."); "french.lan: not found" when there is none, and
    /// "NAME: cannot be read" for an entry that is a directory, a dangling link or
    /// unreadable. Returns how many lines it wrote (0: all aligned), or nothing, having
    /// written nothing, when the folder cannot be listed whole.
    static std::optional<std::size_t> checkDirectory(const std::string &dir, std::ostream &out);

    /// Whether two keys are the same key: trimmed, A-Z folded.
    static bool sameKey(std::string_view a, std::string_view b);

private:
    struct Entry
    {
        std::string_view key; // trimmed, a slice of m_bytes
        std::size_t line = 0;
    };

    std::string m_name;
    ByteBuffer m_bytes;
    std::vector<Entry> m_entries;
};

} // namespace verbolt
