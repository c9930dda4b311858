// String-table extraction of any script: the output is a label-file body, "[Label]" first and
// every line ending in CRLF (no bare CR or LF), with at most one entry per line of the
// script.
#include "check.h"
#include "stringtableextractor.h"

#include <cstdint>
#include <string>

using namespace verbolt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view script(reinterpret_cast<const char *>(data), size);
    const std::string out = StringTableExtractor::ExtractStringTable(script);
    FUZZ_CHECK(out.starts_with("[Label]\r\n"));
    FUZZ_CHECK(out.ends_with("\r\n"));
    std::size_t lines = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '\r')
            FUZZ_CHECK(i + 1 < out.size() && out[i + 1] == '\n');
        if (out[i] == '\n') {
            FUZZ_CHECK(i > 0 && out[i - 1] == '\r');
            ++lines;
        }
    }
    // Line ends of the script: LF, CRLF or a lone CR.
    std::size_t scriptLines = 1;
    for (std::size_t i = 0; i < script.size(); ++i)
        if (script[i] == '\n' || (script[i] == '\r' && (i + 1 == size || script[i + 1] != '\n')))
            ++scriptLines;
    FUZZ_CHECK(lines <= scriptLines + 1);
    return 0;
}
