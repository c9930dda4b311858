#include "languagetable.h"
#include "asciifold.h"

#include "labeldirectory.h"

namespace verbolt {

const std::array<Language, 6> &LanguageTable::languages()
{
    static const std::array<Language, 6> table = {{
        {"FRENCH", "French:", "french.txt"},
        {"ENGLISH", "English:", "english.txt"},
        {"ITALIAN", "Italian:", "italian.txt"},
        {"SPANISH", "Spanish:", "spanish.txt"},
        {"GERMAN", "German:", "german.txt"},
        {"PORTUGUESE", "Portuguese:", ""},
    }};
    return table;
}

const Language *LanguageTable::byColumnName(std::string_view header)
{
    for (const Language &l : languages())
        if (l.columnName == header)
            return &l;
    return nullptr;
}

const Language *LanguageTable::byName(std::string_view name)
{
    for (const Language &l : languages())
        if (AsciiFold::equal(l.columnName, name))
            return &l;
    return nullptr;
}

} // namespace verbolt
