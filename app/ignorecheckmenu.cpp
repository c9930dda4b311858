#include "ignorecheckmenu.h"

#include <QMenu>

namespace verbolt {

bool IgnoreCheckMenu::add(QMenu &menu, const LabelSession &session, int row, int column,
                          const std::function<void(Check, bool)> &chosen)
{
    if (column < 2 || row < 0 || row >= session.grid().rowCount())
        return false;
    const MarkSet marks = session.marks().at(row, column);
    // Out-of-step and missing lines are put right by putting the file in order, not muted.
    std::vector<Check> checks;
    for (int k = 0; k < kCheckCount; ++k)
        if (const auto check = static_cast<Check>(k);
            check != Check::Order && (marks & Mark::of(check)))
            checks.push_back(check);
    if (checks.empty())
        return false;
    // "GERMAN" is "German", as its field's caption says.
    QString language =
        QString::fromStdString(session.codec().toUtf8(session.grid().header(column).value_or("")))
            .toLower();
    if (!language.isEmpty())
        language[0] = language[0].toUpper();
    QMenu *ignore = menu.addMenu(title());
    for (const Check check : checks) {
        const std::string_view name = TextChecks::name(check);
        QMenu *sub = ignore->addMenu(QString::fromUtf8(name.data(), qsizetype(name.size())));
        sub->addAction(QStringLiteral("In ") + language, [chosen, check] { chosen(check, false); });
        sub->addAction(QStringLiteral("In every language"),
                       [chosen, check] { chosen(check, true); });
    }
    return true;
}

} // namespace verbolt
