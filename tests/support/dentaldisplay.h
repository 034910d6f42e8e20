#pragma once

#include "screenidentity.h"
#include "support/sessiondriver.h"

// The 27-inch dental display of 2560 x 1440 pixels (597 x 336 mm) that the session and constancy tests run: its
// matrix passes every category but mammography's, its readings every limit of the dental category in a room up
// to 500 lx.
namespace DentalDisplay {

// The display as the screen under test, with the maker, model and serial number given.
class Screen : public ScreenIdentity
{
public:
    explicit Screen(const QStringList &identity = {"", "", ""}) : m_identity(identity) {}
    Identity identity(int) const override
    {
        return {m_identity[0], m_identity[1], m_identity[2], {2560, 1440}, {597, 336}};
    }

private:
    QStringList m_identity;
};

// The answers of its acceptance test with an ambient luminance of 2 cd/m², the TG18-LN readings times the factor.
inline SessionDriver::Answers readings(double factor = 1)
{
    QStringList levels;
    for (const int tenths :
         {8, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1200, 1400, 1600, 2000, 2500, 3000, 4000})
        levels << QString::number(tenths * factor / 10);
    return SessionDriver::readings("27", {"250", "240", "245", "230", "260", "235", "240", "238", "242"},
                                   {"0,5", "0.52", "0.48", "0.5", "0.55", "0.5", "0.5", "0.45", "0.5"}, levels, "2");
}

} // namespace DentalDisplay
