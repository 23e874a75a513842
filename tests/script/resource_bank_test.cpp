#include "script/resource_bank.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "framework/stream.h"
#include "graphics/surface32.h"
#include "graphics/surface8.h"
#include "script/value_exchange.h"
#include "support/test_support.h"

namespace {

using graphics::TImageTrans;
using graphics::TSurface32;

const TImageTrans kNoTrans{0, 0, 0xFFFFFFFFu};

// Every name "w<width>" loads a surface of that width and 256 rows; any other name fails.
class FakeSurfaces : public TSurfaceBank {
public:
    int loads = 0;

protected:
    TSurface32* load(const std::string& name, const TImageTrans&) override {
        if (name.size() < 2 || name[0] != 'w') return nullptr;
        auto s = std::make_unique<TSurface32>();
        if (!s->createFilled(std::stoi(name.substr(1)), 256, 0xFF000000)) return nullptr;
        ++loads;
        return s.release();
    }
};

class FakeSpds : public TSpdBank {
public:
    using TSpdBank::TSpdBank;

protected:
    std::unique_ptr<graphics::TSpdData> load(const std::string& name) override {
        if (name == "missing") return nullptr;
        return std::make_unique<graphics::TSpdData>();
    }
};

class FakeChannels : public TAlphaChBank {
public:
    bool gone = false;  // the files have disappeared

protected:
    graphics::TAlphaCh* load(const std::string&) override {
        if (gone) return nullptr;
        auto ch = std::make_unique<graphics::TAlphaCh>();
        ch->createFill(64, 64, 0);
        return ch.release();
    }
};

// The bank as the caching rules describe it: names front to back, references and bytes.
struct ModelBank {
    struct Entry {
        std::string name;
        int refs;
        int64_t bytes;
    };
    std::vector<Entry> list;
    int64_t budget;

    int64_t used() const {
        int64_t n = 0;
        for (const auto& e : list) n += e.bytes;
        return n;
    }
    Entry* find(const std::string& name) {
        for (auto& e : list)
            if (e.name == name) return &e;
        return nullptr;
    }
    void toFront(const std::string& name) {
        auto it = std::find_if(list.begin(), list.end(), [&](const Entry& e) { return e.name == name; });
        Entry e = *it;
        list.erase(it);
        list.insert(list.begin(), e);
    }
    void shrink(int64_t limit) {
        for (size_t i = list.size(); i-- > 0 && used() > limit;)
            if (list[i].refs == 0) list.erase(list.begin() + static_cast<ptrdiff_t>(i));
    }
    void take(const std::string& name, int64_t bytes, int refs) {
        if (Entry* e = find(name)) {
            if (refs)
                ++e->refs;
            else
                toFront(name);
            return;
        }
        list.insert(list.begin(), {name, refs, bytes});
        shrink(budget);
    }
    void release(const std::string& name) {
        Entry* e = find(name);
        if (e && e->refs >= 1 && --e->refs == 0) toFront(name);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : list) out.push_back(e.name);
        return out;
    }
};

TEST(ResourceBank, SurfaceBankFollowsTheCachingRulesUnderRandomUse) {
    std::mt19937 rng(7);
    for (int round = 0; round < mjtest::heavyCount(20, 5); ++round) {
        FakeSurfaces bank;
        ModelBank model{{}, 1 << 20};
        bank.setBudget(model.budget);
        // Each name's surfaces as the holders took them, so releases give back real pointers.
        std::map<std::string, std::vector<TSurface32*>> held;
        for (int step = 0; step < 300; ++step) {
            const std::string name = "w" + std::to_string(64 * (1 + rng() % 12));
            const int64_t bytes = 4LL * std::stoi(name.substr(1)) * 256;
            switch (rng() % 4) {
                case 0:
                case 1: {
                    TSurface32* s = bank.get(name, kNoTrans);
                    ASSERT_NE(s, nullptr);
                    held[name].push_back(s);
                    model.take(name, bytes, 1);
                    break;
                }
                case 2:
                    ASSERT_TRUE(bank.preload(name, kNoTrans));
                    model.take(name, bytes, 0);
                    break;
                default:
                    if (held[name].empty()) break;
                    bank.release(held[name].back());
                    held[name].pop_back();
                    model.release(name);
            }
            ASSERT_EQ(bank.names(), model.names()) << "step " << step;
            ASSERT_EQ(bank.usedBytes(), model.used());
            for (auto& [n, list] : held) {
                if (list.empty()) continue;
                ASSERT_EQ(bank.refCount(list.back()), model.find(n)->refs);
            }
        }
    }
}

TEST(ResourceBank, SurfacesReleasedFirstAreEvictedFirstAndReferencedOnesStay) {
    FakeSurfaces bank;
    // Seventeen surfaces of 1 MiB (1024 x 256 x 4) under different names, each released.
    std::vector<TSurface32*> taken;
    for (int i = 0; i < 17; ++i) {
        TSurface32* s = bank.get("w1024" + std::string(static_cast<size_t>(i), ' '), kNoTrans);
        ASSERT_NE(s, nullptr);
        bank.release(s);
        EXPECT_LE(bank.usedBytes(), TSurfaceBank::kBudget);
    }
    EXPECT_EQ(bank.size(), 16u);
    EXPECT_EQ(bank.names().back(), "w1024 ") << "the first released went first";

    // Taken again after release: found without loading.
    const int loads = bank.loads;
    TSurface32* again = bank.get("w1024 ", kNoTrans);
    EXPECT_EQ(bank.loads, loads);
    // Another transparency colour is another entry.
    TImageTrans keyed{1, 0x00FF00FF, 0xFFFFFFFFu};
    EXPECT_NE(bank.get("w1024 ", keyed), again);
    EXPECT_EQ(bank.loads, loads + 1);

    // Everything referenced above the budget stays.
    FakeSurfaces full;
    for (int i = 0; i < 20; ++i)
        ASSERT_NE(full.get("w1024" + std::string(static_cast<size_t>(i), '.'), kNoTrans), nullptr);
    EXPECT_EQ(full.size(), 20u);
    EXPECT_GT(full.usedBytes(), TSurfaceBank::kBudget);
}

TEST(ResourceBank, FillAndAdoptedSurfacesAreKeyedApartFromFiles) {
    FakeSurfaces bank;
    TSurface32* red = bank.getFillSurface(0xFFFF0000, 8, 8, -1);
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(bank.getFillSurface(0xFFFF0000, 8, 8, -1), red);
    EXPECT_NE(bank.getFillSurface(0xFFFF0000, 8, 8, 128), red);
    EXPECT_EQ(bank.refCount(red), 2);
    EXPECT_EQ(bank.getFillSurface(0xFFFF0000, 0, 8, -1), nullptr);

    // An adopted surface is the bank's now, and never answers a fill lookup.
    auto* own = new TSurface32;
    own->createFilled(1, 1, 0);
    EXPECT_EQ(bank.adopt(own), own);
    EXPECT_EQ(bank.refCount(own), 1);
    EXPECT_EQ(bank.getFillSurface(0, 0, 0, -1), nullptr);
    bank.release(own);
    bank.dropUnused();
    EXPECT_EQ(bank.refCount(own), -1);

    // A surface the bank never held stays its owner's.
    TSurface32 outside;
    outside.createFilled(2, 2, 0);
    bank.release(&outside);
    EXPECT_EQ(outside.width(), 2);
}

TEST(ResourceBank, ClearForgetsEntriesButNotWhatHoldersStillUse) {
    FakeSurfaces bank;
    TSurface32* kept = bank.get("w64", kNoTrans);
    TSurface32* dropped = bank.get("w128", kNoTrans);
    bank.release(dropped);
    bank.clear();
    EXPECT_EQ(bank.size(), 0u);
    EXPECT_EQ(bank.usedBytes(), 0);
    EXPECT_EQ(bank.nextId(), 0);
    // The holder's surface is still whole (the sanitizer sees any use after free) and goes with
    // its last release; a new get loads afresh.
    EXPECT_EQ(kept->getPixel(0, 0), 0xFF000000u);
    EXPECT_EQ(bank.refCount(kept), 1);
    EXPECT_NE(bank.get("w64", kNoTrans), nullptr);
    bank.release(kept);
    EXPECT_EQ(bank.refCount(kept), -1);

    // Sprite data kept through a clear keeps its texture references too.
    FakeSurfaces surfaces;
    FakeSpds spds(surfaces);
    graphics::TSpdData* data = spds.get("a.wsd");
    spds.clear();
    EXPECT_EQ(spds.refCount(data), 1);
    spds.release(data);
    EXPECT_EQ(spds.refCount(data), -1);
}

TEST(ResourceBank, SpriteDataByNameAndById) {
    FakeSurfaces surfaces;
    FakeSpds bank(surfaces);
    graphics::TSpdData* twelve = bank.getWithId(12, "a.wsd");
    ASSERT_NE(twelve, nullptr);
    EXPECT_EQ(bank.nextId(), 13);
    EXPECT_EQ(bank.get("<SPD:12>"), twelve);
    EXPECT_EQ(bank.refCount(twelve), 2);
    EXPECT_EQ(bank.get("<SPD:12"), nullptr);
    EXPECT_EQ(bank.get("<SPD:99999999999>"), nullptr);
    EXPECT_EQ(bank.get("<SPD:4>"), nullptr);
    EXPECT_EQ(bank.get("missing"), nullptr);
    EXPECT_EQ(bank.nextId(), 13) << "a failed load adds nothing";

    // Id 12 asked for under another name: the old entry moves to the next id.
    graphics::TSpdData* other = bank.getWithId(12, "b.wsd");
    EXPECT_NE(other, twelve);
    EXPECT_EQ(bank.idOf(other), 12);
    EXPECT_EQ(bank.idOf(twelve), 13);
    bank.releaseById(13);
    bank.releaseById(13);
    EXPECT_EQ(bank.refCount(twelve), 0);
    graphics::TSpdData stranger;
    bank.release(&stranger);  // not the bank's: ignored
}

TEST(ResourceBank, ExchangeSavesWhichEntryAndLoadsANewReference) {
    FakeSurfaces surfaces;
    FakeSpds spds(surfaces);
    FakeChannels channels;
    TImageTrans keyed{1, 0x123456, 0xFFFFFFFFu};
    TSurface32* file = surfaces.get("w64", keyed);
    TSurface32* fill = surfaces.getFillSurface(0xFF00FF00, 4, 3, 7);
    TSurface32* none = nullptr;
    graphics::TSpdData* data = spds.get("a.wsd");
    graphics::TAlphaCh* mask = channels.get("mask.bmp");

    TMemoryStream m;
    {
        TValueExchange x(&m, true);
        surfaces.exchange(x, file);
        surfaces.exchange(x, fill);
        const uint32_t before = m.size();
        surfaces.exchange(x, none);
        TMemoryStream tagsOnly;
        {
            TValueExchange t(&tagsOnly, true);
            TValueExchange::TKey key(t, "SurfaceBank");
        }
        EXPECT_EQ(m.size() - before, tagsOnly.size() + 1) << "a null reference is only Enable";
        spds.exchange(x, data);
        channels.exchange(x, mask);
        channels.exchange(x, mask);
    }

    m.seek(0, 0);
    TValueExchange x(&m, false);
    TSurface32 *file2 = nullptr, *fill2 = nullptr, *none2 = surfaces.getFillSurface(0, 1, 1, -1);
    graphics::TSpdData* data2 = nullptr;
    graphics::TAlphaCh *mask2 = nullptr, *lost = mask;
    surfaces.exchange(x, file2);
    surfaces.exchange(x, fill2);
    surfaces.exchange(x, none2);
    spds.exchange(x, data2);
    channels.exchange(x, mask2);
    EXPECT_EQ(file2, file);
    EXPECT_EQ(surfaces.refCount(file), 2);
    EXPECT_EQ(fill2, fill);
    EXPECT_EQ(none2, nullptr);
    EXPECT_EQ(data2, data);
    EXPECT_EQ(mask2, mask);
    EXPECT_EQ(channels.nameOf(mask), "mask.bmp");

    // A channel that can no longer be loaded comes back null with a warning naming it.
    channels.release(mask), channels.release(mask);
    channels.dropUnused();
    channels.gone = true;
    std::vector<std::string> log;
    setEngineLogSink([&](const std::string& line) { log.push_back(line); });
    channels.exchange(x, lost);
    setEngineLogSink(nullptr);
    EXPECT_EQ(lost, nullptr);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("warning 1006"), std::string::npos);
    EXPECT_NE(log[0].find("mask.bmp"), std::string::npos);
}

}  // namespace
