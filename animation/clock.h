#pragma once
#include <cstdint>

namespace morvelux {

// Milliseconds of the multimedia timer: unsigned 32-bit, wraps around.
using Millis = std::uint32_t;

class Clock {
public:
    virtual ~Clock() = default;
    virtual Millis now() = 0;
};

}  // namespace morvelux
