#include "languagestats.h"

namespace verbolt {

std::size_t LanguageStats::countWords(std::string_view text)
{
    std::size_t words = 0;
    bool inWord = false;
    for (const char c : text) {
        const bool blank = c == ' ' || (c >= '\t' && c <= '\r');
        if (!blank && c != '&' && !inWord)
            ++words;
        inWord = !blank && (inWord || c != '&');
    }
    return words;
}

std::vector<LanguageProgress> LanguageStats::compute(const LabelGrid &grid, const LabelMarks &marks)
{
    std::vector<LanguageProgress> out;
    const int rows = grid.rowCount();
    for (int column = 2; column < grid.columnCount(); ++column) {
        LanguageProgress p;
        p.column = column;
        p.header = std::string(grid.header(column).value_or(""));
        p.labels = static_cast<std::size_t>(rows);
        for (int row = 0; row < rows; ++row) {
            const MarkSet m = marks.at(row, column);
            p.missing += (m & Mark::Missing) != 0;
            p.empty += (m & Mark::Empty) != 0;
            p.untranslated += (m & Mark::Untranslated) != 0;
            p.needingWork += (m & Mark::kNeedsWork) != 0;
            if (m & (Mark::Missing | Mark::Empty | Mark::Untranslated))
                p.wordsLeft += countWords(grid.itemText(row, 1));
            else
                ++p.translated;
        }
        out.push_back(std::move(p));
    }
    return out;
}

std::string LanguageStats::describe(const LanguageProgress &p)
{
    const std::size_t pm = p.perMille();
    return p.header + ": " + std::to_string(pm / 10) + "." + std::to_string(pm % 10) +
           "% translated, " + std::to_string(p.missing) + " missing, " + std::to_string(p.empty) +
           " empty, " + std::to_string(p.untranslated) + " untranslated, " +
           std::to_string(p.needingWork) + " needing work, " + std::to_string(p.wordsLeft) +
           " words to translate";
}

} // namespace verbolt
