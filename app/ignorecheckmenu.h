#pragma once

#include "labelsession.h"

#include <QString>

#include <functional>

class QMenu;

namespace verbolt {

/// "Ignore this check here" in the list's context menu: for a language cell with findings,
/// one submenu per check that found something, each offering "In LANGUAGE" and "In every
/// language".
class IgnoreCheckMenu
{
public:
    static QString title() { return QStringLiteral("Ignore this check here"); }

    /// Adds the submenu to `menu` when the cell at grid `row` and `column` has a finding a
    /// mute silences; `chosen` gets the check and whether it is muted in every language.
    /// Returns whether it added one.
    static bool add(QMenu &menu, const LabelSession &session, int row, int column,
                    const std::function<void(Check, bool)> &chosen);
};

} // namespace verbolt
