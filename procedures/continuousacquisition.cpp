#include "procedures.h"

#include <algorithm>

using namespace console;

namespace procedures {

namespace {

/// Fewer ready samples than this are left in the card for a later tick.
constexpr std::int32_t minimumBatch = 100;

} // namespace

void Procedures::startAcquisition()
{
    m_firstChannel = 0;
    m_lastChannel = 15;
    m_scanSetting = 0;
    m_sampleLimit = 200000;
    m_samplesTaken = 0;

    m_console.clear();
    m_console.print("wave sam begin, max length", Semi, m_sampleLimit, LineEnd);

    m_card.CAL(m_deviceHandle);
    m_card.TAD(m_deviceHandle, m_firstChannel, m_lastChannel, m_scanSetting, 0, 50);
    m_window.setTimerEnabled(true);
}

void Procedures::acquisitionTick()
{
    const std::int32_t ready = m_card.TAD_Poll(m_deviceHandle);
    if (ready >= minimumBatch) {
        // Only whole scans are read; the rest stays in the card. Nor may a
        // batch run past the end of the buffer, whatever the card reports.
        const std::int32_t channels = m_lastChannel - m_firstChannel + 1;
        const std::int32_t room = sampleBufferSize - m_samplesTaken;
        const std::int32_t scans = std::min(ready, room) / channels;
        const std::int32_t count = scans * channels;

        if (count > 0) {
            std::int32_t *batch = m_sampleBuffer.get() + m_samplesTaken;
            m_card.TAD_Read(m_deviceHandle, batch, count);

            m_console.clear();
            for (std::int32_t i = 0; i < channels; ++i)
                m_console.print("CH", Semi, m_firstChannel + i, Comma, "Data", Semi, batch[i],
                                LineEnd);
            m_samplesTaken += count;
            m_console.print("max l=", Semi, m_sampleLimit, LineEnd);

            if (m_samplesTaken >= m_sampleLimit) {
                m_card.TAD_Stop(m_deviceHandle);
                m_window.setTimerEnabled(false);
                m_console.print("******** AD Sam. END ********", LineEnd);
            }
        }
    }
    m_window.setBoxText(Box::TAD_TEXT, formatPattern(m_samplesTaken, Pattern::Digits));
}

} // namespace procedures
