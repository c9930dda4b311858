#pragma once

#include <QFont>
#include <QRect>

namespace verbolt {

/// Converts dialog-template units to pixels through a font: horizontally a quarter of the
/// font's average letter width, vertically an eighth of its height.
class DialogUnits
{
public:
    explicit DialogUnits(const QFont &font);
    int x(int units) const { return units * m_baseX / 4; }
    int y(int units) const { return units * m_baseY / 8; }
    QRect rect(int x0, int y0, int w, int h) const { return QRect(x(x0), y(y0), x(w), y(h)); }
    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }

private:
    int m_baseX;
    int m_baseY;
};

} // namespace verbolt
