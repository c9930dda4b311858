#pragma once

#include "asciifold.h"
#include "filesystem.h"
#include "result.h"

#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

/// A directory entry taken as a label file, classified by stat() following links.
struct LabelFileEntry
{
    enum class Kind
    {
        File,      // a regular file (or a link to one)
        Directory, // gives an empty column
        Dangling   // a link to nothing: an empty column, written through the link
    };
    std::string name; // as found on disk
    Kind kind = Kind::File;
};

/// What listing a label folder gave: the entries read, and whether the listing went to its
/// end (a failure names the folder and the errno that stopped it).
struct Listing
{
    std::vector<LabelFileEntry> entries;
    Result result = Result::done();
};

/// Where a column's file is, or why there is none to write.
struct Resolved
{
    Result result; // Gone, naming the file, when the column's file has gone
    std::string path;
};

/// Listing and name resolution in the label directory. Names are byte strings; letter case
/// is folded for A-Z only, as file names on disk carry no code page.
class LabelDirectory
{
public:
    /// The process's working directory with "/" appended: the label directory. Empty when
    /// it cannot be read (errno tells why).
    static std::string workingDirectory();

    /// A folder's path as a label directory: ending in "/", as every path in it is the
    /// directory and a file name put together.
    static std::string asDirectory(std::string folder);
    /// A label directory as people read it: without its closing "/" (the root keeps it).
    static std::string shown(const std::string &dir);

    /// Whether the name ends in ".lan" in any letter case.
    static bool hasLanExtension(std::string_view name);
    /// Sort order: A-Z folded to a-z, then unsigned bytes; ties by the unfolded bytes.
    static bool lessByName(std::string_view a, std::string_view b);

    /// Lists the `*.lan` entries of `dir` (ending in "/"), sorted, FIFOs, sockets and devices
    /// left out, and of names that differ only in letter case the first in sorted order.
    /// When the folder cannot be read to its end, the entries read so far and the error.
    static Listing list(const std::string &dir, FileSystem &fs = FileSystem::disk());

    /// The message for a folder that could not be listed whole.
    static std::string unreadableMessage(const std::string &dir);

    /// Whether an entry's name is the French file's, french.lan in any letter case.
    static bool isFrench(std::string_view name) { return AsciiFold::equal(name, "french.lan"); }

    /// The name on disk of the entry of `dir` equal to `name` but for letter case (the exact
    /// name first), or empty when there is none.
    static std::string findName(const std::string &dir, std::string_view name);

    /// The path to write for a file remembered as `nameOnDisk` (may be empty) and otherwise
    /// known as `fallbackName`: the remembered entry while it exists (a dangling link counts),
    /// else an entry equal to `fallbackName` but for letter case, else `dir + fallbackName`.
    static std::string resolve(const std::string &dir, const std::string &nameOnDisk,
                               std::string_view fallbackName);
    /// The same for a write that must not recreate a file under another name: a file read
    /// as `nameOnDisk` that is no longer there (in any letter case) is Gone, naming it; only
    /// a column that never had a file (empty `nameOnDisk`) gets `dir + fallbackName`.
    [[nodiscard]] static Resolved resolveExisting(const std::string &dir,
                                                  const std::string &nameOnDisk,
                                                  std::string_view fallbackName);
};

} // namespace verbolt
