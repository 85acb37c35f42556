#pragma once

#include <stdexcept>
#include <string>

namespace velmora::services {

// A failed step of the program's own procedures, with the runtime's error
// number so callers that care can tell failures apart.
class RuntimeError : public std::runtime_error
{
public:
    enum Number {
        SubscriptOutOfRange = 9,
        FileNotFound = 53,
        InputPastEnd = 62,
        PathNotFound = 76,
        TypeMismatch = 13,
        CacheEntryMissing = 26721,
    };
    RuntimeError(int number, const std::string &what) : std::runtime_error(what), m_number(number)
    {
    }
    int number() const { return m_number; }

private:
    int m_number;
};

} // namespace velmora::services
