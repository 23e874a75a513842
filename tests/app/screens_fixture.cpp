#include "screens_fixture.h"

#include <cstdio>

#include "app/task_novel.h"

namespace apptest {

namespace {
std::string named(const char* format, int a, int b = 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, a, b);
    return buf;
}
}  // namespace

std::map<std::string, Picture> screenPictures() {
    std::map<std::string, Picture> p;
    auto pair = [&](const std::string& stem, const char* tail, int w, int h, uint32_t normal) {
        p[stem + "0" + tail] = {w, h, normal};
        p[stem + "1" + tail] = {w, h, normal | 0x00808080u};
    };
    for (const char* bg : {"11_conbg00.argb", "11_bgsv00.argb", "11_bgld00.argb", "16_bgomake_00.bmp",
                           "17_bgomake_01.bmp", "18_bgbgm_00.bmp"})
        p[bg] = {80, 60, 0xFF203040u};  // backgrounds are never hit-tested: small keeps the archive small
    p["12_kaku_000.argb"] = p["12_kaku_001.argb"] = {300, 160, 0xFF404060u};
    for (int i = 0; i < 7; ++i) pair(named("13_syme_0%d", i), ".argb", 120, 36, 0xFF602020u);
    pair("12_kaku_01", ".argb", 70, 30, 0xFF206020u);
    pair("12_kaku_02", ".argb", 70, 30, 0xFF602060u);
    for (int n = 0; n < 10; ++n) pair(named("12_page_0%d", n), ".argb", 36, 30, 0xFF205020u);
    pair("12_file_0", ".argb", 240, 95, 0xFF303030u);
    p["12_time_00.argb"] = {80, 12, 0xFFFFFFFFu};
    p["12_book_rain.argb"] = {40, 20, 0xFF2060C0u};
    pair("14_conf_00", ".argb", 130, 40, 0xFF404000u);
    pair("14_conf_01", ".argb", 130, 40, 0xFF404000u);
    for (int k = 0; k < 3; ++k) pair(named("14_conf_1%d", k), ".argb", 90, 40, 0xFF004040u);
    for (int row = 2; row <= 4; ++row) {
        pair(named("14_conf_%d0", row), ".argb", 20, 40, 0xFF400040u);
        pair(named("14_conf_%d1", row), ".argb", 20, 40, 0xFF400040u);
    }
    for (int b = 0; b < 3; ++b) pair(named("15_spesel%d", b), ".argb", 120, 40, 0xFF504010u);
    for (int s = 0; s < 20; ++s) p[named("16_hkaiso_%03d.bmp", s)] = {120, 90, 0xFF105050u};
    for (int q = 0; q < 4; ++q) pair(named("17_page_0%d", q), ".argb", 36, 30, 0xFF501050u);
    for (int c = 0; c < 80; ++c) p[named("17_cgkaiso_%03d.bmp", c)] = {120, 90, 0xFF501010u};
    for (int n = 0; n < 27; ++n) pair(named("18_bgmsel_%02d", n), ".argb", 200, 40, 0xFF103060u);
    return p;
}

std::vector<uint8_t> argbBytes(const Picture& pic) {
    std::vector<uint8_t> out = {'B', 'G', 'R', 'A'};
    auto put = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put(0);
    put(static_cast<uint32_t>(pic.w));
    put(static_cast<uint32_t>(pic.h));
    for (int i = 0; i < pic.w * pic.h; ++i) put(pic.colour);
    return out;
}

AppWorld::AppWorld() {
    platform::setClock(&clock);
    oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    std::filesystem::create_directories(dir.path() / "save");
    store.addPlugin(std::make_unique<SpiBmpFile>());
    store.addPlugin(std::make_unique<SpiArgbFile>());
    store.addPlugin(std::make_unique<SpiGceFile>(4));
    store.setSurfaceMaker(new TGraphicsSurfaceMaker, true);
    store.setBaseFolder(dir.str());
    std::vector<gcepack::Entry> entries;
    for (const auto& [name, pic] : screenPictures()) entries.push_back({name, argbBytes(pic)});
    std::string error;
    EXPECT_TRUE(gcepack::writeArchive((dir.path() / "data.pak").string(), entries, {}, &error)) << error;
    host.screen.create(800, 600, 256);
    app::setScreenHost(&host);
    host.makeTitleTask = [] { return new StubTitle; };
    startEngine();
}

AppWorld::~AppWorld() {
    host.tasks().terminate();
    stopEngine();
    app::setScreenHost(nullptr);
    std::filesystem::current_path(oldCwd);
    platform::setClock(nullptr);
}

void AppWorld::addScript(const std::string& name, const std::string& text) {
    G2ScriptImage image;
    std::string error;
    ASSERT_TRUE(assembleScript(text, image, error)) << error;
    scripts[name] = scriptFileBytes(image);
}

void AppWorld::startEngine() {
    engine = std::make_unique<TestEngine>();
    TG2Status& s = engine->status();
    s.name = "script.pak\\a0001.g2";
    s.save = "save\\it%02d.sav";
    s.saveThumbnail = "save\\it%02d.img";
    s.saveCommon = "save\\it00.sav";
    s.recordMax = 123;
    s.textInterval = 2001;
    s.volume = s.seVolume = s.bgmVolume = 127;
    engine->getScriptBank().setOpener([this](const std::string& name) -> std::unique_ptr<TStream> {
        auto it = scripts.find(name);
        if (it == scripts.end()) return nullptr;
        auto stream = std::make_unique<TMemoryStream>();
        stream->write(it->second.data(), static_cast<uint32_t>(it->second.size()));
        stream->seek(0, 0);
        return stream;
    });
    engine->init(&player, nullptr, nullptr);
    // As the main frame forwards the engine's host calls to the story task.
    engine->setCallback(
        [](int code, int count, void* data, void* context) {
            auto* tasks = static_cast<TTaskManager*>(context);
            auto* story = dynamic_cast<TTaskNovel*>(tasks->find(app::kTaskNovel));
            return story ? story->onEngineCallback(code, count, data) : 1;
        },
        &host.tasks());
    engine->core()->scanRecords();
}

void AppWorld::stopEngine() {
    if (engine) engine->term();
    engine.reset();
}

}  // namespace apptest
