#include "ranges.h"

#include <cmath>

namespace simcard {

const InputRange *findInputRange(std::int32_t code)
{
    for (const InputRange &range : inputRanges) {
        if (range.code == code)
            return &range;
    }
    return nullptr;
}

const OutputRange *findOutputRange(std::int32_t code)
{
    for (const OutputRange &range : outputRanges) {
        if (range.code == code)
            return &range;
    }
    return nullptr;
}

double rawToMillivolts(const InputRange &range, std::int32_t raw)
{
    const double step = double(range.highMillivolts - range.lowMillivolts) / inputSteps;
    return range.lowMillivolts + raw * step;
}

std::int32_t millivoltsToRaw(const InputRange &range, double millivolts)
{
    const double step = double(range.highMillivolts - range.lowMillivolts) / inputSteps;
    const double steps = std::floor((millivolts - range.lowMillivolts) / step + 0.5);
    if (!(steps > 0.0))
        return 0;
    if (steps > maximumRaw)
        return maximumRaw;
    return std::int32_t(steps);
}

double outputMillivolts(const OutputRange &range, std::int32_t code)
{
    const double step = double(range.highMillivolts - range.lowMillivolts) / maximumOutputCode;
    return range.lowMillivolts + code * step;
}

} // namespace simcard
