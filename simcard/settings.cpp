#include "settings.h"

#include <charconv>
#include <string_view>

namespace simcard {

namespace {

std::string complaint(std::string_view name, std::string_view value, std::string_view expected,
                      std::string_view fallback)
{
    std::string line = "simulated ZK583 card: ";
    line.append(name).append("=\"").append(value).append("\" is not ").append(expected);
    line.append("; using ").append(fallback);
    return line;
}

} // namespace

Settings Settings::read(const std::function<const char *(const char *)> &lookup)
{
    Settings settings;

    if (const char *value = lookup("ZK583SIM_ABSENT"); value && *value) {
        const std::string_view text(value);
        if (text == "1")
            settings.absent = true;
        else if (text != "0")
            settings.problems.push_back(
                complaint("ZK583SIM_ABSENT", text, "0 or 1", "0 (the card is present)"));
    }

    if (const char *value = lookup("ZK583SIM_SAMPLE_RATE"); value && *value) {
        const std::string_view text(value);
        std::int32_t rate = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rate);
        if (error == std::errc() && end == text.data() + text.size() && rate >= 1
            && rate <= maximumSampleRate)
            settings.sampleRate = rate;
        else
            settings.problems.push_back(complaint("ZK583SIM_SAMPLE_RATE", text,
                                                  "a whole number of samples/s from 1 to 10000000",
                                                  "the rate chosen by ZK583_TAD"));
    }

    if (const char *value = lookup("ZK583SIM_TRACE"); value && *value)
        settings.tracePath = value;

    return settings;
}

} // namespace simcard
