#pragma once

#include "labelgrid.h"
#include "labelmarks.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

/// How far one language column is: counts of its cells by what is left to do.
struct LanguageProgress
{
    int column = -1;
    std::string header;
    std::size_t labels = 0;     // rows of the grid
    std::size_t translated = 0; // neither missing, empty nor the same as the French text
    std::size_t missing = 0;
    std::size_t empty = 0;
    std::size_t untranslated = 0; // the same as the French text
    std::size_t needingWork = 0;  // any mark but the weak one
    std::size_t wordsLeft = 0;    // words of the French texts of the lines not translated

    /// Translated labels per thousand, rounded down (so 100% means every one).
    std::size_t perMille() const { return labels ? translated * 1000 / labels : 1000; }
};

/// Progress per language column of a grid, from its marks (computed in full).
class LanguageStats
{
public:
    static std::vector<LanguageProgress> compute(const LabelGrid &grid, const LabelMarks &marks);
    /// "GERMAN: 87.5% translated, 3 missing, 0 empty, 12 untranslated, 4 needing work,
    /// 130 words to translate"
    static std::string describe(const LanguageProgress &p);
    /// Words of a text: runs of bytes other than blanks, an "&" accelerator alone no word.
    static std::size_t countWords(std::string_view text);
};

} // namespace verbolt
