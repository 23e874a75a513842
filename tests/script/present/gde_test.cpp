// Transitions against plain per-pixel models of what each kind shows at a progress, their
// timing and ends, and their saved state.
#include <gtest/gtest.h>

#include <png.h>

#include <fstream>
#include <random>

#include "framework/stream.h"
#include "gde_fixture.h"
#include "support/test_support.h"

using namespace gdetest;
using graphics::TAlphaCh;
using present::createGde;
using present::TGrDwarfEffect;

namespace {

uint32_t pixelA(int x, int y) { return 0xFF000040u | uint32_t((x * 37 + y * 11) & 0xFF) << 16; }
uint32_t pixelB(int x, int y) { return 0xFF3000C0u | uint32_t((x * 13 + y * 29) & 0xFF) << 8; }

struct Scene {
    Scene(int w, int h) {
        host.size = {w, h};
        a.alloc(w, h), b.alloc(w, h), canvas.alloc(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) a.row(y)[x] = pixelA(x, y), b.row(y)[x] = pixelB(x, y);
        host.surfaces = {&a, &b};
        host.sprites[0] = &sprite;
        sprite.setSprObj(Host::picture(&a));
    }
    // Begins kind `code` over `time` ms and runs its first frame.
    TGrDwarfEffect* begin(int32_t code, int32_t time) {
        job = createGde(code);
        job->setTime(time);
        EXPECT_TRUE(job->begin(&sprite, Host::picture(&b)));
        host.clock = 1000;
        job->step();
        return job.get();
    }
    void at(uint32_t ms) {
        host.clock = 1000 + ms;
        job->step();
        compose(sprite, canvas);
    }
    Host host;
    TSurface32 a, b, canvas;
    Sprite sprite;
    std::unique_ptr<TGrDwarfEffect> job;
};

int maskValue(int code, int x, int w) {
    const int i = x % 32, n = w / 16;
    switch (code) {
        case 0xC004:
            return i;
        case 0xC005:
            return 31 - i;
        case 0xC006:
            return i < 16 ? i : 31 - i;
        default: {
            if (x >= 16 * n) return 0;
            const int band = x / 16;
            return (code == 0xC007 ? band : n - 1 - band) + x % 16;
        }
    }
}

// What kind `code` shows at (x, y) at progress p on a w x h layer (0 where nothing is drawn).
uint32_t model(int code, int p, int x, int y, int w, int h) {
    if (code >= 0xC004 && code <= 0xC008) {
        const int range = code == 0xC006 ? 16 : code <= 0xC005 ? 32 : w / 16 + 16;
        const int steps = 257 * range / 256 + 1, k = steps * p / 8192;
        return maskValue(code, x, w) < k ? pixelB(x, y) : pixelA(x, y);
    }
    if (code >= 0xC009 && code <= 0xC00C) {
        const bool in = code == 0xC009 || code == 0xC00B, rows = code <= 0xC00A;
        auto still = in ? pixelA : pixelB, moving = in ? pixelB : pixelA;
        const int d = int(int64_t(in ? 8192 - p : p) * (rows ? w : h) / 8192);
        if (d < 1) return moving(x, y);
        const int shift = ((rows ? y : x) & 1) ? d : -d;
        const int sx = rows ? x - shift : x, sy = rows ? y : y - shift;
        return sx >= 0 && sx < w && sy >= 0 && sy < h ? moving(sx, sy) : still(x, y);
    }
    // Scrolls: the before picture moved by d, the after picture a span behind it.
    const bool horizontal = code <= 0xC00F, forward = code == 0xC00E || code == 0xC010;
    const int span = horizontal ? w : h, d = int(int64_t(p) * span / 8192), c = horizontal ? x : y;
    const int off = forward ? d : -d;
    const int ca = c - off, cb = forward ? c - (d - span) : c - (span - d);
    if (ca >= 0 && ca < span) return horizontal ? pixelA(ca, y) : pixelA(x, ca);
    if (cb >= 0 && cb < span) return horizontal ? pixelB(cb, y) : pixelB(x, cb);
    return 0xFF000000u;
}

int channelDiff(uint32_t p, uint32_t q) {
    int d = 0;
    for (int s = 0; s < 24; s += 8) d = std::max(d, std::abs(int(p >> s & 255) - int(q >> s & 255)));
    return d;
}

}  // namespace

TEST(Gde, EveryMovingKindMatchesItsPixelModelAtRandomProgress) {
    std::mt19937 rng(29);
    for (int code = 0xC004; code <= 0xC011; ++code) {
        if (code == 0xC00D) continue;
        for (int trial = 0; trial < 4; ++trial) {
            const int w = 16 + int(rng() % 60), h = 4 + int(rng() % 30), p = int(rng() % 8192);
            Scene s(w, h);
            s.begin(code, 8192);
            s.at(uint32_t(p));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    ASSERT_EQ(s.canvas.getPixel(x, y) | 0xFF000000u, model(code, p, x, y, w, h))
                        << std::hex << code << std::dec << " " << w << "x" << h << " p " << p << " at " << x << ","
                        << y;
        }
    }
}

TEST(Gde, AlphaFadeMixesByElapsedTimeAndPicturesOfOtherKindsCrossWithABump) {
    Scene s(40, 20);
    s.begin(0xC001, 500);
    s.at(250);
    EXPECT_EQ(static_cast<present::TGdeBlend*>(s.job.get())->level(), 127);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            const uint32_t a = pixelA(x, y), b = pixelB(x, y);
            uint32_t want = 0xFF000000u;
            for (int sh = 0; sh < 24; sh += 8)
                want |= ((int(a >> sh & 255) * 128 + int(b >> sh & 255) * 127) / 255) << sh;
            ASSERT_LE(channelDiff(s.canvas.getPixel(x, y), want), 2) << x << "," << y;
        }
    EXPECT_EQ(present::gdeSine(64), 256);
    EXPECT_EQ(present::gdeSine(64) / 3, 85);  // the bump at the middle of a fade of non-surface pictures
}

TEST(Gde, EveryKindStartsOnTheBeforePictureAndEndsOnTheAfterPictureAlone) {
    for (int code = 0xC000; code <= 0xC011; ++code) {
        Scene s(48, 20);
        s.begin(code, 2000);
        compose(s.sprite, s.canvas);
        // A cut shows the after picture at once; multiply over black is black.
        if (code != 0xC000 && code != 0xC003) {
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 48; ++x)
                    ASSERT_EQ(s.canvas.getPixel(x, y) | 0xFF000000u, pixelA(x, y)) << std::hex << code;
        }
        for (uint32_t t = 2000; !s.job->isFinished(); t += 16) s.at(t);
        ASSERT_EQ(s.sprite.getJob(), nullptr);
        auto* pic = dynamic_cast<TSprObj*>(s.sprite.getSprObj());
        ASSERT_TRUE(pic && pic->getSurface() == &s.b) << std::hex << code;
        EXPECT_EQ(pic->getMask(), nullptr);
        EXPECT_EQ(pic->getBlendType(), 0u) << "the fade's blend type stays on the picture, kind " << std::hex << code;
        EXPECT_EQ(pic->getPos().x, 0);
        compose(s.sprite, s.canvas);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 48; ++x)
                ASSERT_EQ(s.canvas.getPixel(x, y) | 0xFF000000u, pixelB(x, y)) << std::hex << code;
    }
}

TEST(Gde, SkipModeScreenEffectOffAndFlagsDecideTheEnd) {
    Scene s(32, 8);
    s.host.effect = false;
    s.begin(0xC00E, 2000);  // its first update already sees the switch off
    EXPECT_TRUE(s.job->isFinished());
    s.host.effect = true;
    s.begin(0xC009, 2000);
    s.at(500);
    s.host.skipping = true;
    s.at(516);
    EXPECT_TRUE(s.job->isFinished());
    s.host.skipping = false;

    // Flag bit 1: paused until the graphic jobs are resumed.
    s.sprite.flag = 3;
    auto first = createGde(0xC001);
    ASSERT_TRUE(first->begin(&s.sprite, Host::picture(&s.b)));
    EXPECT_TRUE(first->isPaused());
    TG2DwarfGuild guild;
    guild.push_back(first.get());
    present::resumeGraphicDwarfs(guild);
    EXPECT_FALSE(first->isPaused());

    // A second transition on the sprite ends the first: its after picture becomes the before one.
    auto* firstAfter = first->after();
    auto second = createGde(0xC004);
    ASSERT_TRUE(second->begin(&s.sprite, Host::picture(&s.a)));
    EXPECT_TRUE(first->isFinished());
    EXPECT_EQ(second->before(), firstAfter);
    EXPECT_EQ(s.sprite.getJob(), second.get());
    // Destroyed unfinished: the after picture goes with it and the sprite keeps its picture.
    second.reset();
    EXPECT_EQ(s.sprite.getJob(), nullptr);
    EXPECT_EQ(s.sprite.getSprObj(), firstAfter);
}

TEST(Gde, ProgressHoldsForLongTimes) {
    EXPECT_EQ(present::gdeProgress(300000, 400000), 6144);
    EXPECT_EQ(present::gdeProgress(5, 0), 8192);
    EXPECT_EQ(present::gdeProgress(4000000000u, 1000), 8192);
}

TEST(Gde, ASaveInTheMiddleGoesOnFromTheSameProgressAfterLoading) {
    for (int code : {0xC001, 0xC004, 0xC007, 0xC00A, 0xC00F, 0xC00D}) {
        Scene s(40, 16);
        s.begin(code, 2000);
        s.at(700);
        std::vector<uint8_t> bytes;
        {
            TMemoryStream m;
            TValueExchange x(&m, true);
            s.job->exchange(x);
            ASSERT_FALSE(x.hasError());
            bytes.assign(m.getBuffer(), m.getBuffer() + m.size());
        }
        TSurface32 want;
        want.alloc(40, 16);
        s.at(1400);
        want.copyFrom(0, 0, s.canvas);
        s.job.reset();  // the sprite keeps its before picture

        Scene t(40, 16);
        t.host.clock = 5000;
        t.job = createGde(code);
        {
            TMemoryStream m(bytes.data(), static_cast<uint32_t>(bytes.size()));
            TValueExchange x(&m, false);
            t.job->exchange(x);
            ASSERT_FALSE(x.hasError());
        }
        EXPECT_EQ(t.sprite.getJob(), t.job.get());
        EXPECT_EQ(t.job->before(), t.sprite.getSprObj());
        t.host.clock = 5700;
        t.job->step();
        compose(t.sprite, t.canvas);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_LE(channelDiff(t.canvas.getPixel(x, y), want.getPixel(x, y)), 1)
                    << std::hex << code << " " << x << "," << y;
        t.host.clock = 6400;
        t.job->step();
        t.job->step();
        EXPECT_TRUE(t.job->isFinished());
    }
}

namespace {

std::vector<uint8_t> encodePng(const TSurface32& s) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            v->insert(v->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, png_uint_32(s.width()), png_uint_32(s.height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(size_t(s.width()) * 3);
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            const uint32_t p = s.getPixel(x, y);
            row[x * 3] = uint8_t(p >> 16), row[x * 3 + 1] = uint8_t(p >> 8), row[x * 3 + 2] = uint8_t(p);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

}  // namespace

// One row per kind (codes 0xC000 to 0xC011): the start, the middle and the end frame.
TEST(Gde, EveryKindAtStartMiddleAndEndMatchesTheKeptPicture) {
    constexpr int w = 48, h = 32, gap = 2;
    TSurface32 sheet;
    ASSERT_TRUE(sheet.createFilled(3 * (w + gap), 18 * (h + gap), 0xFF808080u));
    TAlphaCh radial;  // the alpha-mask wipe's mask: dark at the centre
    ASSERT_TRUE(radial.createFill(w, h, 0));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            radial.row(y)[x] = uint8_t(std::min(255, ((x - 24) * (x - 24) + (y - 16) * (y - 16)) / 3));
    for (int code = 0xC000; code <= 0xC011; ++code) {
        Scene s(w, h);
        s.job = createGde(code);
        s.job->setTime(8192);
        s.job->setMask(&radial);
        ASSERT_TRUE(s.job->begin(&s.sprite, Host::picture(&s.b)));
        const int row = (code - 0xC000) * (h + gap);
        for (int col = 0; col < 3; ++col) {
            s.at(uint32_t(col == 0 ? 0 : col == 1 ? 4096 : 8192));
            if (col == 2) {
                s.at(8208);
                ASSERT_TRUE(s.job->isFinished());
                compose(s.sprite, s.canvas);
            }
            sheet.copyFrom(col * (w + gap), row, s.canvas);
        }
    }
    const std::vector<uint8_t> png = encodePng(sheet);
    ASSERT_FALSE(png.empty());
    const auto golden = mjtest::sourceDir() / "tests/script/present/data/transitions.png";
    if (const char* u = std::getenv("MJ_UPDATE_GOLDEN"); u && *u == '1')
        std::ofstream(golden, std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    std::ifstream in(golden, std::ios::binary);
    ASSERT_TRUE(in) << golden;
    const std::vector<uint8_t> kept{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(kept == png) << "the transitions differ from " << golden;
}

TEST(Gde, OpacityAndZoomJobsStepTheSpriteToTheirEndState) {
    Scene s(64, 48);
    present::TGrBlendDwarf fade;
    ASSERT_TRUE(fade.begin(&s.sprite, 0, 1000));
    s.host.clock = 1000;
    fade.step();
    s.host.clock = 1500;
    fade.step();
    EXPECT_EQ(s.sprite.blend, 128);
    s.host.clock = 2000;
    fade.step();
    EXPECT_TRUE(fade.isFinished());
    EXPECT_EQ(s.sprite.blend, 0);
    EXPECT_EQ(s.sprite.getJob(), nullptr);

    auto* pic = s.sprite.getSprObj();
    pic->setPos(10, 20);
    pic->setSize(100, 50);
    present::TGrZomeDwarf zoom;
    ASSERT_TRUE(zoom.begin(&s.sprite, 0, 0, 2.0f, 2.0f, 400));
    EXPECT_EQ(pic->getPos().x, 10);  // put back until the job runs
    zoom.step();
    s.host.clock = 2200;
    zoom.step();
    EXPECT_EQ(pic->getPos().x, 5);
    EXPECT_EQ(pic->getSize().cx, 150);
    s.host.clock = 2400;
    zoom.step();
    EXPECT_TRUE(zoom.isFinished());
    EXPECT_EQ(pic->getPos().y, 0);
    EXPECT_EQ(pic->getSize().cx, 200);
    EXPECT_EQ(pic->getSize().cy, 100);

    present::TGrBlendDwarf instant;
    ASSERT_TRUE(instant.begin(&s.sprite, 77, -1));
    instant.step();
    EXPECT_EQ(s.sprite.blend, 77);
}

TEST(Gde, AnAlphaMaskWipeLoadedFromASaveGivesItsMaskReferenceBack) {
    struct BankHost : Host {
        void exchangeAlphaCh(TValueExchange& x, TAlphaCh*& ch) override {
            bool on = ch != nullptr;
            x.exchangeByte("Enable", on);
            if (x.isLoading()) ch = on ? (++refs, &mask) : nullptr;
        }
        void releaseAlphaCh(TAlphaCh* ch) override { refs -= ch == &mask; }
        TAlphaCh mask;
        int refs = 0;
    };
    Scene s(32, 8);
    BankHost bank;
    bank.size = {32, 8};
    bank.surfaces = s.host.surfaces;
    bank.sprites = s.host.sprites;
    bank.mask.createFill(32, 8, 100);
    s.job = createGde(0xC00D);
    s.job->setMask(&bank.mask);
    ASSERT_TRUE(s.job->begin(&s.sprite, Host::picture(&s.b)));
    s.job->step();
    std::vector<uint8_t> bytes;
    {
        TMemoryStream m;
        TValueExchange x(&m, true);
        s.job->exchange(x);
        bytes.assign(m.getBuffer(), m.getBuffer() + m.size());
    }
    s.job.reset();
    for (bool finishIt : {true, false}) {
        auto job = createGde(0xC00D);
        TMemoryStream m(bytes.data(), static_cast<uint32_t>(bytes.size()));
        TValueExchange x(&m, false);
        job->exchange(x);
        EXPECT_EQ(bank.refs, 1);
        if (finishIt) job->finish();
        job.reset();
        EXPECT_EQ(bank.refs, 0) << finishIt;
    }
}
