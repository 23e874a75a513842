#pragma once
// The game's main frame on the headless back ends: a window, the screen object over a memory
// display, the resource store over a folder of the test's own, a clock that only the frames move
// (the pacing sleeps advance it), message boxes answered by a recorder.
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/main_frame.h"
#include "framework/frame_services.h"
#include "framework/window_frame.h"
#include "graphics/frame_screen.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/message_box.h"
#include "platform/window_system.h"
#include "script/memory.h"
#include "script/present/present_engine.h"
#include "storage/storage.h"
#include "store/frame_storage.h"
#include "support/test_support.h"

namespace apptest {

// A variable store that needs no map file: frame tests without the data files.
class MaplessMemory : public TG2Memory {
public:
    bool loadMap(const std::string&) override { return true; }
};
class MaplessEngine : public present::PresentEngine {
public:
    std::unique_ptr<TG2Memory> createMemory() override { return std::make_unique<MaplessMemory>(); }
};

// The store's base folder is the test's folder instead of the test program's.
class TestFrame : public TMainFrame {
public:
    TestFrame(std::string base, bool mapless)
        : TMainFrame(mapless ? std::make_unique<MaplessEngine>() : nullptr), base_(std::move(base)) {}
    bool createStorage() override {
        const bool ok = TMainFrame::createStorage();
        // The system's spelling, as the program's own folder is given.
        std::string folder = base_;
        for (char& c : folder)
            if (c == '/') c = '\\';
        if (TStorage* store = TStorage::instance()) store->setBaseFolder(folder);
        return ok;
    }

private:
    std::string base_;
};

class AppFixture {
public:
    AppFixture() {
        platform::headless::reset();
        platform::setClock(&clock);
        useStorageForFrames();
        graphics::useGraphicScreenForFrames(256);  // as the program sets it
    }
    ~AppFixture() {
        shutdown();
        TMainFrame::setResidentTaskMakers(nullptr, nullptr);
        setFrameScreenMaker(nullptr);
        setFrameStorageMaker(nullptr);
        platform::setClock(nullptr);
        platform::headless::reset();
    }

    // Makes the window and the frame and starts it; false when the frame's create fails.
    bool boot(bool mapless = true) {
        frame = std::make_unique<TestFrame>(base(), mapless);
        window = std::make_unique<TPlayerWindow>(frame.get());
        if (window->create() != 0) return false;
        if (!frame->create(nullptr, window.get())) return false;
        frame->startFrame();
        frame->start();
        return true;
    }
    // The frame's terminate (the settings are written), then the frame and the window go.
    void shutdown() {
        if (!frame) return;
        frame->terminate();
        frame.reset();
        window.reset();
    }
    // The window's messages, then one frame; false once no task keeps the program alive.
    bool step() {
        platform::Msg m;
        while (platform::peekMessage(m)) platform::dispatchMessage(m);
        return frame->run();
    }
    // Frames until pred holds (true) or the limit passes (false).
    template <class Pred>
    bool runUntil(Pred pred, int limit = 2000) {
        for (int i = 0; i < limit; ++i) {
            if (pred()) return true;
            if (!step()) return pred();
        }
        return pred();
    }

    std::string base() const { return dir.str(); }
    std::filesystem::path file(const std::string& relative) const { return dir.path() / relative; }
    std::string read(const std::string& relative) const {
        std::ifstream in(file(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void write(const std::string& relative, const std::string& text) const {
        std::filesystem::create_directories(file(relative).parent_path());
        std::ofstream(file(relative), std::ios::binary) << text;
    }

    platform::ManualClock clock{100000};
    mjtest::TempDir dir;
    platform::RecordingAnswerer boxes;
    platform::ScopedMessageBoxAnswerer scopedBoxes{boxes};
    std::unique_ptr<TestFrame> frame;
    std::unique_ptr<TPlayerWindow> window;
};

}  // namespace apptest
