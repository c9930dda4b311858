#pragma once

#include "wordchecker.h"

#include <QLineEdit>

#include <string>
#include <utility>
#include <vector>

namespace verbolt {

/// An editor field that underlines the words its language's dictionary does not know, with
/// a red wavy line as text editors do, and offers the dictionary's suggestions at the top
/// of its context menu. Everything else is the plain line edit's: keys, undo, Enter.
class SpellLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit SpellLineEdit(QWidget *parent = nullptr);

    /// The dictionaries and the column header ("GERMAN") whose language the text is in;
    /// null words underline nothing. Words the `french` field holds too (names kept as
    /// they are) are not misspelled, as in the checks.
    void setSpelling(WordChecker *words, std::string column, const QLineEdit *french = nullptr);

    /// A label whose spelling check is muted in this language underlines nothing.
    void setMuted(bool muted);

    /// How much of the text is looked at: the first characters only.
    static constexpr int kCheckedCharacters = 20000;
    /// The misspelled words of the text: start and length, in the text's characters.
    const std::vector<std::pair<int, int>> &misspelled() const { return m_misspelled; }
    /// Up to `count` suggestions for the misspelled word at character `position`; none when
    /// no misspelled word is there.
    QStringList suggestionsAt(int position, int count = 5) const;
    /// Replaces the misspelled word at `position` with `word`, as typing would (undoable);
    /// an accelerator's "&" stays where it was in the word.
    void replaceWordAt(int position, const QString &word);

protected:
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void findMisspelled();
    const std::pair<int, int> *wordAt(int position) const;

    WordChecker *m_words = nullptr;
    std::string m_column;
    const QLineEdit *m_french = nullptr;
    bool m_muted = false;
    std::vector<std::pair<int, int>> m_misspelled;
};

} // namespace verbolt
