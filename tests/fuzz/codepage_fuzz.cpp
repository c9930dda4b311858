// Code pages: every Windows-1252 byte string survives the trip to UTF-8 and back, valid UTF-8
// survives its own, what goes to the window is always valid UTF-8, and upper-casing and the
// case-blind search take any bytes.
#include "check.h"
#include "textcodec.h"

#include <cstdint>
#include <string>

using namespace verbolt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const TextCodec cp1252(CodePage::Windows1252);
    const TextCodec utf8(CodePage::Utf8);

    const std::string shown = cp1252.toUtf8(bytes);
    FUZZ_CHECK(TextCodec::isValidUtf8(shown));
    FUZZ_CHECK(cp1252.fromUtf8(shown) == std::string(bytes));

    const bool valid = TextCodec::isValidUtf8(bytes);
    const std::string shownUtf8 = utf8.toUtf8(bytes);
    FUZZ_CHECK(TextCodec::isValidUtf8(shownUtf8));
    FUZZ_CHECK(valid == (shownUtf8 == bytes));
    FUZZ_CHECK(utf8.fromUtf8(bytes).has_value() == valid);
    if (valid)
        FUZZ_CHECK(*utf8.fromUtf8(bytes) == bytes);
    // What the window types in is UTF-8; in a Windows-1252 run it is kept or refused whole.
    if (const auto typed = cp1252.fromUtf8(bytes))
        FUZZ_CHECK(cp1252.toUtf8(*typed) == bytes);

    // Upper-casing keeps Windows-1252 byte for byte in length, and valid UTF-8 valid.
    const std::string up = cp1252.upper(bytes);
    FUZZ_CHECK(up.size() == bytes.size() && cp1252.upper(up) == up);
    const std::string upUtf8 = utf8.upper(bytes);
    if (valid)
        FUZZ_CHECK(TextCodec::isValidUtf8(upUtf8));

    // Any piece of a text is found in it whatever its letter case; in UTF-8, a piece cut on
    // character boundaries of a valid text.
    std::string scratch;
    const std::size_t from = size ? data[0] % (size + 1) : 0;
    const std::size_t len = size > 1 ? data[1] % (size - from + 1) : 0;
    const std::string_view piece = bytes.substr(from, len);
    FUZZ_CHECK(cp1252.containsUpper(bytes, cp1252.upper(piece), scratch));
    const auto boundary = [&](std::size_t at) {
        return at == size || (static_cast<unsigned char>(bytes[at]) & 0xC0) != 0x80;
    };
    const bool onBoundaries = valid && boundary(from) && boundary(from + len);
    if (onBoundaries)
        FUZZ_CHECK(utf8.containsUpper(bytes, utf8.upper(piece), scratch));
    else
        (void)utf8.containsUpper(bytes, utf8.upper(piece), scratch);

    // The table's cut of a long text: a prefix, on a character boundary in UTF-8.
    for (const std::size_t limit : {std::size_t{0}, std::size_t{1}, size / 2, size}) {
        const std::string_view cut = utf8.prefix(bytes, limit);
        FUZZ_CHECK(cut.size() <= limit && bytes.starts_with(cut));
        if (valid)
            FUZZ_CHECK(TextCodec::isValidUtf8(cut));
        FUZZ_CHECK(cp1252.prefix(bytes, limit) == bytes.substr(0, limit));
    }
    return 0;
}
