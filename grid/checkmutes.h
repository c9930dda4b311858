#pragma once

#include "result.h"
#include "textchecks.h"

#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

/// The findings a reviewer has declared right, kept in "checks.ignore" in the label folder
/// so they travel with the labels. One line each: the check's name, a language's column
/// name or "*" for every language, then the label's ID (the rest of the line, so an ID may
/// hold blanks):
///
///     punctuation GERMAN IDS_SAVE_AS
///     numbers * IDS_VERSION
///
/// Lines starting with "#" and blank lines are comments. IDs compare as the writer compares
/// keys: trimmed, without ASCII letter case.
class CheckMutes
{
public:
    static constexpr std::string_view kFileName = "checks.ignore";

    /// Reads the folder's file (`folder` ends in "/"); none there is no mute and no failure.
    /// Lines that name no known check are kept as they are and written back.
    [[nodiscard]] Result read(const std::string &folder);
    /// Writes the file atomically, as the label files are written.
    [[nodiscard]] Result write(const std::string &folder) const;

    /// The same from and to text.
    void parse(std::string_view text);
    std::string text() const;

    /// Whether `check` is muted for `id` in the column headed `column`.
    bool muted(std::string_view id, Check check, std::string_view column) const;
    /// Mutes `check` for `id` in `column`, or in every language when `column` is empty.
    void mute(std::string_view id, Check check, std::string_view column = {});
    /// Takes back a mute given for exactly that column (or all, for an empty one).
    void unmute(std::string_view id, Check check, std::string_view column = {});

private:
    struct Line
    {
        std::string raw;   // as read or as written
        bool mute = false; // false: a comment or a check this version does not know
        Check check = Check::Order;
        std::string column; // empty: every language
        std::string id;
    };
    std::vector<Line> m_lines; // in the file's order, so an edit keeps the rest in place
};

} // namespace verbolt
