#include "graphics/blitter.h"

#include <array>
#include <utility>
#include <vector>

#include "graphics/kernels.h"
#include "graphics/pixel.h"
#include "graphics/sprite.h"
#include "graphics/surface32.h"
#include "graphics/surface8.h"

namespace graphics {

namespace {

// Everything a kernel reads, gathered once per call.
struct Job {
    uint32_t* dst = nullptr;
    ptrdiff_t dstStride = 0;  // pixels
    const uint32_t* src = nullptr;
    ptrdiff_t srcStride = 0;
    int32_t width = 0;  // drawn size
    int32_t height = 0;
    int32_t x = 0;  // destination position, for the tiled mask
    int32_t y = 0;
    bool stretched = false;
    std::vector<int32_t> cols;  // source column of each drawn column (stretched)
    std::vector<int32_t> rows;  // source row of each drawn row (stretched)
    uint32_t opacity = 0;
    uint32_t key = 0;
    uint32_t modulate = 0;
    bool modulated = false;
    uint32_t paint = 0;
    const TSurface8* map = nullptr;
    const uint8_t* levels = nullptr;

    const uint32_t* srcRow(int32_t r) const { return src + (stretched ? rows[r] : r) * srcStride; }
    uint32_t* dstRow(int32_t r) const { return dst + r * dstStride; }
    int32_t srcCol(int32_t c) const { return stretched ? cols[c] : c; }
};

// Source positions by accumulating a 16.16 step: the drawn index i takes floor(i * step / 65536).
void stepTable(std::vector<int32_t>& out, int32_t srcLen, int32_t dstLen) {
    const int64_t step = (int64_t(srcLen) << 16) / dstLen;
    out.resize(static_cast<size_t>(dstLen));
    int64_t acc = 0;
    for (int32_t i = 0; i < dstLen; ++i, acc += step) out[static_cast<size_t>(i)] = static_cast<int32_t>(acc >> 16);
}

// False when the call breaks the kernel contract or there is nothing to draw.
bool setup(Job& j, TSurface32& dst, int32_t x, int32_t y, const TSprite32& spr, const RECT& src, int32_t w, int32_t h,
           bool stretched) {
    const TSurface32* s = spr.getSurface();
    if (!s || !s->pixels() || !std::as_const(dst).pixels()) return false;
    if (src.left < 0 || src.top < 0 || src.right > s->width() || src.bottom > s->height() || src.empty()) return false;
    if (!stretched) {
        w = src.width();
        h = src.height();
    }
    if (w <= 0 || h <= 0 || x < 0 || y < 0 || int64_t(x) + w > dst.width() || int64_t(y) + h > dst.height())
        return false;
    j.opacity = spr.getOpacity();
    if (j.opacity == 0) return false;
    j.width = w;
    j.height = h;
    j.x = x;
    j.y = y;
    j.stretched = stretched;
    // A blit that is only written down leaves the destination's pixels (and stamp) alone and
    // needs no sampling tables.
    const bool recorded = dst.recorder() != nullptr;
    j.dst = recorded ? nullptr : dst.row(y) + x;
    j.dstStride = dst.width();
    j.src = s->row(src.top) + src.left;
    j.srcStride = s->width();
    if (stretched && !recorded) {
        stepTable(j.cols, src.width(), w);
        stepTable(j.rows, src.height(), h);
    }
    j.key = spr.getColorKey();
    j.modulate = spr.getModulate();
    j.modulated = spr.isModulated() && (j.modulate & 0xFFFFFF) != 0xFFFFFF;
    j.paint = spr.getPaintColor();
    if (const TAlphaMask* m = spr.getMask()) {
        if (m->map() && std::as_const(*m->map()).pixels()) {
            j.map = m->map();
            j.levels = m->table();
        }
    }
    return true;
}

// A blit written down: its place, and its source, sprite settings and mask as what it writes.
// A stretched blit samples from where a clip cuts it, so it is drawn whole.
void noteBlit(DrawRecord& record, const Job& j, int table, uint32_t kind, const TSprite32& spr, const RECT& src) {
    const TSurface32* s = spr.getSurface();
    DrawKey key(100 + static_cast<uint32_t>(table));
    key.add(kind).add(spr.getKind()).add(s).add(s->stamp()).add(src).add(spr.getColorKey()).add(spr.getModulate());
    key.add(spr.getPaintColor()).add(uint64_t(uint32_t(j.width)) << 32 | uint32_t(j.height));
    if (j.map) key.add(j.map).add(j.map->stamp()).addBytes(j.levels, 256);
    record.add(TRect(j.x, j.y, j.width, j.height), key.value(), j.stretched);
}

// The operation of a blend type for a destination kind; the Src form weighs by source alpha.
template <bool WithAlpha, uint32_t Type, bool Src>
inline uint32_t applyOp(uint32_t d, uint32_t s, uint32_t o) {
    if constexpr (WithAlpha) {
        if constexpr (Type == 0)
            return Src ? op::alphaBlendSrc(d, s, o) : op::alphaBlend(d, s, o);
        else if constexpr (Type == 2)
            return Src ? op::alphaAddSrc(d, s, o) : op::alphaAdd(d, s, o);
        else if constexpr (Type == 4)
            return Src ? op::alphaSubSrc(d, s, o) : op::alphaSub(d, s, o);
        else
            return Src ? op::alphaMulSrc(d, s, o) : op::alphaMul(d, s, o);
    } else {
        if constexpr (Type == 0)
            return Src ? op::opaqueAlphaSrc(d, s, o) : op::opaqueAlpha(d, s, o);
        else if constexpr (Type == 2)
            return Src ? op::opaqueAddSrc(d, s, o) : op::opaqueAdd(d, s, o);
        else if constexpr (Type == 4)
            return Src ? op::opaqueSubSrc(d, s, o) : op::opaqueSub(d, s, o);
        else
            return Src ? op::opaqueMulSrc(d, s, o) : op::opaqueMul(d, s, o);
    }
}

// f(destination pixel, source pixel, destination x, destination y) over the drawn area.
template <class F>
inline void forEachPixel(const Job& j, F&& f) {
    for (int32_t r = 0; r < j.height; ++r) {
        uint32_t* d = j.dstRow(r);
        const uint32_t* s = j.srcRow(r);
        if (j.stretched) {
            for (int32_t c = 0; c < j.width; ++c) f(d[c], s[j.cols[c]], j.x + c, j.y + r);
        } else {
            for (int32_t c = 0; c < j.width; ++c) f(d[c], s[c], j.x + c, j.y + r);
        }
    }
}

inline uint32_t maskLevel(const Job& j, int32_t x, int32_t y) {
    const TSurface8& m = *j.map;
    return j.levels[m.row(y % m.height())[x % m.width()]];
}

// Kinds 2-7 and 9-15: key skip, modulation, then the operation.
template <bool WithAlpha, uint32_t Kind>
void generalKernel(const Job& j) {
    constexpr bool keyed = Kind & 1;
    const uint32_t o = j.modulated ? 255 : j.opacity;
    forEachPixel(j, [&](uint32_t& d, uint32_t s, int32_t, int32_t) {
        if (keyed && s == j.key) return;
        if (j.modulated) s = modulate(s, j.modulate);
        d = applyOp<WithAlpha, Kind & 6, (Kind & 8) != 0>(d, s, o);
    });
}

// Kinds 0, 1 and 8 onto a destination with alpha; modulation is not consulted.
template <uint32_t Kind>
void fastKernelAlpha(const Job& j) {
    const uint32_t o = j.opacity;
    if constexpr (Kind == 8) {
        uint8_t level[256];
        for (uint32_t a = 0; a < 256; ++a) level[a] = static_cast<uint8_t>(o == 255 ? a : div255(a * o));
        forEachPixel(j, [&](uint32_t& d, uint32_t s, int32_t, int32_t) {
            const uint32_t l = level[alphaOf(s)];
            if (l == 0) return;
            if (l == 255)
                d = s;
            else if (alphaOf(d) == 0)
                d = (s & 0xFFFFFF) | (l << 24);
            else
                d = blendOver(d, s, l);
        });
    } else {
        constexpr bool keyed = Kind == 1;
        if (o == 255) {
            if (!j.stretched) {
                const auto& k = rowKernels();
                for (int32_t r = 0; r < j.height; ++r) {
                    if (keyed)
                        k.keyCopy(j.dstRow(r), j.srcRow(r), j.width, j.key);
                    else
                        k.copy(j.dstRow(r), j.srcRow(r), j.width);
                }
                return;
            }
            forEachPixel(j, [&](uint32_t& d, uint32_t s, int32_t, int32_t) {
                if (!keyed || s != j.key) d = s;
            });
            return;
        }
        forEachPixel(j, [&](uint32_t& d, uint32_t s, int32_t, int32_t) {
            if (keyed && s == j.key) return;
            d = alphaOf(d) == 0 ? (s & 0xFFFFFF) | (o << 24) : blendOver(d, s, o);
        });
    }
}

// Kinds 0, 1 and 8 onto an opaque destination.
template <uint32_t Kind>
void fastKernelOpaque(const Job& j) {
    const uint32_t o = j.opacity;
    const auto& k = rowKernels();
    if (j.modulated) {
        const uint32_t m = j.modulate;
        if constexpr (Kind == 8) {
            forEachPixel(j, [&](uint32_t& d, uint32_t s, int32_t, int32_t) {
                if (alphaOf(s) == 0) return;
                d = lerp(d, modulate(s, m), div255(alphaOf(s) * o));
            });
        } else {
            constexpr bool keyed = Kind == 1;
            forEachPixel(j, [&](uint32_t& d, uint32_t s, int32_t, int32_t) {
                if (keyed && s == j.key) return;
                const uint32_t c = modulate(s, m);
                d = o == 255 ? c | 0xFF000000u : lerp(d, c, o);
            });
        }
        return;
    }
    if constexpr (Kind == 8) {
        if (!j.stretched) {
            for (int32_t r = 0; r < j.height; ++r) k.srcAlpha(j.dstRow(r), j.srcRow(r), j.width, o);
            return;
        }
        uint8_t level[256];
        for (uint32_t a = 0; a < 256; ++a) level[a] = static_cast<uint8_t>(o == 255 ? a : div255(a * o));
        forEachPixel(j, [&](uint32_t& d, uint32_t s, int32_t, int32_t) {
            const uint32_t w = level[alphaOf(s)];
            if (w == 0) return;
            d = w == 255 ? s : lerp(d, s, w);
        });
    } else {
        constexpr bool keyed = Kind == 1;
        if (!j.stretched) {
            for (int32_t r = 0; r < j.height; ++r) {
                uint32_t* d = j.dstRow(r);
                const uint32_t* s = j.srcRow(r);
                if (o == 255) {
                    if (keyed)
                        k.keyCopy(d, s, j.width, j.key);
                    else
                        k.copy(d, s, j.width);
                } else {
                    if (keyed)
                        k.keyLerp(d, s, j.width, o, j.key);
                    else
                        k.lerp(d, s, j.width, o);
                }
            }
            return;
        }
        if (o == 255) {
            forEachPixel(j, [&](uint32_t& d, uint32_t s, int32_t, int32_t) {
                if (!keyed || s != j.key) d = s;
            });
            return;
        }
        forEachPixel(j, [&](uint32_t& d, uint32_t s, int32_t, int32_t) {
            if (!keyed || s != j.key) d = lerp(d, s, o);
        });
    }
}

// Kind 16 unstretched: the mask's levels scaled by the opacity, no key, no source alpha.
template <bool WithAlpha>
void maskFastKernel(const Job& j) {
    uint8_t level[256];
    for (int i = 0; i < 256; ++i)
        level[i] = static_cast<uint8_t>(j.opacity == 255 ? j.levels[i] : div255(uint32_t(j.levels[i]) * j.opacity));
    const TSurface8& m = *j.map;
    if constexpr (!WithAlpha) {
        const auto& k = rowKernels();
        for (int32_t r = 0; r < j.height; ++r)
            k.mask(j.dstRow(r), j.srcRow(r), j.width, m.row((j.y + r) % m.height()), m.width(), j.x % m.width(), level);
    } else {
        forEachPixel(j, [&](uint32_t& d, uint32_t s, int32_t x, int32_t y) {
            const uint32_t l = level[m.row(y % m.height())[x % m.width()]];
            if (l == 0) return;
            if (l == 255)
                d = s | 0xFF000000u;
            else if (alphaOf(d) == 0)
                d = (s & 0xFFFFFF) | (l << 24);
            else
                d = blendOver(d, s, l);
        });
    }
}

// Kinds 17-31, and 16 stretched: the mask level (times the source alpha) becomes the source's
// alpha for the Src operation of the blend type.
template <bool WithAlpha, uint32_t Kind>
void maskKernel(const Job& j) {
    constexpr bool keyed = Kind & 1;
    constexpr bool srcAlpha = Kind & 8;
    forEachPixel(j, [&](uint32_t& d, uint32_t s, int32_t x, int32_t y) {
        if (keyed && s == j.key) return;
        uint32_t l = maskLevel(j, x, y);
        if (l == 0) return;
        if (srcAlpha) {
            l = alphaOf(s) * l / 255;
            if (l == 0) return;
        }
        d = applyOp<WithAlpha, Kind & 6, true>(d, (s & 0xFFFFFF) | (l << 24), j.opacity);
    });
}

// Paint mode: the sprite's shape in its paint colour.
template <bool WithAlpha, uint32_t Kind>
void paintKernel(const Job& j) {
    constexpr bool keyed = Kind & 1;
    constexpr bool srcAlpha = Kind & 8;
    constexpr bool masked = Kind & 16;
    const uint32_t p = j.paint;
    const uint32_t pa = alphaOf(p);
    if (pa == 0) return;
    if (masked && !j.map) return;
    uint32_t table[256];
    for (uint32_t i = 0; i < 256; ++i) table[i] = (p & 0xFFFFFF) | ((i * pa / 255) << 24);
    const uint32_t o = j.opacity;
    auto run = [&](auto useSrc) {
        [[maybe_unused]] constexpr bool src = decltype(useSrc)::value;
        forEachPixel(j, [&](uint32_t& d, uint32_t s, int32_t x, int32_t y) {
            if (keyed && s == j.key) return;
            if constexpr (masked) {
                uint32_t l = maskLevel(j, x, y);
                if (srcAlpha) {
                    l = alphaOf(s) * l / 255;
                    if (l == 0) return;
                }
                d = applyOp<WithAlpha, Kind & 6, true>(d, table[l], o);
            } else {
                d = applyOp<WithAlpha, Kind & 6, src>(d, srcAlpha ? table[alphaOf(s)] : p, o);
            }
        });
    };
    if (masked || srcAlpha || pa < 255)
        run(std::true_type{});
    else
        run(std::false_type{});
}

template <int Table, uint32_t Kind>
void kernel(TSurface32& dst, int32_t x, int32_t y, const TSprite32& spr, const RECT& src, int32_t w, int32_t h) {
    constexpr bool stretched = Table == 2 || Table == 3 || Table == 6 || Table == 7;
    constexpr bool withAlpha = Table % 2 == 0;
    constexpr bool paint = Table >= 4;
    constexpr bool masked = Kind & 16;
    Job j;
    if (!setup(j, dst, x, y, spr, src, w, h, stretched)) return;
    if (DrawRecord* record = dst.recorder()) {
        noteBlit(*record, j, Table, Kind, spr, src);
        return;
    }
    if constexpr (paint) {
        paintKernel<withAlpha, Kind>(j);
    } else if constexpr (masked) {
        if (!j.map) return;  // a mask kind without a map draws nothing
        if constexpr (Kind == 16 && !stretched)
            maskFastKernel<withAlpha>(j);
        else
            maskKernel<withAlpha, Kind>(j);
    } else if constexpr (Kind == 0 || Kind == 1 || Kind == 8) {
        if constexpr (withAlpha)
            fastKernelAlpha<Kind>(j);
        else
            fastKernelOpaque<Kind>(j);
    } else {
        generalKernel<withAlpha, Kind>(j);
    }
}

template <int Table, size_t... K>
constexpr std::array<BlitKernel, kBlitKinds> tableOf(std::index_sequence<K...>) {
    return {&kernel<Table, static_cast<uint32_t>(K)>...};
}

const std::array<std::array<BlitKernel, kBlitKinds>, kBlitTables> kTables{
    tableOf<0>(std::make_index_sequence<kBlitKinds>{}), tableOf<1>(std::make_index_sequence<kBlitKinds>{}),
    tableOf<2>(std::make_index_sequence<kBlitKinds>{}), tableOf<3>(std::make_index_sequence<kBlitKinds>{}),
    tableOf<4>(std::make_index_sequence<kBlitKinds>{}), tableOf<5>(std::make_index_sequence<kBlitKinds>{}),
    tableOf<6>(std::make_index_sequence<kBlitKinds>{}), tableOf<7>(std::make_index_sequence<kBlitKinds>{}),
};

}  // namespace

BlitKernel blitKernel(int table, uint32_t kind) { return kTables[static_cast<size_t>(table & 7)][kind & 31]; }

void blitGlyph17(uint32_t* dst, const uint8_t* glyph, int32_t width, int32_t height, ptrdiff_t dstPitch,
                 ptrdiff_t glyphPitch, uint32_t k) {
    static constexpr uint8_t kLevels[17] = {0,   16,  32,  48,  64,  80,  96,  112, 128,
                                            143, 159, 175, 191, 207, 223, 239, 255};
    const uint32_t ka = alphaOf(k);
    if (ka == 0 || !dst || !glyph) return;
    uint32_t level[17];
    for (int i = 0; i < 17; ++i) level[i] = ka == 255 ? kLevels[i] : div255(uint32_t(kLevels[i]) * ka);
    for (int32_t y = 0; y < height; ++y) {
        uint32_t* d = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + y * dstPitch);
        const uint8_t* g = glyph + y * glyphPitch;
        for (int32_t x = 0; x < width; ++x) {
            // Coverage beyond 16 counts as full rather than reading past the table.
            const uint32_t l = level[g[x] > 16 ? 16 : g[x]];
            if (l == 0) continue;
            if (l == 255)
                d[x] = k | 0xFF000000u;
            else if (alphaOf(d[x]) == 0)
                d[x] = (k & 0xFFFFFF) | (l << 24);
            else
                d[x] = blendOver(d[x], k, l);
        }
    }
}

void blitGlyphMono(uint32_t* dst, const uint8_t* glyph, int32_t width, int32_t height, ptrdiff_t dstPitch,
                   ptrdiff_t glyphPitch, uint32_t colour) {
    if (!dst || !glyph) return;
    for (int32_t y = 0; y < height; ++y) {
        uint32_t* d = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + y * dstPitch);
        const uint8_t* g = glyph + y * glyphPitch;
        for (int32_t x = 0; x < width; ++x)
            if ((g[x >> 3] >> (7 - (x & 7))) & 1) d[x] = colour;
    }
}

}  // namespace graphics
