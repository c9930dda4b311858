#include "languagetable.h"
#include "asciifold.h"

#include "controlids.h"
#include "labeldirectory.h"

namespace verbolt {

const std::array<Language, 6> &LanguageTable::languages()
{
    static const std::array<Language, 6> table = {{
        {"FRENCH", IDC_EDIT_FRENCH, "French:", "french.txt"},
        {"ENGLISH", IDC_EDIT_ENGLISH, "English:", "english.txt"},
        {"ITALIAN", IDC_EDIT_ITALIAN, "Italian:", "italian.txt"},
        {"SPANISH", IDC_EDIT_SPANISH, "Spanish:", "spanish.txt"},
        {"GERMAN", IDC_EDIT_GERMAN, "German:", "german.txt"},
        {"PORTUGUESE", IDC_EDIT_PORTUGUESE, "Portuguese:", ""},
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
