// String-table extraction of any script: the output is a label-file body, "[Label]" first and
// every line ending in CRLF (no bare CR or LF), each entry an ID that does not begin with a
// blank, "=" and a text, and no more entries than the script has quotes.
#include "check.h"
#include "stringtableextractor.h"

#include <algorithm>
#include <cstdint>
#include <string>

using namespace verbolt;

namespace {

bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view script(reinterpret_cast<const char *>(data), size);
    const std::string out = StringTableExtractor::ExtractStringTable(script);
    FUZZ_CHECK(out.starts_with("[Label]\r\n"));
    FUZZ_CHECK(out.ends_with("\r\n"));
    std::size_t entries = 0;
    for (std::size_t start = 9; start < out.size();) {
        const std::size_t end = out.find("\r\n", start);
        const std::string_view line = std::string_view(out).substr(start, end - start);
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string_view::npos);
        // An ID is never empty nor begins with a blank (it may hold "=" itself).
        FUZZ_CHECK(!line.empty() && !isBlank(line.front()));
        FUZZ_CHECK(line.find('=') != std::string_view::npos);
        ++entries;
        start = end + 2;
    }
    FUZZ_CHECK(entries <= static_cast<std::size_t>(std::count(script.begin(), script.end(), '"')));
    return 0;
}
