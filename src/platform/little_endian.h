#pragma once
// Little-endian loads and stores: the one place where integer fields are put together from bytes
// and taken apart into them. Every file format and message of the system stores its integers
// least significant byte first whatever the host, so readers and writers go through these rather
// than shift bytes by hand. Header-only and free of other includes of the system, so that every
// layer (the rules engine included) may use it.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

namespace le {

namespace detail {

// The integer with its bytes in the opposite order.
template <typename U>
constexpr U byteSwap(U v) {
    if constexpr (sizeof(U) == 1) {
        return v;
    } else if constexpr (sizeof(U) == 2) {
        return __builtin_bswap16(v);
    } else if constexpr (sizeof(U) == 4) {
        return __builtin_bswap32(v);
    } else {
        return __builtin_bswap64(v);
    }
}

}  // namespace detail

// The integer of sizeof(T) bytes at p (T an integer type of 1, 2, 4 or 8 bytes). p must hold
// sizeof(T) bytes, at any alignment; signed types come back in two's complement. At run time this
// is one load (and a byte swap on a big-endian host), so vectorised loops stay vectorised.
template <typename T>
constexpr T load(const uint8_t* p) {
    static_assert(std::is_integral_v<T>);
    using U = std::make_unsigned_t<T>;
    U v = 0;
    if (std::is_constant_evaluated()) {
        for (size_t i = 0; i < sizeof(T); ++i) v = static_cast<U>(v | static_cast<U>(static_cast<U>(p[i]) << (8 * i)));
        return static_cast<T>(v);
    }
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big) v = detail::byteSwap(v);
    return static_cast<T>(v);
}

// Writes the sizeof(T) bytes of v at p: one store at run time, as load is one load.
template <typename T>
constexpr void store(uint8_t* p, T v) {
    static_assert(std::is_integral_v<T>);
    using U = std::make_unsigned_t<T>;
    auto u = static_cast<U>(v);
    if (std::is_constant_evaluated()) {
        for (size_t i = 0; i < sizeof(T); ++i) p[i] = static_cast<uint8_t>(u >> (8 * i));
        return;
    }
    if constexpr (std::endian::native == std::endian::big) u = detail::byteSwap(u);
    std::memcpy(p, &u, sizeof u);
}

// Appends the sizeof(T) bytes of v to out.
template <typename T>
void append(std::vector<uint8_t>& out, T v) {
    uint8_t b[sizeof(T)];
    store(b, v);
    out.insert(out.end(), b, b + sizeof(T));
}

// The same for a width known only at run time (pixels of 1 to 4 bytes, say): n bytes, n <= 8.
// The common widths take the single loads and stores above.
constexpr uint64_t loadN(const uint8_t* p, size_t n) {
    switch (n) {
        case 1:
            return p[0];
        case 2:
            return load<uint16_t>(p);
        case 3:
            return load<uint16_t>(p) | uint64_t{p[2]} << 16;
        case 4:
            return load<uint32_t>(p);
        case 8:
            return load<uint64_t>(p);
        default:
            break;
    }
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return v;
}
constexpr void storeN(uint8_t* p, uint64_t v, size_t n) {
    switch (n) {
        case 1:
            p[0] = static_cast<uint8_t>(v);
            return;
        case 2:
            store(p, static_cast<uint16_t>(v));
            return;
        case 3:
            store(p, static_cast<uint16_t>(v));
            p[2] = static_cast<uint8_t>(v >> 16);
            return;
        case 4:
            store(p, static_cast<uint32_t>(v));
            return;
        case 8:
            store(p, v);
            return;
        default:
            break;
    }
    for (size_t i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

constexpr uint16_t load16(const uint8_t* p) { return load<uint16_t>(p); }
constexpr uint32_t load32(const uint8_t* p) { return load<uint32_t>(p); }
constexpr uint64_t load64(const uint8_t* p) { return load<uint64_t>(p); }
constexpr void store16(uint8_t* p, uint16_t v) { store(p, v); }
constexpr void store32(uint8_t* p, uint32_t v) { store(p, v); }
constexpr void store64(uint8_t* p, uint64_t v) { store(p, v); }

}  // namespace le
