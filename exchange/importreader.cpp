#include "importreader.h"

#include "asciifold.h"
#include "filereader.h"
#include "textcodec.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <expat.h>
#include <map>
#include <memory>
#include <unzip.h>

namespace verbolt {

namespace {

bool endsWith(const std::string &path, std::string_view ext)
{
    return path.size() >= ext.size() &&
           AsciiFold::equal(std::string_view(path).substr(path.size() - ext.size()), ext);
}

// The local name of an element, without its namespace (expat is given a separator).
std::string_view localName(const XML_Char *name)
{
    std::string_view n(name);
    const std::size_t bar = n.rfind('|');
    return bar == std::string_view::npos ? n : n.substr(bar + 1);
}

const char *attribute(const XML_Char **atts, std::string_view wanted)
{
    for (int i = 0; atts[i]; i += 2)
        if (localName(atts[i]) == wanted)
            return atts[i + 1];
    return nullptr;
}

struct XmlParser
{
    XML_Parser parser = XML_ParserCreateNS("UTF-8", '|');
    ~XmlParser() { XML_ParserFree(parser); }
    // Empty when the whole text parsed, else why not.
    std::string parse(std::string_view bytes)
    {
        return XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), 1) == XML_STATUS_OK
                   ? std::string()
                   : why();
    }
    // The same, a piece at a time from a file: a large XLIFF file never stands in memory
    // beside what it holds.
    std::string parseFile(std::FILE *file)
    {
        for (;;) {
            void *buffer = XML_GetBuffer(parser, kPiece);
            if (!buffer)
                return why();
            const std::size_t got = std::fread(buffer, 1, kPiece, file);
            if (std::ferror(file))
                return std::string("cannot be read: ") + std::strerror(errno);
            const bool last = got < kPiece;
            if (XML_ParseBuffer(parser, static_cast<int>(got), last) != XML_STATUS_OK)
                return why();
            if (last)
                return {};
        }
    }

private:
    static constexpr int kPiece = 1 << 20;
    std::string why() const
    {
        return std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
               std::to_string(XML_GetCurrentLineNumber(parser));
    }
};

struct XliffState
{
    ImportedFile file;
    bool sawXliff = false;
    ImportedUnit unit;
    bool inUnit = false;
    int inSource = 0; // depth inside <source>
    int inTarget = 0;
    bool sawSource = false;
};

void xliffStart(void *data, const XML_Char *name, const XML_Char **atts)
{
    auto &s = *static_cast<XliffState *>(data);
    const std::string_view n = localName(name);
    if (s.inSource || s.inTarget) {
        s.inSource += s.inSource ? 1 : 0;
        s.inTarget += s.inTarget ? 1 : 0;
        return;
    }
    if (n == "xliff") {
        s.sawXliff = true;
    } else if (n == "file") {
        ImportedLanguage language;
        if (const char *t = attribute(atts, "target-language"))
            language.language = t;
        if (const char *o = attribute(atts, "original"))
            language.fallback = o;
        s.file.languages.push_back(std::move(language));
    } else if (n == "trans-unit" && !s.file.languages.empty()) {
        s.unit = {};
        s.sawSource = false;
        const char *id = attribute(atts, "resname");
        if (!id || !*id)
            id = attribute(atts, "id");
        s.unit.id = id ? id : "";
        s.inUnit = true;
    } else if (s.inUnit && n == "source") {
        s.inSource = 1;
        s.sawSource = true;
    } else if (s.inUnit && n == "target") {
        s.inTarget = 1;
    }
}

void xliffEnd(void *data, const XML_Char *name)
{
    auto &s = *static_cast<XliffState *>(data);
    if (s.inSource) {
        --s.inSource;
        return;
    }
    if (s.inTarget) {
        --s.inTarget;
        return;
    }
    if (localName(name) == "trans-unit" && s.inUnit) {
        s.unit.hasFrench = s.sawSource;
        s.file.languages.back().units.push_back(std::move(s.unit));
        s.inUnit = false;
    }
}

void xliffText(void *data, const XML_Char *text, int length)
{
    auto &s = *static_cast<XliffState *>(data);
    // The segments of a <mrk> inside the source or the target join into one text.
    if (s.inSource)
        s.unit.french.append(text, static_cast<std::size_t>(length));
    else if (s.inTarget)
        s.unit.text.append(text, static_cast<std::size_t>(length));
}

template <typename Parse> ImportedFile parseXliff(Parse parse)
{
    XliffState state;
    XmlParser xml;
    XML_SetUserData(xml.parser, &state);
    XML_SetElementHandler(xml.parser, xliffStart, xliffEnd);
    XML_SetCharacterDataHandler(xml.parser, xliffText);
    const std::string why = parse(xml);
    if (!why.empty())
        return {{}, "not XLIFF: " + why};
    if (!state.sawXliff)
        return {{}, "not XLIFF: no <xliff> element"};
    return std::move(state.file);
}

ImportedFile readXliffFile(const std::string &path)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(path.c_str(), "rb"),
                                                                std::fclose);
    if (!file)
        return {{}, std::string("cannot be read: ") + std::strerror(errno)};
    return parseXliff([&file](XmlParser &xml) { return xml.parseFile(file.get()); });
}

// RFC 4180 records; `line` tells where a damaged one started.
struct CsvRecords
{
    std::vector<std::vector<std::string>> rows;
    std::string error;
};

CsvRecords parseCsv(std::string_view text, char sep)
{
    CsvRecords out;
    std::vector<std::string> record;
    std::string field;
    std::size_t line = 1, recordLine = 1;
    std::size_t i = 0;
    const std::size_t n = text.size();
    bool quotedField = false;
    while (i <= n) {
        if (i == n || text[i] == sep || text[i] == '\n' || text[i] == '\r') {
            const bool endOfRecord = i == n || text[i] != sep;
            record.push_back(std::move(field));
            field.clear();
            quotedField = false;
            if (endOfRecord) {
                if (!(record.size() == 1 && record[0].empty()))
                    out.rows.push_back(std::move(record));
                record.clear();
                if (i < n && text[i] == '\r' && i + 1 < n && text[i + 1] == '\n')
                    ++i;
                ++line;
                recordLine = line;
            }
            ++i;
            continue;
        }
        if (text[i] == '"' && field.empty() && !quotedField) {
            quotedField = true;
            ++i;
            for (;;) {
                if (i >= n) {
                    out.error = "line " + std::to_string(recordLine) +
                                " of the CSV: a quoted field is not closed";
                    return out;
                }
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (text[i] == '\n')
                    ++line;
                field += text[i++];
            }
            if (i < n && text[i] != sep && text[i] != '\n' && text[i] != '\r') {
                out.error =
                    "line " + std::to_string(line) + " of the CSV: text after a closing quote";
                return out;
            }
            continue;
        }
        field += text[i++];
    }
    return out;
}

// A zip member's bytes, or nothing.
bool readMember(unzFile zip, const char *name, std::string &out)
{
    if (unzLocateFile(zip, name, 2) != UNZ_OK || unzOpenCurrentFile(zip) != UNZ_OK)
        return false;
    char buffer[65536];
    int got;
    while ((got = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
        out.append(buffer, static_cast<std::size_t>(got));
    return unzCloseCurrentFile(zip) == UNZ_OK && got == 0;
}

struct SharedStrings
{
    std::vector<std::string> strings;
    int inT = 0;
    int inPhonetic = 0;
};

struct SheetState
{
    const std::vector<std::string> *shared = nullptr;
    std::vector<std::vector<std::string>> rows;
    std::string type;
    std::size_t column = 0;
    long row = -1;
    std::string value;
    bool inCell = false, inValue = false, inInlineText = false;
};

std::size_t columnOf(const char *ref, std::size_t fallback)
{
    if (!ref || !*ref || !(ref[0] >= 'A' && ref[0] <= 'Z'))
        return fallback;
    std::size_t c = 0;
    for (; *ref >= 'A' && *ref <= 'Z'; ++ref)
        c = c * 26 + static_cast<std::size_t>(*ref - 'A' + 1);
    return c - 1;
}

} // namespace

ImportedFile ImportReader::readXliff(std::string_view bytes)
{
    return parseXliff([bytes](XmlParser &xml) { return xml.parse(bytes); });
}

ImportedFile ImportReader::fromTable(const std::vector<std::vector<std::string>> &rows,
                                     bool unguard)
{
    // The export's header ends in COMMENT: the window's table by position has none, and its
    // rows must never be taken for rows by ID.
    if (rows.empty() || rows[0].size() < 3 || rows[0][0] != "ID" || rows[0][1] != "FRENCH" ||
        rows[0].back() != "COMMENT")
        return {{},
                "no header row ID, FRENCH, languages, COMMENT: not an export for "
                "translation"};
    const std::vector<std::string> &header = rows[0];
    const auto cell = [unguard](const std::vector<std::string> &row, std::size_t c) {
        std::string s = c < row.size() ? row[c] : std::string();
        // The export's guard before a formula-looking text, taken off exactly once.
        if (unguard && s.size() >= 2 && s[0] == '\'' &&
            std::string_view("=+-@\t\r").find(s[1]) != std::string_view::npos)
            s.erase(0, 1);
        return s;
    };
    ImportedFile file;
    for (std::size_t c = 2; c < header.size(); ++c) {
        if (c + 1 == header.size() || header[c].empty())
            continue;
        ImportedLanguage language;
        language.language = header[c];
        language.units.reserve(rows.size() - 1);
        for (std::size_t r = 1; r < rows.size(); ++r) {
            std::string id = cell(rows[r], 0);
            if (id.empty())
                continue;
            language.units.push_back({std::move(id), cell(rows[r], 1), true, cell(rows[r], c)});
        }
        file.languages.push_back(std::move(language));
    }
    return file;
}

ImportedFile ImportReader::readCsv(std::string_view bytes)
{
    std::string text;
    if (bytes.starts_with("\xEF\xBB\xBF"))
        text = bytes.substr(3);
    else if (TextCodec::isValidUtf8(bytes))
        text = bytes;
    else
        text = TextCodec(CodePage::Windows1252).toUtf8(bytes);
    // The separator is the one after the header's first field, ID.
    std::size_t start = 0;
    if (text.starts_with("\"ID\""))
        start = 4;
    else if (text.starts_with("ID"))
        start = 2;
    else
        return {{}, "line 1 of the CSV: no header ID, FRENCH, languages, COMMENT"};
    const char sep = start < text.size() ? text[start] : '\0';
    if (sep != ',' && sep != ';' && sep != '\t')
        return {{}, "line 1 of the CSV: no header ID, FRENCH, languages, COMMENT"};
    CsvRecords records = parseCsv(text, sep);
    if (!records.error.empty())
        return {{}, records.error};
    ImportedFile file = fromTable(records.rows, true);
    if (!file.ok())
        file.error = "line 1 of the CSV: " + file.error;
    return file;
}

ImportedFile ImportReader::readWorkbook(const std::string &path)
{
    unzFile zip = unzOpen64(path.c_str());
    if (!zip)
        return {{}, "a damaged workbook: not a zip archive"};
    std::string sharedXml, sheetXml;
    const bool haveShared = readMember(zip, "xl/sharedStrings.xml", sharedXml);
    const bool haveSheet = readMember(zip, "xl/worksheets/sheet1.xml", sheetXml);
    unzClose(zip);
    if (!haveSheet)
        return {{}, "a damaged workbook: no first sheet"};

    SharedStrings shared;
    if (haveShared) {
        XmlParser xml;
        XML_SetUserData(xml.parser, &shared);
        XML_SetElementHandler(
            xml.parser,
            [](void *d, const XML_Char *name, const XML_Char **) {
                auto &s = *static_cast<SharedStrings *>(d);
                const std::string_view n = localName(name);
                if (n == "si")
                    s.strings.emplace_back();
                else if (n == "rPh")
                    ++s.inPhonetic;
                else if (n == "t")
                    ++s.inT;
            },
            [](void *d, const XML_Char *name) {
                auto &s = *static_cast<SharedStrings *>(d);
                const std::string_view n = localName(name);
                if (n == "rPh")
                    --s.inPhonetic;
                else if (n == "t")
                    --s.inT;
            });
        XML_SetCharacterDataHandler(xml.parser, [](void *d, const XML_Char *t, int len) {
            auto &s = *static_cast<SharedStrings *>(d);
            if (s.inT && !s.inPhonetic && !s.strings.empty())
                s.strings.back().append(t, static_cast<std::size_t>(len));
        });
        if (const std::string why = xml.parse(sharedXml); !why.empty())
            return {{}, "a damaged workbook: " + why};
    }

    SheetState sheet;
    sheet.shared = &shared.strings;
    XmlParser xml;
    XML_SetUserData(xml.parser, &sheet);
    XML_SetElementHandler(
        xml.parser,
        [](void *d, const XML_Char *name, const XML_Char **atts) {
            auto &s = *static_cast<SheetState *>(d);
            const std::string_view n = localName(name);
            if (n == "row") {
                const char *r = attribute(atts, "r");
                const long number = r ? std::atol(r) - 1 : s.row + 1;
                s.row = number > s.row ? number : s.row + 1;
                s.rows.resize(static_cast<std::size_t>(s.row) + 1);
                s.column = 0;
            } else if (n == "c" && s.row >= 0) {
                s.inCell = true;
                s.column = columnOf(attribute(atts, "r"), s.column);
                const char *t = attribute(atts, "t");
                s.type = t ? t : "n";
                s.value.clear();
            } else if (s.inCell && n == "v") {
                s.inValue = true;
            } else if (s.inCell && n == "t") {
                s.inInlineText = true;
            }
        },
        [](void *d, const XML_Char *name) {
            auto &s = *static_cast<SheetState *>(d);
            const std::string_view n = localName(name);
            if (n == "v")
                s.inValue = false;
            else if (n == "t")
                s.inInlineText = false;
            else if (n == "c" && s.inCell) {
                std::string text = std::move(s.value);
                if (s.type == "s") {
                    const std::size_t k = static_cast<std::size_t>(std::atol(text.c_str()));
                    text = k < s.shared->size() ? (*s.shared)[k] : std::string();
                }
                auto &row = s.rows[static_cast<std::size_t>(s.row)];
                if (row.size() <= s.column)
                    row.resize(s.column + 1);
                row[s.column] = std::move(text);
                ++s.column;
                s.inCell = false;
            }
        });
    XML_SetCharacterDataHandler(xml.parser, [](void *d, const XML_Char *t, int len) {
        auto &s = *static_cast<SheetState *>(d);
        if (s.inValue || s.inInlineText)
            s.value.append(t, static_cast<std::size_t>(len));
    });
    if (const std::string why = xml.parse(sheetXml); !why.empty())
        return {{}, "a damaged workbook: " + why};
    ImportedFile file = fromTable(sheet.rows, false);
    if (!file.ok())
        file.error = "the workbook's first sheet: " + file.error;
    return file;
}

ImportedFile ImportReader::read(const std::string &path)
{
    if (endsWith(path, ".xlsx"))
        return readWorkbook(path);
    if (endsWith(path, ".xlf") || endsWith(path, ".xliff"))
        return readXliffFile(path);
    FileContent content = FileReader::read(path);
    if (!content.result.ok())
        return {{}, std::string("cannot be read: ") + std::strerror(content.result.error())};
    const std::string_view bytes = content.bytes;
    if (endsWith(path, ".csv"))
        return readCsv(bytes);
    if (bytes.starts_with("PK"))
        return readWorkbook(path);
    std::size_t b = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (b < bytes.size() && (bytes[b] == ' ' || bytes[b] == '\n' || bytes[b] == '\r'))
        ++b;
    if (b < bytes.size() && bytes[b] == '<')
        return readXliff(bytes);
    return readCsv(bytes);
}

} // namespace verbolt
