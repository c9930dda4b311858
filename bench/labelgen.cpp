#include "labelgen.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace verbolt::bench {

namespace {

// splitmix64: tiny, and unlike the standard distributions gives the same numbers on every
// standard library, so a set is the same bytes wherever it is generated.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }

private:
    std::uint64_t m_state;
};

// Words per language in Windows-1252, accents included, so that the code page choice and
// the upper-casing see the bytes real files hold.
using Words = std::vector<std::string_view>;

const std::array<Words, 9> &wordLists()
{
    // One language a few lines, not one word a line.
    // clang-format off
    static const std::array<Words, 9> lists = {{
        {"Ouvrir", "fichier", "r\xE9pertoire", "\xE9l\xE9ment", "s\xE9lection", "fen\xEAtre",
         "param\xE8tres", "\xE0", "cr\xE9" "er", "supprim\xE9", "donn\xE9" "es", "fran\xE7" "ais",
         "aper\xE7u", "impression", "enregistrer", "mod\xE8le", "\x9C" "uvre", "d\xE9j\xE0",
         "biblioth\xE8que", "derni\xE8re", "ann\xE9" "e", "probl\xE8me", "l'image"},
        {"Open", "file", "folder", "item", "selection", "window", "settings", "to", "create",
         "deleted", "data", "preview", "print", "save", "template", "caf\xE9", "library",
         "last", "year", "problem", "the", "image", "\x93" "quoted\x94", "it\x92s", "export"},
        {"Apri", "file", "cartella", "elemento", "selezione", "finestra", "impostazioni",
         "\xE8", "crea", "eliminato", "dati", "anteprima", "stampa", "salva", "modello",
         "citt\xE0", "perch\xE9", "pi\xF9", "libreria", "ultimo", "anno", "immagine"},
        {"Abrir", "archivo", "carpeta", "elemento", "selecci\xF3n", "ventana", "ajustes",
         "a\xF1o", "crear", "eliminado", "datos", "vista", "imprimir", "guardar", "plantilla",
         "\xBF" "Seguro?", "\xA1" "Listo!", "espa\xF1ol", "n\xFAmero", "\xFAltimo", "imagen"},
        {"\xD6" "ffnen", "Datei", "Ordner", "Element", "Auswahl", "Fenster", "Einstellungen",
         "f\xFCr", "erstellen", "gel\xF6scht", "Daten", "Vorschau", "drucken", "speichern",
         "Vorlage", "Gr\xF6\xDF" "e", "Stra\xDF" "e", "\xE4ndern", "\xDC" "bersicht", "Bild"},
        {"Abrir", "arquivo", "pasta", "item", "sele\xE7\xE3o", "janela", "configura\xE7\xF5" "es",
         "n\xE3o", "criar", "exclu\xED" "do", "dados", "visualiza\xE7\xE3o", "imprimir",
         "salvar", "modelo", "a\xE7\xE3o", "voc\xEA", "\xFAltimo", "ano", "imagem"},
        {"Openen", "bestand", "map", "item", "selectie", "venster", "instellingen", "naar",
         "maken", "verwijderd", "gegevens", "voorbeeld", "afdrukken", "opslaan", "sjabloon",
         "co\xF6rdinaat", "ge\xEF" "nstalleerd", "be\xEB" "indigen", "afbeelding"},
        {"Otw\xF3rz", "plik", "folder", "element", "zaznaczenie", "okno", "ustawienia", "do",
         "utw\xF3rz", "usuni\xEAty", "dane", "podgl\xB9" "d", "drukuj", "zapisz", "szablon",
         "kt\xF3ry", "m\xF3" "j", "\x9C" "wiat", "\x9F" "r\xF3" "d\xB3" "o", "obraz"},
        {"\xD6ppna", "fil", "mapp", "objekt", "markering", "f\xF6nster", "inst\xE4llningar",
         "till", "skapa", "borttagen", "data", "f\xF6rhandsgranska", "skriv ut", "spara",
         "mall", "\xE5r", "s\xE5", "bibliotek", "senaste", "bild", "\xE4ndra"},
    }};
    // clang-format on
    return lists;
}

const Words &idWords()
{
    static const Words words = {"MENU",   "FILE",   "EDIT", "VIEW",   "ALBUM",   "PHOTO",  "PRINT",
                                "EXPORT", "IMPORT", "DLG",  "ERROR",  "TOOLTIP", "STATUS", "OPTION",
                                "FOLDER", "SLIDE",  "SHOW", "ROTATE", "CROP",    "TAG"};
    return words;
}

// Realistic IDs: a long prefix naming where the text is shown, the number zero-padded, and a
// long suffix naming what it is. Most IDs share their first and last dozen bytes and their
// length with thousands of others.
std::string realisticId(Random &rnd, std::size_t number)
{
    static const Words prefixes = {"IDS_DIALOG_MESSAGE",           "IDS_MAIN_WINDOW_TOOLBAR_BUTTON",
                                   "IDS_PREFERENCES_PAGE_GENERAL", "IDS_DIALOG_MESSAGE_BOX",
                                   "IDS_EXPORT_WIZARD_STEP",       "IDS_CONTEXT_MENU_ITEM"};
    static const Words suffixes = {"_TOOLTIP_TEXT", "_CAPTION_TEXT", "_STATUS_BAR_HINT",
                                   "_ACCESSIBLE_DESCRIPTION", "_LABEL"};
    char digits[24];
    std::snprintf(digits, sizeof digits, "_%06zu", number);
    std::string id(prefixes[rnd.below(prefixes.size())]);
    return id.append(digits).append(suffixes[rnd.below(suffixes.size())]);
}

// What a label's text holds in every language, as translations keep it: an accelerator
// "&", a "%s", an ellipsis (0x85).
struct Features
{
    bool accelerator = false;
    bool placeholder = false;
    bool ellipsis = false;
};

Features drawFeatures(Random &rnd)
{
    Features f;
    f.accelerator = rnd.below(8) == 0;
    f.placeholder = rnd.below(10) == 0;
    f.ellipsis = rnd.below(12) == 0;
    return f;
}

// A text of 20 to 80 bytes made of the language's words, with the label's features.
std::string makeText(Random &rnd, const Words &words, std::size_t length, const Features &f)
{
    std::string text;
    while (text.size() < length) {
        if (!text.empty())
            text += ' ';
        text += words[rnd.below(words.size())];
    }
    text.resize(length);
    while (!text.empty() && text.back() == ' ')
        text.back() = '.';
    if (f.accelerator)
        text[0] = '&';
    if (f.placeholder) {
        text.resize(text.size() - 3);
        text += " %s";
    }
    if (f.ellipsis && !f.placeholder)
        text.back() = '\x85';
    return text;
}

void writeFile(const std::string &path, const std::string &bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            throw std::runtime_error("cannot write " + path + ": " + std::strerror(err));
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

} // namespace

LabelSetInfo generateLabelSet(const std::string &dir, std::size_t labels, std::uint64_t seed,
                              IdShape shape)
{
    Random rnd(seed);
    const Words &idw = idWords();
    std::vector<std::string> ids;
    ids.reserve(labels);
    for (std::size_t i = 0; i < labels; ++i) {
        if (shape == IdShape::Realistic) {
            ids.push_back(realisticId(rnd, i));
            continue;
        }
        // Unique through the number; the words make lengths vary as real IDs do.
        std::string id = "IDS";
        for (std::size_t w = 0, words = 1 + rnd.below(3); w < words; ++w)
            id.append("_").append(idw[rnd.below(idw.size())]);
        id.append("_").append(std::to_string(i));
        ids.push_back(std::move(id));
    }
    std::vector<Features> features(labels);
    for (Features &f : features)
        f = drawFeatures(rnd);
    // Where the ";" comment lines go: the same places in every file, as in a real set.
    std::vector<bool> sectionBefore(labels, false);
    for (std::size_t i = 0; i < labels; i += 200 + rnd.below(300))
        sectionBefore[i] = true;

    LabelSetInfo info;
    info.labels = labels;
    const auto &lists = wordLists();
    for (std::size_t f = 0; f < kLabelFiles.size(); ++f) {
        std::string bytes = "[Label]\r\n; Generated labels\r\n";
        bytes.reserve(labels * 80);
        for (std::size_t i = 0; i < labels; ++i) {
            if (sectionBefore[i])
                bytes.append("; Group ").append(std::to_string(i)).append("\r\n");
            bytes.append(ids[i]).append("=");
            bytes.append(makeText(rnd, lists[f], 20 + rnd.below(61), features[i])).append("\r\n");
        }
        writeFile(dir + std::string(kLabelFiles[f]), bytes);
        info.labelFileBytes += bytes.size();
    }

    std::string comments = "[Label]\r\n";
    for (std::size_t i = 0; i < labels; i += 4)
        comments.append(ids[i])
            .append("=")
            .append(makeText(rnd, lists[1], 20 + rnd.below(61), Features{}))
            .append("\r\n");
    writeFile(dir + "comments.cmt", comments);
    info.commentBytes = comments.size();
    return info;
}

} // namespace verbolt::bench
