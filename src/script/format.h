#pragma once
// The printf-style formatter that scripts reach: integer conversions only. Format strings come
// from script text, so nothing here hands them to the C library as they stand.
#include <cstdint>
#include <string>
#include <vector>

// Each %d, %i, %u, %x, %X, %o or %c (flags "-+ #0", width, precision, size letters h/l/L/q/j/z/t
// accepted and ignored) takes the next integer, 0 when the list is used up; %% is a percent sign.
// Any other conversion is copied as it stands. Width and precision are held to 256.
std::string g2Format(const std::string& format, const std::vector<int32_t>& values);
