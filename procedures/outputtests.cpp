#include "procedures.h"

using namespace console;

namespace procedures {

void Procedures::writeDigitalOutput()
{
    m_card.DO(m_deviceHandle, 0x55AA);
}

void Procedures::readDigitalInput()
{
    const std::int32_t value = m_card.DI(m_deviceHandle);
    m_window.setBoxText(Box::Text2, hexText(value));
}

void Procedures::setAnalogOutputs()
{
    m_console.clear();
    m_console.print("", LineEnd);
    m_console.print("DA0输出10V, DA1输出-5V", Semi);

    m_card.DA_INI(m_deviceHandle);
    m_card.DA(m_deviceHandle, 0, 1, 4095);  // top of the 12-bit code range: 10 V
    m_card.DA(m_deviceHandle, 1, 2, 0);     // bottom of the code range: -5 V
}

void Procedures::startPulseOutputs()
{
    m_console.clear();
    m_console.print("", LineEnd);
    m_console.print("脉冲通道0（PWM）输出1KHZ方波", LineEnd);
    m_console.print("", LineEnd);
    m_console.print("脉冲通道1（PLP）输出10个2KHZ方波", LineEnd);

    m_card.PRun(m_deviceHandle, 0, 0, 10000, 5000);  // PWM: 1 kHz, 50 % duty
    m_card.PRun(m_deviceHandle, 1, 1, 20000, 10);    // PLP: ten pulses at 2 kHz
}

void Procedures::stopPulseOutputs()
{
    m_console.print(" ", LineEnd);
    m_console.print("停止脉冲输出", LineEnd);

    m_card.PEnd(m_deviceHandle, 0);
    m_card.PEnd(m_deviceHandle, 1);
}

} // namespace procedures
