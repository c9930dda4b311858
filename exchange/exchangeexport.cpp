#include "exchangeexport.h"

#include "asciifold.h"
#include "csvexport.h"
#include "languagecode.h"
#include "placeholders.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <xlsxwriter.h>

namespace verbolt {

namespace {

// XML 1.0 carries tab, LF, CR and everything from the blank on.
bool xmlCarries(std::string_view utf8)
{
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 && b != '\t' && b != '\n' && b != '\r')
            return false;
    }
    return true;
}

void appendEscaped(std::string &out, std::string_view utf8)
{
    for (const char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\r':
            out += "&#13;";
            break;
        case '\t':
            out += "&#9;";
            break;
        case '\n':
            out += "&#10;";
            break;
        default:
            out += c;
        }
    }
}

// Output gathered in a buffer that goes to the file a megabyte at a time: a million labels
// never stand in memory twice.
class Spill
{
public:
    explicit Spill(const std::string &path) : m_file(path, std::ios::binary | std::ios::trunc)
    {
        if (!m_file)
            m_error = errno;
        m_out.reserve(kChunk + 4096);
    }
    std::string &out() { return m_out; }
    void spillIfFull()
    {
        if (m_out.size() >= kChunk)
            write();
    }
    // False when the file could not be opened or written; error() then says why.
    bool finish()
    {
        write();
        if (m_file && !m_file.flush())
            m_error = errno;
        return m_file.good();
    }
    int error() const { return m_error; }

private:
    static constexpr std::size_t kChunk = 1 << 20;
    void write()
    {
        if (m_file && !m_file.write(m_out.data(), static_cast<std::streamsize>(m_out.size())))
            m_error = errno;
        m_out.clear();
    }
    std::ofstream m_file;
    std::string m_out;
    int m_error = 0;
};

// The texts of one row, as UTF-8: ID, FRENCH, the languages, COMMENT.
struct Rows
{
    const ExchangeFolder &folder;
    int language;
    std::vector<int> columns() const
    {
        std::vector<int> out;
        for (int k = 0; k < folder.languageCount(); ++k)
            if (language < 0 || k == language)
                out.push_back(k);
        return out;
    }
    std::vector<std::string> header() const
    {
        std::vector<std::string> h{"ID", "FRENCH"};
        for (const int k : columns())
            h.push_back(folder.codec().toUtf8(folder.languageHeader(k)));
        h.push_back("COMMENT");
        return h;
    }
    std::vector<std::string> row(const ExchangeFolder::Label &label) const
    {
        const TextCodec &codec = folder.codec();
        std::vector<std::string> r{codec.toUtf8(label.id), codec.toUtf8(label.french)};
        for (const int k : columns()) {
            const std::string_view *t = folder.text(k, label.id);
            r.push_back(t ? codec.toUtf8(*t) : std::string());
        }
        r.push_back(codec.toUtf8(folder.comment(label.id)));
        return r;
    }
};

int writeXliff(const ExchangeFolder &folder, const std::string &path, int language,
               std::ostream &err)
{
    const TextCodec &codec = folder.codec();
    int status = 0;
    Spill spill(path);
    std::string &out = spill.out();
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">\n"
           "  <file original=\"";
    appendEscaped(out, codec.toUtf8(folder.grid().fileName(language + 2)));
    out += "\" source-language=\"fr\" target-language=\"";
    appendEscaped(out, LanguageCode::of(folder.languageHeader(language)));
    out += "\" datatype=\"plaintext\">\n    <body>\n";
    for (const ExchangeFolder::Label &label : folder.labels()) {
        const std::string id = codec.toUtf8(label.id);
        const std::string french = codec.toUtf8(label.french);
        const std::string_view *raw = folder.text(language, label.id);
        std::string target = raw ? codec.toUtf8(*raw) : std::string();
        const std::string note = codec.toUtf8(folder.comment(label.id));
        if (!xmlCarries(id) || !xmlCarries(french)) {
            err << id << ": a control character XLIFF cannot carry; left out\n";
            status = 1;
            continue;
        }
        if (!xmlCarries(target)) {
            err << id
                << ": its translation holds a control character XLIFF cannot carry; "
                   "left out\n";
            status = 1;
            target.clear();
        }
        const char *state = "translated";
        if (target.empty())
            state = "needs-translation";
        else if (!Placeholders::agree(label.french, *raw) ||
                 Placeholders::accelerators(label.french) != Placeholders::accelerators(*raw))
            state = "needs-review-translation";
        out += "      <trans-unit id=\"";
        appendEscaped(out, id);
        out += "\" resname=\"";
        appendEscaped(out, id);
        out += "\">\n        <source>";
        appendEscaped(out, french);
        out += "</source>\n        <target state=\"";
        out += state;
        out += "\">";
        appendEscaped(out, target);
        out += "</target>\n";
        if (!note.empty() && xmlCarries(note)) {
            out += "        <note>";
            appendEscaped(out, note);
            out += "</note>\n";
        }
        out += "      </trans-unit>\n";
        spill.spillIfFull();
    }
    out += "    </body>\n  </file>\n</xliff>\n";
    if (!spill.finish()) {
        err << path << ": cannot be written: " << std::strerror(spill.error()) << "\n";
        return 2;
    }
    return status;
}

int writeCsv(const Rows &rows, const std::string &path, std::ostream &err)
{
    Spill spill(path);
    std::string &out = spill.out();
    out += "\xEF\xBB\xBF";
    const auto record = [&out, &spill](const std::vector<std::string> &cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i)
                out += ',';
            CsvExport::appendField(ExchangeExport::guarded(cells[i]), out);
        }
        out += "\r\n";
        spill.spillIfFull();
    };
    record(rows.header());
    for (const ExchangeFolder::Label &label : rows.folder.labels())
        record(rows.row(label));
    if (!spill.finish()) {
        err << path << ": cannot be written: " << std::strerror(spill.error()) << "\n";
        return 2;
    }
    return 0;
}

int writeWorkbook(const Rows &rows, const std::string &path, std::ostream &err)
{
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE; // rows go out as they come: inline strings
    lxw_workbook *book = workbook_new_opt(path.c_str(), &options);
    if (!book) {
        err << path << ": cannot be written: " << std::strerror(errno) << "\n";
        return 2;
    }
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    lxw_format *bold = workbook_add_format(book);
    format_set_bold(bold);
    const std::vector<std::string> header = rows.header();
    // Wide enough to read: the ID and the comment narrower than the texts.
    for (std::size_t c = 0; c < header.size(); ++c) {
        const double width = c == 0 ? 28 : (c + 1 == header.size() ? 40 : 45);
        worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), width,
                             nullptr);
    }
    worksheet_freeze_panes(sheet, 1, 0);
    int status = 0;
    const auto put = [&](lxw_row_t r, const std::vector<std::string> &cells, lxw_format *f) {
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (cells[c].empty())
                continue;
            // Every cell a text: nothing is ever read as a formula, a number or a date.
            if (worksheet_write_string(sheet, r, static_cast<lxw_col_t>(c), cells[c].c_str(), f) !=
                LXW_NO_ERROR) {
                err << cells[0] << ": a text the workbook cannot hold; left out\n";
                status = 1;
            }
        }
    };
    put(0, header, bold);
    lxw_row_t r = 1;
    for (const ExchangeFolder::Label &label : rows.folder.labels()) {
        const std::vector<std::string> cells = rows.row(label);
        bool carried = true;
        for (const std::string &cell : cells)
            carried = carried && xmlCarries(cell);
        if (!carried) {
            err << cells[0] << ": a control character a workbook cannot carry; left out\n";
            status = 1;
            continue;
        }
        put(r++, cells, nullptr);
    }
    if (const lxw_error closed = workbook_close(book); closed != LXW_NO_ERROR) {
        err << path << ": cannot be written: " << lxw_strerror(closed) << "\n";
        return 2;
    }
    return status;
}

bool endsWith(const std::string &path, std::string_view ext)
{
    return path.size() >= ext.size() &&
           AsciiFold::equal(std::string_view(path).substr(path.size() - ext.size()), ext);
}

} // namespace

ExchangeExport::Format ExchangeExport::formatOf(const std::string &path)
{
    if (endsWith(path, ".xlf") || endsWith(path, ".xliff"))
        return Format::Xliff;
    if (endsWith(path, ".xlsx"))
        return Format::Workbook;
    if (endsWith(path, ".csv"))
        return Format::Csv;
    return Format::None;
}

std::string ExchangeExport::guarded(std::string text)
{
    if (!text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos)
        text.insert(text.begin(), '\'');
    return text;
}

int ExchangeExport::toFile(const ExchangeFolder &folder, const std::string &path, int language,
                           std::ostream &err)
{
    for (const std::string &d : folder.duplicates())
        err << folder.codec().toUtf8(d) << ": the ID stands again in french.lan; exported once\n";
    const int named = folder.duplicates().empty() ? 0 : 1;
    const Rows rows{folder, language};
    int status = 2;
    switch (formatOf(path)) {
    case Format::Xliff:
        status = writeXliff(folder, path, language, err);
        break;
    case Format::Workbook:
        status = writeWorkbook(rows, path, err);
        break;
    case Format::Csv:
        status = writeCsv(rows, path, err);
        break;
    case Format::None:
        err << path << ": not .xlf, .xliff, .xlsx or .csv\n";
        break;
    }
    return status == 2 ? 2 : std::max(status, named);
}

} // namespace verbolt
