// String-table extraction of any script: the output is a label-file body, "[Label]" first and
// every line ending in CRLF (no bare CR or LF), each entry an ID that does not begin with a
// blank, "=" and a text, and no more entries than the script has quotes. Only a script that begins
// with a UTF-16 byte-order mark can be refused. An ASCII script gives the same output from its
// UTF-16 forms as from its bytes.
#include "check.h"
#include "stringtableextractor.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

using namespace verbolt;

namespace {

bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string utf16(std::string_view ascii, bool littleEndian)
{
    std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (const char c : ascii) {
        out += littleEndian ? c : '\0';
        out += littleEndian ? '\0' : c;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view script(reinterpret_cast<const char *>(data), size);
    const bool wide = script.starts_with("\xFF\xFE") || script.starts_with("\xFE\xFF");
    const std::optional<std::string> extracted = StringTableExtractor::ExtractStringTable(script);
    FUZZ_CHECK(extracted || wide);
    if (!extracted)
        return 0;

    const std::string &out = *extracted;
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

    if (!wide && std::all_of(script.begin(), script.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        FUZZ_CHECK(StringTableExtractor::ExtractStringTable(utf16(script, true)) == out);
        FUZZ_CHECK(StringTableExtractor::ExtractStringTable(utf16(script, false)) == out);
    }
    return 0;
}
