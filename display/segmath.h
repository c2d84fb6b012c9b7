#pragma once
// Integer scaling used by every piece of the display's geometry. The layout
// is defined as "multiply, then divide, truncating toward zero"; doing the
// product in 64 bits keeps absurd factors or sizes from overflowing (which
// would be undefined behaviour) while giving the same result as 32-bit
// arithmetic for every size a screen can have.

#include <cstdint>
#include <limits>

inline int32_t ClampToInt32(int64_t value)
{
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// value × numerator / denominator, the product formed first.
inline int32_t Frac(int64_t value, int64_t numerator, int64_t denominator)
{
    return ClampToInt32(value * numerator / denominator);
}
