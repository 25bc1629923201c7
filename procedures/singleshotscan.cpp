#include "procedures.h"

using namespace console;

namespace procedures {

namespace {

/// The analog input range of the single-shot scan, for the conversion and
/// for its reading in millivolts alike.
constexpr std::int32_t rangeCode = 4;

} // namespace

void Procedures::singleShotScan()
{
    m_card.CAL(m_deviceHandle);
    m_console.clear();
    for (std::int32_t channel = 0; channel <= 15; ++channel) {
        const std::int32_t raw = m_card.AD(m_deviceHandle, channel, rangeCode, 0, 1);
        const double reading = m_card.ADV(rangeCode, raw);
        m_console.print("CH", Semi, channel, Comma, "Data", Semi, raw, Comma, "V", Semi,
                        formatPattern(reading, Pattern::ThreeDotTwo), Semi, "mV", LineEnd);
    }
}

} // namespace procedures
