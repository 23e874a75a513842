#include "graphics/draw_record.h"

#include <algorithm>
#include <atomic>
#include <unordered_map>

namespace graphics {

namespace {

// This many areas or more come back as their union.
constexpr size_t kMaxAreas = 16;

std::atomic<uint64_t> g_stamp{0};

bool meets(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool holds(const RECT& outer, const RECT& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

RECT unite(const RECT& a, const RECT& b) {
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

bool same(const DrawOp& a, const DrawOp& b) { return a.key == b.key && a.bounds == b.bounds && a.whole == b.whole; }

// Overlapping rectangles become their union until none overlap.
void disjoin(std::vector<RECT>& rects) {
    for (bool merged = true; merged;) {
        merged = false;
        for (size_t i = 0; i < rects.size() && !merged; ++i)
            for (size_t j = i + 1; j < rects.size(); ++j)
                if (meets(rects[i], rects[j])) {
                    rects[i] = unite(rects[i], rects[j]);
                    rects.erase(rects.begin() + static_cast<ptrdiff_t>(j));
                    merged = true;
                    break;
                }
    }
}

// Every whole operation that reaches into an area is taken into it.
void takeWholeOps(std::vector<RECT>& rects, const std::vector<DrawOp>& ops, const RECT& area) {
    for (bool grew = true; grew;) {
        grew = false;
        disjoin(rects);
        // As the screen object redraws: many areas, or areas that fill half their union or more,
        // are drawn as the union.
        RECT u = rects.front();
        int64_t sum = 0;
        for (const RECT& r : rects) {
            u = unite(u, r);
            sum += int64_t(r.width()) * r.height();
        }
        if (rects.size() > 1 && (rects.size() >= kMaxAreas || sum >= int64_t(u.width()) * u.height() / 2))
            rects.assign(1, u);
        for (const DrawOp& op : ops) {
            if (!op.whole) continue;
            const RECT b = intersect(op.bounds, area);
            if (b.empty()) continue;
            bool reaches = false, held = false;
            for (const RECT& r : rects) {
                if (!meets(r, b)) continue;
                reaches = true;
                held = held || holds(r, b);
            }
            if (reaches && !held) {
                rects.push_back(b);
                grew = true;
            }
        }
    }
}

}  // namespace

DrawKey& DrawKey::addBytes(const uint8_t* p, size_t n) {
    uint64_t word = 0;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        word = 0;
        for (size_t k = 0; k < 8; ++k) word |= uint64_t(p[i + k]) << (8 * k);
        add(word);
    }
    word = n;
    for (size_t k = 0; i + k < n; ++k) word |= uint64_t(p[i + k]) << (8 * k + 8);
    return add(word);
}

uint64_t nextDrawStamp() { return g_stamp.fetch_add(1, std::memory_order_relaxed) + 1; }

std::vector<RECT> changedAreas(const DrawRecord& before, const DrawRecord& after, const RECT& area) {
    const std::vector<DrawOp>& a = before.ops();
    const std::vector<DrawOp>& b = after.ops();
    size_t head = 0;
    while (head < a.size() && head < b.size() && same(a[head], b[head])) ++head;
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && same(a[a.size() - 1 - tail], b[b.size() - 1 - tail]))
        ++tail;
    const size_t aEnd = a.size() - tail, bEnd = b.size() - tail;
    std::vector<RECT> rects;
    if (head == aEnd && head == bEnd) return rects;
    // Between the common ends, operations are paired in order where they are the same; a pixel that
    // no unpaired operation reaches is written by the same operations in the same order in both.
    std::unordered_map<uint64_t, std::vector<size_t>> at;
    for (size_t i = head; i < aEnd; ++i) at[a[i].key].push_back(i);
    std::vector<bool> paired(aEnd - head, false);
    size_t next = head;
    for (size_t j = head; j < bEnd; ++j) {
        bool found = false;
        if (auto it = at.find(b[j].key); it != at.end()) {
            for (size_t i : it->second) {
                if (i < next || !same(a[i], b[j])) continue;
                paired[i - head] = true;
                next = i + 1;
                found = true;
                break;
            }
        }
        if (!found) rects.push_back(b[j].bounds);
    }
    for (size_t i = head; i < aEnd; ++i)
        if (!paired[i - head]) rects.push_back(a[i].bounds);
    std::vector<RECT> inside;
    for (const RECT& r : rects)
        if (const RECT c = intersect(r, area); !c.empty()) inside.push_back(c);
    if (!inside.empty()) takeWholeOps(inside, b, area);
    return inside;
}

}  // namespace graphics
