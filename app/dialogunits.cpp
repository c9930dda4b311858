#include "dialogunits.h"

#include <QFontMetrics>

namespace verbolt {

DialogUnits::DialogUnits(const QFont &font)
{
    const QFontMetrics fm(font);
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (letters + 26) / 52;
    m_baseY = fm.height();
}

} // namespace verbolt
