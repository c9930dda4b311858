#pragma once

#include "filechanges.h"
#include "frenchorder.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace verbolt {

/// Puts a language file's [Label] entries in French order, as a pure function of bytes.
/// Each entry line moves with the comment and blank lines directly above it; the header and
/// what stands above it stay first, what follows the last entry stays last. Each French
/// label takes the first line the file has for it; later lines of a key and keys French
/// lacks follow, in their own order; a label the file lacks gets a new line. Every line keeps
/// its bytes (a last line without a line end gets one); other sections stay where they are.
class LabelAlign
{
public:
    enum class Fill
    {
        Empty,  // new lines "ID="
        French, // new lines "ID=<the French text>"
    };

    struct Aligned
    {
        bool changed = false; // false: the file is in step, `bytes` are the old ones
        std::string bytes;
        std::size_t linesMoved = 0; // entry lines that left their place among the others
        std::size_t labelsAdded = 0;
        FileChanges changes; // to take the rewrite back and make it again
    };

    static Aligned align(const FrenchOrder &order, std::string_view bytes, Fill fill);
    /// What a put-in-order did to a file: "german.lan: 12 lines moved, 3 labels added".
    static std::string describe(std::string_view fileName, const Aligned &aligned);
};

} // namespace verbolt
