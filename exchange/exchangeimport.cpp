#include "exchangeimport.h"

#include "filereader.h"
#include "frenchorder.h"
#include "profilefile.h"

#include <algorithm>

namespace verbolt {

std::size_t ImportPlan::changeCount() const
{
    std::size_t n = 0;
    for (const LanguagePlan &l : languages)
        n += l.changes.size();
    return n;
}

bool ImportPlan::anythingSkipped() const
{
    if (!notCreated.empty())
        return true;
    return std::any_of(languages.begin(), languages.end(), [](const LanguagePlan &l) {
        return !l.stale.empty() || !l.unknown.empty() || !l.refused.empty();
    });
}

namespace {

// An XLIFF "original" names the file: german.lan, or a path to it.
std::string fileStem(std::string name)
{
    if (const std::size_t slash = name.find_last_of("/\\"); slash != std::string::npos)
        name.erase(0, slash + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos)
        name.erase(dot);
    return name;
}

// Whether the folder's bytes say the UTF-8 text; most texts are ASCII, the same in both, and
// a million of them are compared without a copy.
bool sameText(const TextCodec &codec, std::string_view utf8, std::string_view bytes)
{
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii ? utf8 == bytes : codec.toUtf8(bytes) == utf8;
}

} // namespace

std::vector<std::string> ExchangeImport::languagesIn(const ImportedFile &file)
{
    std::vector<std::string> out;
    for (const ImportedLanguage &l : file.languages) {
        out.push_back(l.language);
        if (!l.fallback.empty())
            out.push_back(fileStem(l.fallback));
    }
    return out;
}

ImportPlan ExchangeImport::plan(const ExchangeFolder &folder, const ImportedFile &file)
{
    const TextCodec &codec = folder.codec();
    ImportPlan plan;
    for (const ImportedLanguage &imported : file.languages) {
        int column = folder.findLanguage(imported.language);
        if (column < 0 && !imported.fallback.empty())
            column = folder.findLanguage(fileStem(imported.fallback));
        if (column < 0) {
            const std::string named =
                imported.language.empty() ? imported.fallback : imported.language;
            if (std::find(plan.notCreated.begin(), plan.notCreated.end(), named) ==
                plan.notCreated.end())
                plan.notCreated.push_back(named);
            continue;
        }
        auto it = std::find_if(plan.languages.begin(), plan.languages.end(),
                               [column](const LanguagePlan &l) { return l.column == column; });
        if (it == plan.languages.end()) {
            LanguagePlan l;
            l.column = column;
            l.language = codec.toUtf8(folder.languageHeader(column));
            l.path = folder.languagePath(column);
            plan.languages.push_back(std::move(l));
            it = plan.languages.end() - 1;
        }
        LanguagePlan &lp = *it;
        for (const ImportedUnit &unit : imported.units) {
            const std::optional<std::string> id = codec.fromUtf8(unit.id);
            const ExchangeFolder::Label *label = id ? folder.label(*id) : nullptr;
            if (!label) {
                lp.unknown.push_back(unit.id);
                continue;
            }
            if (unit.hasFrench && !sameText(codec, unit.french, label->french)) {
                lp.stale.push_back(unit.id);
                continue;
            }
            const std::string_view *current = folder.text(column, *id);
            if (unit.text.empty() || sameText(codec, unit.text, current ? *current : "")) {
                ++lp.unchanged;
                continue;
            }
            std::string currentText = current ? codec.toUtf8(*current) : std::string();
            if (unit.text.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
                lp.refused.push_back(unit.id + ": a line break or NUL a label cannot hold");
                continue;
            }
            std::optional<std::string> bytes = codec.fromUtf8(unit.text);
            if (!bytes) {
                lp.refused.push_back(unit.id + ": a character the folder's code page lacks");
                continue;
            }
            // The key as french.lan spells it, so the write finds the line it goes to.
            std::string key(label->id);
            lp.changes.push_back(
                {unit.id, std::move(currentText), unit.text, {std::move(key), std::move(*bytes)}});
        }
    }
    return plan;
}

std::vector<ImportWrite> ExchangeImport::write(const ImportPlan &plan, const ExchangeFolder &folder)
{
    std::vector<ImportWrite> out;
    if (plan.changeCount() == 0)
        return out;
    // A key a file lacks goes in at its French place.
    const FileContent french = FileReader::read(folder.languagePath(-1)); // column 1
    const FrenchOrder order(french.result.ok() ? french.bytes : std::string());
    ProfileFile writer; // its buffers go with it once every language is written
    for (const LanguagePlan &lp : plan.languages) {
        if (lp.changes.empty())
            continue;
        std::vector<KeyValue> writes;
        writes.reserve(lp.changes.size());
        for (const ImportChange &c : lp.changes)
            writes.push_back(c.write);
        ImportWrite w;
        w.path = lp.path;
        w.result = writer.writeKeys(lp.path, writes, folder.dir(), &w.changes, &order);
        out.push_back(std::move(w));
    }
    return out;
}

void ExchangeImport::report(const ImportPlan &plan, std::ostream &out)
{
    for (const LanguagePlan &lp : plan.languages) {
        const std::size_t slash = lp.path.rfind('/');
        out << (slash == std::string::npos ? lp.path : lp.path.substr(slash + 1)) << ": "
            << lp.changes.size() << " written, " << lp.unchanged << " unchanged, "
            << lp.stale.size() << " stale, " << lp.unknown.size() << " unknown";
        if (!lp.refused.empty())
            out << ", " << lp.refused.size() << " refused";
        out << "\n";
        for (const std::string &id : lp.stale)
            out << "  stale (the French changed since the export): " << id << "\n";
        for (const std::string &id : lp.unknown)
            out << "  unknown (not in french.lan): " << id << "\n";
        for (const std::string &why : lp.refused)
            out << "  refused: " << why << "\n";
    }
    for (const std::string &name : plan.notCreated)
        out << name << ": no language file for it in the folder; not created\n";
}

} // namespace verbolt
