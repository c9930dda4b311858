#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace verbolt::bench {

/// The label files of a generated set: french.lan first, then the eight other languages.
inline constexpr std::array<std::string_view, 9> kLabelFiles = {
    "french.lan",     "english.lan", "italian.lan", "spanish.lan", "german.lan",
    "portuguese.lan", "dutch.lan",   "polish.lan",  "swedish.lan"};

/// How the IDs look. Plain: "IDS_" and one to three short words, then the label's number
/// (IDS_PHOTO_CROP_42). Realistic: the shapes of real resource IDs, long and alike, a few
/// long prefixes and suffixes shared by thousands of IDs with the number in the middle
/// (IDS_DIALOG_MESSAGE_000123_TOOLTIP_TEXT), so that keys differ only in a few middle bytes.
enum class IdShape
{
    Plain,
    Realistic
};

/// What was written.
struct LabelSetInfo
{
    std::size_t labels = 0;
    std::uintmax_t labelFileBytes = 0; // the *.lan files together
    std::uintmax_t commentBytes = 0;   // comments.cmt
};

/// Writes a label set of `labels` IDs into the existing directory `dir` (ending in "/"):
/// the nine label files aligned by position and comments.cmt, Windows-1252, CRLF, a
/// "[Label]" header and a few ";" comment lines, texts of 20 to 80 bytes. The same seed
/// gives the same bytes. Throws std::runtime_error when a file cannot be written.
LabelSetInfo generateLabelSet(const std::string &dir, std::size_t labels, std::uint64_t seed = 1,
                              IdShape shape = IdShape::Plain);

} // namespace verbolt::bench
