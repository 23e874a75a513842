#pragma once
// Field lists of the game messages. A message names its fields once, in wire order, as member
// pointers (wrapped where the wire form is not the member's own); its size, encoder and decoder
// all follow from that list, so the three can never disagree.
//
//   u8 / u32 member          1 / 4 bytes (u32 little-endian)
//   object member            its own byte form (TPai, TRoundResult: size(), toBytes() or write(),
//                            read() that reports the bytes taken); decoded into a fresh object
//   shared object member     the held object's byte form; decoded into the held object, which
//                            must be there and have at least its present size in bytes
//   signedByte(&C::m)        an int as one signed byte
//   flag / flags             bools as bits of one byte
//   countedPairs(&C::m)      a std::map<i8, i8>: a signed count, then (key, value) byte pairs in key
//                            order; the map is emptied before it is read, a repeated key keeps the
//                            last value
//
// A decode reads every field into a fresh value first and stores them only once all have been
// read, so a failed decode leaves the message as it was (but for the two in-place kinds above).
#include <array>
#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <map>
#include <tuple>
#include <type_traits>
#include <utility>

#include "game/wire.h"

namespace game::wire {

template <class C, class T>
struct Member {
    T C::*member;
    using Value = T;

    u32 size(const C& o) const {
        if constexpr (std::is_same_v<T, u8>)
            return 1;
        else if constexpr (std::is_same_v<T, u32>)
            return 4;
        else
            return static_cast<u32>((o.*member).size());
    }
    void put(TByteWriter& w, const C& o) const {
        const T& v = o.*member;
        if constexpr (std::is_same_v<T, u8>)
            w.putU8(v);
        else if constexpr (std::is_same_v<T, u32>)
            w.putU32(v);
        else if constexpr (requires { v.toBytes(); })
            w.putObject(v);
        else
            w.putBytes(v.write());
    }
    bool get(TByteReader& r, C&, Value& v) const {
        if constexpr (std::is_same_v<T, u8>)
            return r.getU8(v);
        else if constexpr (std::is_same_v<T, u32>)
            return r.getU32(v);
        else
            return r.getObject(v);
    }
    void assign(C& o, Value&& v) const { o.*member = std::move(v); }
};

template <class C, class T>
struct Member<C, boost::shared_ptr<T>> {
    boost::shared_ptr<T> C::*member;
    struct Value {};

    u32 size(const C& o) const { return (o.*member) ? static_cast<u32>((o.*member)->size()) : 0; }
    void put(TByteWriter& w, const C& o) const {
        if (o.*member) w.putObject(*(o.*member));
    }
    bool get(TByteReader& r, C& o, Value&) const {
        const boost::shared_ptr<T>& held = o.*member;
        return held && r.left() >= held->size() && r.getObject(*held);
    }
    void assign(C&, Value&&) const {}
};

template <class C>
struct SignedByte {
    int C::*member;
    using Value = int;

    u32 size(const C&) const { return 1; }
    void put(TByteWriter& w, const C& o) const { w.putU8(static_cast<u32>(o.*member)); }
    bool get(TByteReader& r, C&, Value& v) const { return r.getI8(v); }
    void assign(C& o, Value&& v) const { o.*member = v; }
};

template <class C, size_t N>
struct FlagByte {
    std::array<bool C::*, N> members;
    std::array<u8, N> bits;
    using Value = std::array<bool, N>;

    u32 size(const C&) const { return 1; }
    void put(TByteWriter& w, const C& o) const {
        u32 b = 0;
        for (size_t i = 0; i < N; ++i)
            if (o.*members[i]) b |= bits[i];
        w.putU8(b);
    }
    bool get(TByteReader& r, C&, Value& v) const {
        u8 b = 0;
        if (!r.getU8(b)) return false;
        for (size_t i = 0; i < N; ++i) v[i] = (b & bits[i]) != 0;
        return true;
    }
    void assign(C& o, Value&& v) const {
        for (size_t i = 0; i < N; ++i) o.*members[i] = v[i];
    }
};

template <class C>
struct CountedPairs {
    std::map<i8, i8> C::*member;
    using Value = std::map<i8, i8>;

    u32 size(const C& o) const { return 1 + 2 * static_cast<u32>((o.*member).size()); }
    void put(TByteWriter& w, const C& o) const {
        w.putU8(static_cast<u32>((o.*member).size()));
        for (const auto& [key, value] : o.*member) {
            w.putU8(static_cast<u8>(key));
            w.putU8(static_cast<u8>(value));
        }
    }
    bool get(TByteReader& r, C& o, Value& v) const {
        (o.*member).clear();
        int n = 0;
        if (!r.getI8(n) || n < 0 || r.left() < 2 * static_cast<u32>(n)) return false;
        for (int i = 0; i < n; ++i) {
            int key = 0, value = 0;
            r.getI8(key);
            r.getI8(value);
            v[static_cast<i8>(key)] = static_cast<i8>(value);
        }
        return true;
    }
    void assign(C& o, Value&& v) const { o.*member = std::move(v); }
};

template <class C>
constexpr SignedByte<C> signedByte(int C::*m) {
    return {m};
}
template <class C>
constexpr FlagByte<C, 1> flag(bool C::*m, u8 bit) {
    return {{m}, {bit}};
}
template <class C>
constexpr FlagByte<C, 2> flags(bool C::*a, u8 bitA, bool C::*b, u8 bitB) {
    return {{a, b}, {bitA, bitB}};
}
template <class C>
constexpr CountedPairs<C> countedPairs(std::map<i8, i8> C::*m) {
    return {m};
}

template <class C, class F>
constexpr F asField(F f) {
    return f;
}
template <class C, class T>
constexpr Member<C, T> asField(T C::*m) {
    return {m};
}

template <class C, class... F>
struct FieldList {
    std::tuple<F...> fields;

    u32 size(const C& o) const {
        return std::apply([&](const auto&... f) { return (u32{0} + ... + f.size(o)); }, fields);
    }
    std::vector<u8> encode(const C& o) const {
        std::vector<u8> out;
        out.reserve(size(o));
        TByteWriter w(out);
        std::apply([&](const auto&... f) { (f.put(w, o), ...); }, fields);
        return out;
    }
    bool decode(const u8* data, u32 length, C& o) const {
        return decodeWith(data, length, o, std::index_sequence_for<F...>{});
    }

private:
    template <size_t... I>
    bool decodeWith(const u8* data, u32 length, C& o, std::index_sequence<I...>) const {
        TByteReader r(data, length);
        std::tuple<typename F::Value...> fresh{};
        if (!(std::get<I>(fields).get(r, o, std::get<I>(fresh)) && ...)) return false;
        (std::get<I>(fields).assign(o, std::move(std::get<I>(fresh))), ...);
        return true;
    }
};

// The field list of message class C, in wire order.
template <class C, class... M>
constexpr auto fieldsOf(M... members) {
    return FieldList<C, decltype(asField<C>(members))...>{{asField<C>(members)...}};
}

}  // namespace game::wire
