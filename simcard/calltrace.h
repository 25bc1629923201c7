#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace simcard {

/// A file with one line per card call, flushed line by line so that another
/// process can follow it while the program runs.
class CallTrace
{
public:
    CallTrace() = default;
    CallTrace(const CallTrace &) = delete;
    CallTrace &operator=(const CallTrace &) = delete;
    ~CallTrace();

    /// Creates or truncates the file; false if it cannot be opened.
    bool open(const std::string &path);

    /// Whether lines are being written.
    bool isOpen() const { return m_file != nullptr; }

    /// Writes one line (a newline is added) and flushes it.
    void write(std::string_view line);

private:
    std::FILE *m_file = nullptr;
};

/// Builds one trace line: `NAME(arg, arg, ...) = result detail...`. Numbers are
/// written the same whatever the process locale.
class TraceLine
{
public:
    /// Starts a line for the named entry point.
    explicit TraceLine(std::string_view name);

    /// Adds a numeric argument.
    TraceLine &arg(std::int64_t value);
    /// Adds an argument shown by name (a pointer).
    TraceLine &arg(std::string_view name);
    /// Closes the argument list with an integer result.
    TraceLine &result(std::int64_t value);
    /// Closes the argument list with a floating-point result.
    TraceLine &result(double value);
    /// Appends ` key=value`.
    TraceLine &detail(std::string_view key, std::int64_t value);
    /// Appends ` key=` and the values, at most `shown` of them, then how many in all if more.
    TraceLine &values(std::string_view key, const std::int32_t *data, std::int64_t count,
                      std::int64_t shown);
    /// Appends ` key=` and the bytes in two-digit hex.
    TraceLine &bytes(std::string_view key, const std::uint8_t *data, std::int64_t count);

    /// The line so far.
    const std::string &text() const { return m_text; }

private:
    void number(std::int64_t value);

    std::string m_text;
    bool m_firstArg = true;
};

} // namespace simcard
