#include "calltrace.h"

#include <charconv>
#include <cmath>

namespace simcard {

CallTrace::~CallTrace()
{
    if (m_file)
        std::fclose(m_file);
}

bool CallTrace::open(const std::string &path)
{
    if (m_file)
        std::fclose(m_file);
    // Binary, so that lines end in a bare newline on Windows too.
    m_file = std::fopen(path.c_str(), "wb");
    return m_file != nullptr;
}

void CallTrace::write(std::string_view line)
{
    if (!m_file)
        return;
    std::fwrite(line.data(), 1, line.size(), m_file);
    std::fputc('\n', m_file);
    std::fflush(m_file);
}

TraceLine::TraceLine(std::string_view name)
    : m_text(name)
{
    m_text += '(';
}

void TraceLine::number(std::int64_t value)
{
    char buffer[24];
    m_text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

TraceLine &TraceLine::arg(std::int64_t value)
{
    if (!m_firstArg)
        m_text += ", ";
    m_firstArg = false;
    number(value);
    return *this;
}

TraceLine &TraceLine::arg(std::string_view name)
{
    if (!m_firstArg)
        m_text += ", ";
    m_firstArg = false;
    m_text += name;
    return *this;
}

TraceLine &TraceLine::result(std::int64_t value)
{
    m_text += ") = ";
    number(value);
    return *this;
}

TraceLine &TraceLine::result(double value)
{
    m_text += ") = ";
    if (std::isnan(value)) {
        m_text += "nan";
        return *this;
    }
    char buffer[32];
    m_text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
    return *this;
}

TraceLine &TraceLine::detail(std::string_view key, std::int64_t value)
{
    m_text += ' ';
    m_text += key;
    m_text += '=';
    number(value);
    return *this;
}

TraceLine &TraceLine::values(std::string_view key, const std::int32_t *data, std::int64_t count,
                             std::int64_t shown)
{
    m_text += ' ';
    m_text += key;
    m_text += '=';
    const std::int64_t listed = count < shown ? count : shown;
    for (std::int64_t i = 0; i < listed; ++i) {
        if (i > 0)
            m_text += ',';
        number(data[i]);
    }
    if (listed < count) {
        m_text += ",... (";
        number(count);
        m_text += " in all)";
    }
    return *this;
}

TraceLine &TraceLine::bytes(std::string_view key, const std::uint8_t *data, std::int64_t count)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    m_text += ' ';
    m_text += key;
    m_text += '=';
    for (std::int64_t i = 0; i < count; ++i) {
        if (i > 0)
            m_text += ' ';
        m_text += digits[data[i] >> 4];
        m_text += digits[data[i] & 0xF];
    }
    return *this;
}

} // namespace simcard
