#pragma once
// The record the script engine keeps for every actor name a script uses (its table inserts a
// default record on the first lookup of a name). What the five values mean is up to the actor
// commands; the record only fixes their order and starting values.
#include <cstdint>
#include <string>

class TActor {
public:
    TActor() = default;
    TActor(const TActor&) = default;
    TActor& operator=(const TActor&) = default;
    virtual ~TActor() = default;

    int32_t a = 0;
    int32_t b = static_cast<int32_t>(0xFF000000u);  // ARGB: opaque black
    int32_t c = -1;
    int32_t d = 1;
    int32_t e = 255;
    std::string name;  // starts empty; the table's key holds the actor's name
};
