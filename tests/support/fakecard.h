#pragma once

#include "card.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

/// A card that answers from a script and records every call, in order, as
/// text such as "DA(7,0,1,4095)".
class FakeCard : public device::Card
{
public:
    // The script.
    std::int32_t handle = 7;                        ///< what OpenDevice returns
    std::deque<std::int32_t> readyCounts;           ///< TAD_Poll results, one per call; then 0
    std::int32_t nextSample = 1000;                 ///< value of the next sample TAD_Read stores
    bool writeSamples = true;                       ///< false: TAD_Read stores nothing
    std::int32_t diWord = 0;
    std::function<std::int32_t(std::int32_t channel)> adRaw = [](std::int32_t ch) {
        return 100 * ch;
    };
    std::function<double(std::int32_t raw)> adMillivolts = [](std::int32_t raw) {
        return raw * 0.5;
    };
    std::int32_t cntStatus = 0;
    std::int32_t cntCount = 0;
    std::int32_t cntTime = 0;
    /// The largest EEPROM block a card library may write or fill: the whole
    /// of the console's buffers, so that a smaller buffer shows under ASan.
    static constexpr std::size_t eepromBlockSize = 33;
    std::size_t eepromBytesFilled = 32;             ///< bytes EEPROM_Read fills
    std::vector<std::uint8_t> eeprom = std::vector<std::uint8_t>(eepromBlockSize, 0);
    bool eepromStoresWrites = true;                 ///< false: EEPROM_Write leaves eeprom as it is

    // What happened.
    QStringList calls;
    std::vector<const std::int32_t *> readDestinations;  ///< where each TAD_Read was to store
    std::vector<std::uint8_t> eepromWritten;        ///< the block last given to EEPROM_Write

    std::int32_t OpenDevice(std::int32_t cardIndex) override
    {
        record(QStringLiteral("OpenDevice(%1)").arg(cardIndex));
        return handle;
    }
    std::int32_t CAL(std::int32_t h) override { return record(QStringLiteral("CAL(%1)").arg(h)); }
    std::int32_t AD(std::int32_t h, std::int32_t channel, std::int32_t rangeCode, std::int32_t a,
                    std::int32_t b) override
    {
        record(QStringLiteral("AD(%1,%2,%3,%4,%5)").arg(h).arg(channel).arg(rangeCode).arg(a).arg(b));
        return adRaw(channel);
    }
    double ADV(std::int32_t rangeCode, std::int32_t raw) override
    {
        record(QStringLiteral("ADV(%1,%2)").arg(rangeCode).arg(raw));
        return adMillivolts(raw);
    }
    std::int32_t TAD(std::int32_t h, std::int32_t first, std::int32_t last, std::int32_t setting,
                     std::int32_t a, std::int32_t b) override
    {
        return record(QStringLiteral("TAD(%1,%2,%3,%4,%5,%6)")
                          .arg(h).arg(first).arg(last).arg(setting).arg(a).arg(b));
    }
    std::int32_t TAD_Poll(std::int32_t h) override
    {
        record(QStringLiteral("TAD_Poll(%1)").arg(h));
        if (readyCounts.empty())
            return 0;
        const std::int32_t ready = readyCounts.front();
        readyCounts.pop_front();
        return ready;
    }
    std::int32_t TAD_Read(std::int32_t h, std::int32_t *destination, std::int32_t count) override
    {
        record(QStringLiteral("TAD_Read(%1,%2)").arg(h).arg(count));
        readDestinations.push_back(destination);
        if (!writeSamples)
            return count;
        for (std::int32_t i = 0; i < count; ++i)
            destination[i] = nextSample++;
        return count;
    }
    std::int32_t TAD_Stop(std::int32_t h) override { return record(QStringLiteral("TAD_Stop(%1)").arg(h)); }
    std::int32_t DO(std::int32_t h, std::int32_t word) override
    {
        return record(QStringLiteral("DO(%1,%2)").arg(h).arg(word));
    }
    std::int32_t DI(std::int32_t h) override
    {
        record(QStringLiteral("DI(%1)").arg(h));
        return diWord;
    }
    std::int32_t DA_INI(std::int32_t h) override { return record(QStringLiteral("DA_INI(%1)").arg(h)); }
    std::int32_t DA(std::int32_t h, std::int32_t output, std::int32_t rangeCode,
                    std::int32_t code) override
    {
        return record(QStringLiteral("DA(%1,%2,%3,%4)").arg(h).arg(output).arg(rangeCode).arg(code));
    }
    std::int32_t PRun(std::int32_t h, std::int32_t channel, std::int32_t type, std::int32_t first,
                      std::int32_t second) override
    {
        return record(QStringLiteral("PRun(%1,%2,%3,%4,%5)")
                          .arg(h).arg(channel).arg(type).arg(first).arg(second));
    }
    std::int32_t PEnd(std::int32_t h, std::int32_t channel) override
    {
        return record(QStringLiteral("PEnd(%1,%2)").arg(h).arg(channel));
    }
    std::int32_t CNT_Run(std::int32_t h, std::int32_t counter, std::int32_t initial) override
    {
        return record(QStringLiteral("CNT_Run(%1,%2,%3)").arg(h).arg(counter).arg(initial));
    }
    std::int32_t CNT_Read(std::int32_t h, std::int32_t counter, std::int32_t *count,
                          std::int32_t *timeValue) override
    {
        record(QStringLiteral("CNT_Read(%1,%2,%3,%4)").arg(h).arg(counter).arg(*count).arg(*timeValue));
        *count = cntCount;
        *timeValue = cntTime;
        return cntStatus;
    }
    std::int32_t EEPROM_Write(std::int32_t h, const std::uint8_t *block) override
    {
        record(QStringLiteral("EEPROM_Write(%1)").arg(h));
        eepromWritten.assign(block, block + eepromBlockSize);
        if (eepromStoresWrites)
            eeprom = eepromWritten;
        return 0;
    }
    std::int32_t EEPROM_Read(std::int32_t h, std::uint8_t *block) override
    {
        record(QStringLiteral("EEPROM_Read(%1)").arg(h));
        std::copy(eeprom.begin(), eeprom.begin() + std::ptrdiff_t(eepromBytesFilled), block);
        return 0;
    }

private:
    std::int32_t record(const QString &call)
    {
        calls << call;
        return 0;
    }
};
