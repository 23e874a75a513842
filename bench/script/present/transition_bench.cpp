// One frame of a transition half way through at 800 x 600 on one core: the pictures the job
// lays in the sprite's place drawn onto the screen. Targets: cross-fade 2 ms, mask wipe 4 ms,
// slice columns 6 ms.
#include <benchmark/benchmark.h>

#include <random>

#include "graphics/gr_kinds.h"
#include "graphics/surface32.h"
#include "script/present/transition/gde.h"

namespace {

class Host : public present::GdeHost {
public:
    uint32_t now(bool) override { return clock; }
    graphics::SIZE layerSize() const override { return {800, 600}; }
    uint32_t clock = 0;
};

class Sprite : public present::GdeSprite {
public:
    ~Sprite() override { delete obj; }
    graphics::TMixObj* getSprObj() const override { return obj; }
    void setSprObj(graphics::TMixObj* o) override { obj = o; }
    int32_t getNo() const override { return 0; }
    uint32_t getFlag() const override { return 0; }
    bool isVisible() const override { return true; }
    int32_t getBlend() const override { return 255; }
    void setBlend(int32_t) override {}
    graphics::TMixObj* obj = nullptr;
};

struct Layer : present::GdeLayer {
    void append(graphics::TGrObj* o) override { objs.push_back(o); }
    std::vector<graphics::TGrObj*> objs;
};

void fillRandom(graphics::TSurface32& s, uint32_t seed) {
    std::mt19937 rng(seed);
    s.alloc(800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) s.row(y)[x] = rng() | 0xFF000000u;
}

void runKind(benchmark::State& state, int32_t code) {
    Host host;
    present::setGdeHost(&host);
    graphics::TSurface32 a, b, screen;
    fillRandom(a, 1), fillRandom(b, 2), screen.alloc(800, 600);
    Sprite sprite;
    auto* before = new graphics::TSprObj;
    before->setSurface(&a);
    sprite.obj = before;
    auto* after = new graphics::TSprObj;
    after->setSurface(&b);
    {
        auto job = present::createGde(code);
        job->setTime(1000);
        job->begin(&sprite, after);
        job->step();
        host.clock = 500;
        job->step();
        Layer layer;
        job->addToLayer(layer, 255);
        for (auto _ : state) {
            for (auto* o : layer.objs) o->draw(screen);
            benchmark::ClobberMemory();
        }
    }
    present::setGdeHost(nullptr);
}

void BM_CrossFade(benchmark::State& state) { runKind(state, 0xC001); }
void BM_MaskWipe(benchmark::State& state) { runKind(state, 0xC004); }
void BM_SliceColumns(benchmark::State& state) { runKind(state, 0xC00B); }

BENCHMARK(BM_CrossFade)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MaskWipe)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SliceColumns)->Unit(benchmark::kMillisecond);

}  // namespace
