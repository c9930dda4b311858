#include "utf16script.h"

#include "textcodec.h"

namespace verbolt {

namespace {

bool isHighSurrogate(char32_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}

bool isLowSurrogate(char32_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

} // namespace

bool Utf16Script::isUtf16(std::string_view bytes)
{
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

std::optional<std::string> Utf16Script::toUtf8(std::string_view bytes)
{
    if (!isUtf16(bytes) || bytes.size() % 2 != 0)
        return std::nullopt;
    const bool littleEndian = bytes[0] == '\xFF';
    const auto unitAt = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(littleEndian ? first | second << 8 : first << 8 | second);
    };

    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
        char32_t c = unitAt(i);
        if (isHighSurrogate(c)) {
            if (i + 2 >= bytes.size() || !isLowSurrogate(unitAt(i + 2)))
                return std::nullopt;
            i += 2;
            c = 0x10000 + ((c - 0xD800) << 10) + (unitAt(i) - 0xDC00);
        } else if (isLowSurrogate(c)) {
            return std::nullopt;
        }
        TextCodec::appendUtf8(out, c);
    }
    return out;
}

std::string Utf16Script::toLabelBytes(std::string utf8)
{
    std::optional<std::string> cp1252 = TextCodec(CodePage::Windows1252).fromUtf8(utf8);
    return cp1252 ? std::move(*cp1252) : std::move(utf8);
}

} // namespace verbolt
