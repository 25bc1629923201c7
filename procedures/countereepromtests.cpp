#include "procedures.h"

#include <array>

using namespace console;

namespace procedures {

namespace {

constexpr std::int32_t counter = 0;
constexpr std::int32_t initialValue = 10000;
/// Bytes in each EEPROM test buffer; the card's block fits in it.
constexpr std::size_t eepromBufferSize = 33;

} // namespace

void Procedures::startCounter()
{
    m_card.CNT_Run(m_deviceHandle, counter, initialValue);
    m_console.clear();
    m_console.print("CNT0 run, initial data", Semi, initialValue, LineEnd);
}

void Procedures::readCounter()
{
    std::int32_t count = 0;
    std::int32_t time = 0;  // 0.1 us
    const std::int32_t status = m_card.CNT_Read(m_deviceHandle, counter, &count, &time);

    m_console.print("-----------------------------------------------------------", LineEnd);
    if (status == 0) {
        m_console.print("CNT0 cnt data", Semi, count, Comma, "tdata", Semi, time, LineEnd);
    } else {
        const double milliseconds = double(time) * 0.1 / 1000;
        m_console.print("CNT0 Over and timer data is ok ! tdata", Semi, time, Semi, "  time",
                        Semi, milliseconds, Semi, "mS", LineEnd);
    }
}

void Procedures::testEeprom()
{
    std::array<std::uint8_t, eepromBufferSize> written{};
    std::array<std::uint8_t, eepromBufferSize> read{};
    for (std::uint8_t i = 0; i <= 9; ++i)
        written[i] = i;

    m_card.EEPROM_Write(m_deviceHandle, written.data());
    m_card.EEPROM_Read(m_deviceHandle, read.data());

    m_console.clear();
    m_console.print("", LineEnd);
    m_console.print("write  EEPROM data", LineEnd);
    for (std::size_t i = 0; i <= 9; ++i)
        m_console.print(written[i], Semi);
    m_console.print("", LineEnd);
    m_console.print("Read   EEPROM data", LineEnd);
    for (std::size_t i = 0; i <= 9; ++i)
        m_console.print(read[i], Semi);
}

} // namespace procedures
