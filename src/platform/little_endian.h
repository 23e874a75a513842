#pragma once
// Little-endian loads and stores: the one place where integer fields are put together from bytes
// and taken apart into them. Every file format and message of the system stores its integers
// least significant byte first whatever the host, so readers and writers go through these rather
// than shift bytes by hand. Header-only and free of other includes of the system, so that every
// layer (the rules engine included) may use it.
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace le {

// The integer of sizeof(T) bytes at p (T an integer type of 1, 2, 4 or 8 bytes). p must hold
// sizeof(T) bytes; signed types come back in two's complement.
template <typename T>
constexpr T load(const uint8_t* p) {
    static_assert(std::is_integral_v<T>);
    using U = std::make_unsigned_t<T>;
    U v = 0;
    for (size_t i = 0; i < sizeof(T); ++i) v = static_cast<U>(v | static_cast<U>(static_cast<U>(p[i]) << (8 * i)));
    return static_cast<T>(v);
}

// Writes the sizeof(T) bytes of v at p.
template <typename T>
constexpr void store(uint8_t* p, T v) {
    static_assert(std::is_integral_v<T>);
    using U = std::make_unsigned_t<T>;
    const auto u = static_cast<U>(v);
    for (size_t i = 0; i < sizeof(T); ++i) p[i] = static_cast<uint8_t>(u >> (8 * i));
}

// Appends the sizeof(T) bytes of v to out.
template <typename T>
void append(std::vector<uint8_t>& out, T v) {
    uint8_t b[sizeof(T)];
    store(b, v);
    out.insert(out.end(), b, b + sizeof(T));
}

// The same for a width known only at run time (pixels of 1 to 4 bytes, say): n bytes, n <= 8.
constexpr uint64_t loadN(const uint8_t* p, size_t n) {
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return v;
}
constexpr void storeN(uint8_t* p, uint64_t v, size_t n) {
    for (size_t i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

constexpr uint16_t load16(const uint8_t* p) { return load<uint16_t>(p); }
constexpr uint32_t load32(const uint8_t* p) { return load<uint32_t>(p); }
constexpr uint64_t load64(const uint8_t* p) { return load<uint64_t>(p); }
constexpr void store16(uint8_t* p, uint16_t v) { store(p, v); }
constexpr void store32(uint8_t* p, uint32_t v) { store(p, v); }
constexpr void store64(uint8_t* p, uint64_t v) { store(p, v); }

}  // namespace le
