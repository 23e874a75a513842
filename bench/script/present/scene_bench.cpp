// Composing a typical story frame at 800 x 600 on one core: the background's composite picture,
// eight sprites (four half-screen characters with soft alpha edges, four small pictures), two
// animated objects and a translucent message window, laid into the layers and drawn.
// Target: 4 ms a frame.
#include <benchmark/benchmark.h>

#include <map>
#include <random>

#include "framework/stream.h"
#include "graphics/surface32.h"
#include "script/present/doc/doc.h"
#include "script/present/graphic/graphic.h"
#include "script/present/graphic/graphic_host.h"
#include "storage/storage.h"

namespace {

// Pictures of random pixels by name; the animation script from memory.
class BenchStore : public TStorageGraph {
public:
    graphics::TSurface32* loadSurfaceWith(const std::string& name, const graphics::TImageTrans*, bool) override {
        const bool character = name.rfind("ch", 0) == 0;
        const int w = name == "bg.bmp" ? 800
                      : character      ? 300
                                       : 100,
                  h = name == "bg.bmp" ? 600
                      : character      ? 500
                                       : 100;
        auto* s = new graphics::TSurface32;
        s->alloc(w, h);
        std::mt19937 rng(static_cast<uint32_t>(name.size()));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int edge = std::min(std::min(x, w - 1 - x), std::min(y, h - 1 - y));
                const uint32_t a = !character ? 255 : edge < 20 ? 0 : edge < 36 ? (edge - 20) * 16 : 255;
                s->row(y)[x] = a << 24 | (rng() & 0xFFFFFF);
            }
        s->setHasAlpha(character);
        return s;
    }
    std::unique_ptr<TStream> openStream(const std::string& name) override {
        if (name != "blink.as") return nullptr;
        static const std::string text = "0 i small0.bmp 0 0\r\n100 i small1.bmp 2 0\r\n200 j 0\r\n";
        auto m = std::make_unique<TMemoryStream>();
        m->write(text.data(), static_cast<uint32_t>(text.size()));
        m->seek(0, 0);
        return m;
    }
};

class BenchHost : public present::GraphicHost {
public:
    uint32_t engineTime() override { return now; }
    uint32_t now = 0;
};

void BM_ComposeStoryFrame(benchmark::State& state) {
    BenchStore store;
    BenchHost host;
    present::setGraphicHost(&host);
    present::DocHost docHost;
    present::TG2Doc doc(docHost);
    doc.create();
    present::TG2Graphic graphic(host);
    graphic.create(800, 600);
    graphic.reset();
    graphic.setDoc(&doc);

    auto& bg = graphic.getBgSprite(0);
    bg.setPendingSprObj(host.createGrObj("bg.bmp"));
    graphic.getBgsCenter().commitStates();
    graphic.getBgsCenter().release();
    graphic.getBgsCenter().SprObj = graphic.getBgsCenter().renderToSprObj(nullptr);
    for (int n = 0; n < 4; ++n)
        graphic.getSprite(10 + n).setImage("ch" + std::to_string(n) + ".bmp", 20 + 180 * n, 80, 0);
    for (int n = 0; n < 4; ++n)
        graphic.getSprite(20 + n).setImage("small" + std::to_string(n) + ".bmp", 40 + 150 * n, 20, 0);
    graphic.getSprite(30).setImage("blink.as", 600, 460, 0);
    graphic.getSprite(31).setImage("blink.as", 680, 460, 0);
    present::TG2DocFrame* window = doc.getFrame(0);
    window->setRect({20, 430, 780, 580});
    window->surface()->fill(0xA0202040u);
    window->setVisible(255);

    graphics::TSurface32 target;
    target.alloc(800, 600);
    for (auto _ : state) {
        host.now += 16;
        graphic.update();
        graphic.clear();
        graphic.compose(true);
        graphic.draw(target);
        benchmark::DoNotOptimize(target.pixels()[0]);
    }
    graphic.releaseAll();
    present::setGraphicHost(nullptr);
}
BENCHMARK(BM_ComposeStoryFrame)->Unit(benchmark::kMillisecond);

}  // namespace
