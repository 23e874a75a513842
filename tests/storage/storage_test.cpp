#include "storage/storage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "framework/stream.h"
#include "gce_writer.h"
#include "storage/image.h"
#include "support/test_support.h"

// Stand-ins for the graphics and sound objects the store hands out; this test links neither.
namespace graphics {
class TSurface32 {
public:
    uint32_t firstPixel = 0;
    bool alpha = false;
    uint32_t alphaFrom = 0;
};
}  // namespace graphics
using graphics::TAlphaCh;
using graphics::TImageTrans;
using graphics::TSurface32;
class TWave {
public:
    std::string path;
    std::string bytes;
};

namespace {

std::vector<uint8_t> toBytes(TMemoryStream& s) { return std::vector<uint8_t>(s.getBuffer(), s.getBuffer() + s.size()); }

// A small image file: BMP or ARGB of one colour.
std::vector<uint8_t> imageFile(bool argb, uint32_t colour) {
    TImage img;
    img.create(2, 2, 24);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) img.setPixel(x, y, colour);
    TMemoryStream s;
    argb ? img.saveArgb(s, nullptr) : img.saveBitmap(s);
    return toBytes(s);
}

void writeFile(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

void writeText(const std::filesystem::path& p, const std::string& text) {
    writeFile(p, std::vector<uint8_t>(text.begin(), text.end()));
}

gcepack::Entry entry(const std::string& name, std::vector<uint8_t> data) {
    gcepack::Entry e;
    e.name = name;
    e.data = std::move(data);
    return e;
}

std::vector<uint8_t> textBytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::string readAll(TStream& s) {
    std::string out(s.size(), '\0');
    s.read(out.data(), static_cast<uint32_t>(out.size()));
    return out;
}

// The store of the game: plug-ins added so that they are asked PNG, JPEG, GCE, ARGB, BMP.
struct GameStore {
    mjtest::TempDir dir;
    TStorageGraph store;
    GameStore() {
        store.addPlugin(std::make_unique<SpiBmpFile>());
        store.addPlugin(std::make_unique<SpiArgbFile>());
        store.addPlugin(std::make_unique<SpiGceFile>(4));
        store.addPlugin(std::make_unique<SpiJpegFile>());
        store.addPlugin(std::make_unique<SpiPngFile>());
        store.setBaseFolder(dir.str());
        gcepack::Options o;
        o.compressData = true;
        o.compressTable = true;
        writeFile(dir.path() / "script.pak", gcepack::buildArchive({entry("main.g2m", textBytes("G2MM0460 variables")),
                                                                    entry("a0001.g2", textBytes("G2CD0460 code"))},
                                                                   o));
        writeFile(dir.path() / "data.pak",
                  gcepack::buildArchive(
                      {entry("bg\\a.bmp", imageFile(false, 0x0000FF)), entry("bg\\b.argb", imageFile(true, 0x00FF00)),
                       entry("bg\\x.bmp", imageFile(false, 0x111111)), entry("bg\\ev.bmp", imageFile(false, 0x222222)),
                       entry("bg\\eva.bmp", imageFile(false, 0x808080)), entry("se\\a.ogg", textBytes("OggS....")),
                       entry("junk.bmp", textBytes("BM but not a bitmap"))},
                      {}));
    }
};

TEST(TStorage, FindsMembersOfArchivesAndPlainFiles) {
    GameStore g;
    EXPECT_EQ(TStorage::instance(), &g.store);
    auto s = g.store.openStream("script.pak\\main.g2m");
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->isMemory());
    EXPECT_EQ(readAll(*s), "G2MM0460 variables");
    s = g.store.openStream("SCRIPT.PAK/A0001.G2");  // any letter case, either separator
    ASSERT_TRUE(s);
    EXPECT_EQ(readAll(*s), "G2CD0460 code");
    // The archive alone is a plain file.
    s = g.store.openStream("script.pak");
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->isMemory());
    char magic[4];
    s->read(magic, 4);
    EXPECT_EQ(std::string(magic, 4), "GCEX");

    EXPECT_FALSE(g.store.openStream("script.pak\\missing.g2"));
    EXPECT_FALSE(g.store.openStream("nothing.pak\\main.g2m"));
    EXPECT_TRUE(g.store.exists("script.pak"));
    EXPECT_FALSE(g.store.exists("script.pak\\main.g2m"));  // a member is not a file on disk
    FileInfo info;
    EXPECT_TRUE(g.store.getFileInfo("script.pak", info));
    EXPECT_GT(info.size, 0u);
}

TEST(TStorage, AliasesSearchPairsAndFolders) {
    GameStore g;
    g.store.setAlias("<bg>", "data.pak\\bg");
    EXPECT_EQ(g.store.expandAlias("<bg>\\a.bmp"), "data.pak\\bg\\a.bmp");
    EXPECT_EQ(g.store.fullPath("<bg>\\a.bmp"), g.dir.str() + "\\data.pak\\bg\\a.bmp");
    EXPECT_EQ(g.store.expandAlias("<none>\\a.bmp"), "\\a.bmp");
    EXPECT_EQ(g.store.expandAlias("<open"), "<open");
    auto img = g.store.loadImage("<bg>\\a.bmp");
    ASSERT_TRUE(img);
    EXPECT_EQ(img->getPixel(1, 1), 0x0000FFu);
    g.store.removeAlias("<bg>");
    EXPECT_EQ(g.store.getAlias("<bg>"), "");

    // A patch folder is consulted before the archive.
    writeFile(g.dir.path() / "patch" / "bg" / "x.bmp", imageFile(false, 0x333333));
    g.store.addSearchPair("data.pak", "patch");
    img = g.store.loadImage("data.pak\\bg\\x.bmp");
    ASSERT_TRUE(img);
    EXPECT_EQ(img->getPixel(0, 0), 0x333333u);
    std::string name = "data.pak\\bg\\ev.bmp";  // not patched: the archive serves it
    platform::MemBlock member;
    SpiFileInfo record;
    ASSERT_TRUE(g.store.locate(name, member, record));
    EXPECT_EQ(record.fullName(), "bg\\ev.bmp");
    g.store.removeSearchPairs("data.pak");
    img = g.store.loadImage("data.pak\\bg\\x.bmp");
    ASSERT_TRUE(img);
    EXPECT_EQ(img->getPixel(0, 0), 0x111111u);

    // A folder is not a file: the walk finds no component that is one.
    std::filesystem::create_directories(g.dir.path() / "folder" / "inner");
    name = "folder\\inner";
    EXPECT_FALSE(g.store.locate(name, member, record));

    g.store.setBaseFolder("D:\\game\\");
    EXPECT_EQ(g.store.getBaseFolder(), "D:\\game");
    g.store.setBaseFolder("D:\\game\\\\");
    EXPECT_EQ(g.store.getBaseFolder(), "D:\\game\\");
    char buf[8];
    g.store.setBaseFolder("D:\\g");
    EXPECT_STREQ(g.store.fullPathTo("abc", buf, sizeof buf), "D:\\g\\ab");
}

TEST(TStorage, PicturesThroughEveryRoute) {
    GameStore g;
    auto img = g.store.loadImage("data.pak\\bg\\b.argb");
    ASSERT_TRUE(img);
    EXPECT_EQ(img->bitCount(), 32);
    EXPECT_EQ(img->getPixel(0, 0) & 0xFFFFFF, 0x00FF00u);
    EXPECT_FALSE(g.store.loadImage("data.pak\\junk.bmp"));
    EXPECT_FALSE(g.store.loadImage("data.pak\\se\\a.ogg"));
    EXPECT_FALSE(g.store.loadImage("data.pak\\bg\\none.bmp"));

    // A file with a 128-byte prefix that no plug-in knows loads through the second try.
    std::vector<uint8_t> prefixed(128, 'p');
    const std::vector<uint8_t> bmp = imageFile(false, 0x445566);
    prefixed.insert(prefixed.end(), bmp.begin(), bmp.end());
    writeFile(g.dir.path() / "prefixed.bmp", prefixed);
    img = g.store.loadImage("prefixed.bmp");
    ASSERT_TRUE(img);
    EXPECT_EQ(img->getPixel(0, 0), 0x445566u);
    // The same inside an archive.
    writeFile(g.dir.path() / "pre.pak", gcepack::buildArchive({entry("p.bmp", prefixed)}, {}));
    img = g.store.loadImage("pre.pak\\p.bmp");
    ASSERT_TRUE(img);
    EXPECT_EQ(img->getPixel(1, 0), 0x445566u);

    writeFile(g.dir.path() / "plain.argb", imageFile(true, 0x010203));
    img = g.store.loadImage("plain.argb");
    ASSERT_TRUE(img);
    EXPECT_EQ(g.store.currentPlugin()->fileName(), "argb.spi");
}

TEST(TStorage, PluginsAreAskedNewestFirst) {
    GameStore g;
    std::vector<std::string> order;
    for (SpiFile* p = g.store.firstPlugin(); p; p = g.store.nextPlugin()) order.push_back(p->fileName());
    EXPECT_EQ(order, (std::vector<std::string>{"png.spi", "jpg.spi", "gce.spi", "argb.spi", "bmp.spi"}));
    EXPECT_FALSE(g.store.addPlugin(nullptr));
    EXPECT_EQ(g.store.probeMemory("x", nullptr, 4), nullptr);
    const uint8_t gcex[] = {'G', 'C', 'E', 'X'};
    EXPECT_EQ(g.store.probeMemory("x", gcex, 4)->fileName(), "gce.spi");
    EXPECT_EQ(g.store.probeFile(g.dir.str() + "/script.pak", 0)->fileName(), "gce.spi");
    EXPECT_EQ(g.store.probeFile(g.dir.str() + "/script.pak", 5000), nullptr);
    g.store.clearPlugins();
    EXPECT_EQ(g.store.firstPlugin(), nullptr);
    EXPECT_FALSE(g.store.openStream("script.pak\\main.g2m"));
}

class FakeMaker : public TStorageGraph::TSurfaceMaker {
public:
    bool startsWithAlpha = false;
    TSurface32* makeSurface(TImage& image, const TImageTrans*) override {
        auto* s = new TSurface32;
        s->firstPixel = image.getPixel(0, 0);
        s->alpha = startsWithAlpha;
        return s;
    }
    bool hasAlpha(TSurface32& s) override { return s.alpha; }
    void applyAlphaFromImage(TSurface32& s, TImage& alpha) override {
        s.alpha = true;
        s.alphaFrom = alpha.getPixel(0, 0);
    }
    TAlphaCh* makeAlphaChannel(TImage&) override { return nullptr; }
};

class FakeWaves : public TStorageGraph::TWaveFactory {
public:
    TWave* fromPath(const std::string& path) override {
        auto* w = new TWave;
        w->path = path;
        return w;
    }
    TWave* fromBytes(const void* bytes, size_t size) override {
        auto* w = new TWave;
        w->bytes.assign(static_cast<const char*>(bytes), size);
        return w;
    }
};

TEST(TStorageGraph, SurfacesTakeTheAlphaCompanionAndWavesComeFromEitherSource) {
    GameStore g;
    EXPECT_EQ(g.store.loadSurface("data.pak\\bg\\ev.bmp", true), nullptr);  // no maker yet
    auto* maker = new FakeMaker;
    g.store.setSurfaceMaker(maker, true);
    std::unique_ptr<TSurface32> s(g.store.loadSurface("data.pak\\bg\\ev.bmp", true));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->firstPixel, 0x222222u);
    EXPECT_TRUE(s->alpha);
    EXPECT_EQ(s->alphaFrom, 0x808080u);                         // from bg\eva.bmp
    s.reset(g.store.loadSurface("data.pak\\bg\\a.bmp", true));  // no companion: no alpha
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->alpha);
    s.reset(g.store.loadSurface("data.pak\\bg\\ev.bmp", false));
    EXPECT_FALSE(s->alpha);
    maker->startsWithAlpha = true;
    s.reset(g.store.loadSurface("data.pak\\bg\\ev.bmp", true));
    EXPECT_EQ(s->alphaFrom, 0u);  // a surface with alpha keeps it
    EXPECT_EQ(g.store.loadSurface("data.pak\\bg\\none.bmp", true), nullptr);

    EXPECT_EQ(TStorageGraph::alphaCompanionName("bg.bmp"), "bga.bmp");
    EXPECT_EQ(TStorageGraph::alphaCompanionName("data.pak\\bg"), "data.pak\\bga");
    EXPECT_EQ(TStorageGraph::alphaCompanionName("noext"), "noexta");

    EXPECT_EQ(g.store.loadWave("data.pak\\se\\a.ogg"), nullptr);  // no factory yet
    g.store.setWaveFactory(new FakeWaves, true);
    std::unique_ptr<TWave> w(g.store.loadWave("data.pak\\se\\a.ogg"));
    ASSERT_TRUE(w);
    EXPECT_EQ(w->bytes, "OggS....");
    writeText(g.dir.path() / "bgm" / "bgm01.ogg", "OggS");
    w.reset(g.store.loadWave("bgm\\bgm01.ogg"));
    ASSERT_TRUE(w);
    EXPECT_EQ(w->path, g.dir.str() + "\\bgm\\bgm01.ogg");
    EXPECT_EQ(g.store.loadWave("bgm\\none.ogg"), nullptr);
}

TEST(TStorage, DamagedArchivesGiveNothingAndNoCrash) {
    GameStore g;
    std::vector<uint8_t> bytes = gcepack::buildArchive({entry("m", textBytes(std::string(3000, 'm')))}, [] {
        gcepack::Options o;
        o.compressData = true;
        return o;
    }());
    bytes[16] = 'X';  // the first block's magic
    writeFile(g.dir.path() / "bad.pak", bytes);
    EXPECT_FALSE(g.store.openStream("bad.pak\\m"));
    writeText(g.dir.path() / "fake.pak", "GCEX");
    EXPECT_FALSE(g.store.openStream("fake.pak\\m"));
    EXPECT_FALSE(g.store.loadImage("fake.pak\\m"));
}

}  // namespace
