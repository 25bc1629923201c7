#include "procedures.h"

#include "formats.h"

#include <new>
#include <utility>

namespace procedures {

Procedures::Procedures(device::Card &card, console::OutputConsole &console,
                       console::WindowServices &window, std::string cardSource)
    : m_card(card)
    , m_console(console)
    , m_window(window)
    , m_cardSource(std::move(cardSource))
    // calloc hands back untouched zero pages: the buffer costs memory only
    // where an acquisition has written.
    , m_sampleBuffer(static_cast<std::int32_t *>(
          std::calloc(sampleBufferSize, sizeof(std::int32_t))))
{
    if (!m_sampleBuffer)
        throw std::bad_alloc();
    // The part an acquisition fills is touched once now, so that its ticks
    // take no page faults; the rest costs nothing until a read reaches it.
    volatile std::int32_t *sample = m_sampleBuffer.get();
    for (std::int32_t i = 0; i < prefaultedSamples; i += 1024)
        sample[i] = 0;
}

void Procedures::startUp()
{
    m_deviceHandle = m_card.OpenDevice(0);
    if (m_deviceHandle == -1) {
        m_window.setCaption("Error Load ZK583");
        m_window.beep();
        return;
    }
    m_window.setCaption("ZK583 Testing Program  " + m_cardSource + " V1.0" + "  HANDLE="
                        + console::hexText(m_deviceHandle) + "H");
}

} // namespace procedures
