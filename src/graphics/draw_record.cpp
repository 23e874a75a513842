#include "graphics/draw_record.h"

#include <algorithm>
#include <atomic>
#include <unordered_map>
#include <utility>

namespace graphics {

namespace {

// This many areas or more come back as their union.
constexpr size_t kMaxAreas = 16;
// While areas are joined, more than this many apart are joined into their union at once: the
// union rule would take them so, unless later ones bridge them, and joining costs each new
// rectangle a look at every area.
constexpr size_t kMaxJoining = 4 * kMaxAreas;
// Passes over the operations drawn whole while there are several areas; beyond them the areas
// become their union, which takes in every whole operation that reaches it in one go.
constexpr int kMaxPasses = 16;

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

// Everything `same` compares, as one word.
uint64_t sameKey(const DrawOp& op) { return DrawKey(op.whole ? 1 : 0).add(op.key).add(op.bounds).value(); }

// Disjoint areas, as the screen object redraws them: a rectangle added takes in every area it
// overlaps.
class Areas {
public:
    void add(RECT r) {
        // Each area taken in makes the rectangle larger: the areas looked at before may meet it now.
        for (size_t i = 0; i < rects_.size();) {
            if (!meets(rects_[i], r)) {
                ++i;
                continue;
            }
            r = unite(r, rects_[i]);
            rects_[i] = rects_.back();
            rects_.pop_back();
            i = 0;
        }
        rects_.push_back(r);
        if (rects_.size() > kMaxJoining) unionAll();
    }
    // Many areas, or areas that fill half their union or more, are drawn as the union.
    void applyUnionRule() {
        if (rects_.size() < 2) return;
        RECT u = rects_.front();
        int64_t sum = 0;
        for (const RECT& r : rects_) {
            u = unite(u, r);
            sum += int64_t(r.width()) * r.height();
        }
        if (rects_.size() >= kMaxAreas || sum >= int64_t(u.width()) * u.height() / 2) rects_.assign(1, u);
    }
    void unionAll() {
        RECT u = rects_.front();
        for (const RECT& r : rects_) u = unite(u, r);
        rects_.assign(1, u);
    }
    std::vector<RECT>& rects() { return rects_; }

private:
    std::vector<RECT> rects_;
};

// The one area grown until every operation that reaches it lies in it. An operation meets the
// area when each of its four edges lies on the near side of the area's opposite edge; the area
// only grows, so each edge, walked in sorted order, is passed once.
RECT takeInto(RECT u, const std::vector<RECT>& ops) {
    const size_t n = ops.size();
    std::vector<uint32_t> order[4];
    for (int e = 0; e < 4; ++e) {
        order[e].resize(n);
        for (size_t i = 0; i < n; ++i) order[e][i] = static_cast<uint32_t>(i);
    }
    std::sort(order[0].begin(), order[0].end(), [&](uint32_t a, uint32_t b) { return ops[a].left < ops[b].left; });
    std::sort(order[1].begin(), order[1].end(), [&](uint32_t a, uint32_t b) { return ops[a].right > ops[b].right; });
    std::sort(order[2].begin(), order[2].end(), [&](uint32_t a, uint32_t b) { return ops[a].top < ops[b].top; });
    std::sort(order[3].begin(), order[3].end(), [&](uint32_t a, uint32_t b) { return ops[a].bottom > ops[b].bottom; });
    const auto near = [&](int e, const RECT& r) {
        switch (e) {
            case 0:
                return r.left < u.right;
            case 1:
                return r.right > u.left;
            case 2:
                return r.top < u.bottom;
            default:
                return r.bottom > u.top;
        }
    };
    std::vector<uint8_t> edges(n, 0);
    size_t at[4] = {0, 0, 0, 0};
    for (bool moved = true; moved;) {
        moved = false;
        for (int e = 0; e < 4; ++e)
            for (; at[e] < n && near(e, ops[order[e][at[e]]]); ++at[e]) {
                moved = true;
                const uint32_t i = order[e][at[e]];
                if (++edges[i] == 4) u = unite(u, ops[i]);
            }
    }
    return u;
}

// Every whole operation that reaches into an area is taken into it.
void takeWholeOps(Areas& areas, const std::vector<DrawOp>& ops, const RECT& area) {
    std::vector<RECT> left;
    for (const DrawOp& op : ops)
        if (op.whole)
            if (const RECT b = intersect(op.bounds, area); !b.empty()) left.push_back(b);
    for (int pass = 0;; ++pass) {
        areas.applyUnionRule();
        if (areas.rects().size() == 1 || pass == kMaxPasses) break;
        bool grew = false;
        size_t kept = 0;
        for (const RECT& b : left) {
            bool reaches = false, held = false;
            for (const RECT& r : areas.rects()) {
                if (!meets(r, b)) continue;
                reaches = true;
                held = held || holds(r, b);
            }
            // Areas only grow: an operation held stays held.
            if (reaches && !held) {
                areas.add(b);
                grew = true;
            } else if (!reaches) {
                left[kept++] = b;
            }
        }
        left.resize(kept);
        if (!grew) return;
    }
    areas.unionAll();
    areas.rects().front() = takeInto(areas.rects().front(), left);
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
    // The operations of `before` that are the same fall in one list, and each list is walked
    // once: the pairing only moves forward.
    struct Same {
        std::vector<size_t> at;
        size_t from = 0;
    };
    std::unordered_map<uint64_t, Same> lists;
    lists.reserve(aEnd - head);
    for (size_t i = head; i < aEnd; ++i) lists[sameKey(a[i])].at.push_back(i);
    std::vector<bool> paired(aEnd - head, false);
    size_t next = head;
    for (size_t j = head; j < bEnd; ++j) {
        bool found = false;
        if (auto it = lists.find(sameKey(b[j])); it != lists.end()) {
            Same& l = it->second;
            while (l.from < l.at.size() && l.at[l.from] < next) ++l.from;
            for (size_t k = l.from; k < l.at.size(); ++k) {
                const size_t i = l.at[k];
                if (!same(a[i], b[j])) continue;
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
    Areas areas;
    for (const RECT& r : rects)
        if (const RECT c = intersect(r, area); !c.empty()) areas.add(c);
    if (areas.rects().empty()) return {};
    takeWholeOps(areas, b, area);
    return std::move(areas.rects());
}

}  // namespace graphics
