// Opens the 640 x 480 game window, runs 16 ms frames through the scheduler with one task that
// moves drawable objects on the screen object, shows a message box on M, and ends (exit code 0)
// when that task ends: after --frames N frames (0: never), on Escape, or when the window is closed.
// A pulsing ring plays an animated-sprite description (four pictures of one sheet, with a fade
// and a zoom); the demo exits with 1 when the animation did not advance.
// With --tone it plays a generated tone through the sound device, and exits with 1 when there is
// no device.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/frame.h"
#include "framework/stream.h"
#include "framework/window.h"
#include "graphics/frame_screen.h"
#include "graphics/gr_kinds.h"
#include "graphics/spd.h"
#include "platform/clock.h"
#include "platform/keycodes.h"
#include "platform/window_system.h"
#include "sound/direct_sound.h"
#include "sound/frame_sound.h"
#include "sound/wave.h"
#include "store/frame_storage.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
// The background, one exact colour so that a screenshot can be checked for it.
constexpr uint32_t kBackground = 0xFF20C040u;

// A picture made here: a disc whose edge fades out, in the program's own pixel format.
void makeDisc(graphics::TSurface32& s, int size) {
    s.createFilled(size, size, 0);
    const int r = size / 2;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int d2 = (x - r) * (x - r) + (y - r) * (y - r);
            const int a = d2 >= r * r ? 0 : std::min(255, (r * r - d2) * 255 / (r * r / 3));
            s.row(y)[x] = static_cast<uint32_t>(a) << 24 | 0xF0A020u;
        }
    s.setHasAlpha(true);
}

// Four rings of growing size side by side, one 48 x 48 cell each.
void makeRingSheet(graphics::TSurface32& s) {
    s.createFilled(4 * 48, 48, 0);
    for (int cell = 0; cell < 4; ++cell) {
        const int r = 10 + 4 * cell;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x) {
                const int d2 = (x - 24) * (x - 24) + (y - 24) * (y - 24);
                if (d2 <= r * r && d2 >= (r - 5) * (r - 5)) s.row(y)[cell * 48 + x] = 0xFF40C0F0u - cell * 0x200000u;
            }
    }
    s.setHasAlpha(true);
}

// The ring's description: each picture for 6 frames, then a fade out and in, a zoom, for ever.
constexpr const char* kRingWsd =
    "[FileInfo]\nkind=WSD\nnumTexture=1\nnumCharactor=4\nnumAnimation=1\n[Texture]\nFile0=rings\n"
    "[Charactor_0]\nnumChip=1\nChip0=0,0,0,0,0,48,48\n[Charactor_1]\nnumChip=1\nChip0=0,0,0,48,0,48,48\n"
    "[Charactor_2]\nnumChip=1\nChip0=0,0,0,96,0,48,48\n[Charactor_3]\nnumChip=1\nChip0=0,0,0,144,0,48,48\n"
    "[Animation_0]\ncomment=pulse\nStep0=mark\nStep1=for,2\nStep2=mark\nStep3=time,6,0\nStep4=time,6,1\n"
    "Step5=time,6,2\nStep6=time,6,3\nStep7=next\nStep8=blend,64,20\nStep9=blend,255,20\n"
    "Step10=zoom,1500,1500,15\nStep11=zoom,1000,1000,15\nStep12=until\n";

// How often the ring showed a new picture (read after the frame is gone).
int ringChanges = 0;

// Draws through the screen object: a background, a bar that sweeps across, a disc that drifts
// and a square that follows the mouse, each reporting where it changed the picture.
class DemoTask : public TTask {
public:
    DemoTask(TGameFrameGr& frame, int frames) : frame_(frame), frames_(frames) {
        background_.setup(kWidth, kHeight, kBackground, 255);
        bar_.setup(40, 80, 0xFFF0F0F0u, 255);
        bar_.setY(200);
        mouse_.setup(16, 16, 0xFF2040E0u, 255);
        makeDisc(discPicture_, 96);
        disc_.setSurface(&discPicture_);
        disc_.setPos(100, 320);
        // The set owns the sheet.
        auto* sheet = new graphics::TSurface32;
        makeRingSheet(*sheet);
        ringSurfaces_.addSurface("rings", sheet);
        ringData_.setTextureSource(&ringSurfaces_);
        TMemoryStream wsd;
        wsd.write(kRingWsd, static_cast<uint32_t>(std::strlen(kRingWsd)));
        wsd.seek(0, 0);
        ringData_.read(wsd, "");
        ring_.setData(&ringData_);
        ring_.setPos(480, 80);
        ring_.select(0);
        ring_.start();
        if (graphics::TGraphic* g = graphics::graphic()) {
            g->add(0, &background_);
            g->add(1, &disc_);
            g->add(1, &ring_);
            g->add(2, &bar_);
            g->add(3, &mouse_);
            g->invalidate();
        }
    }
    ~DemoTask() override {
        if (graphics::TGraphic* g = graphics::graphic()) {
            for (graphics::TGrObj* o : {static_cast<graphics::TGrObj*>(&background_),
                                        static_cast<graphics::TGrObj*>(&bar_), static_cast<graphics::TGrObj*>(&mouse_),
                                        static_cast<graphics::TGrObj*>(&disc_), static_cast<graphics::TGrObj*>(&ring_)})
                g->remove(o);
        }
    }
    void update() override {
        ++count_;
        const TInput& in = frame_.input();
        if (in.keys().pressed[platform::DIK_ESCAPE] || (frames_ > 0 && count_ >= frames_)) {
            kill();
            return;
        }
        if (in.keys().pressed[platform::DIK_M] && application())
            application()->messageBox("A message box from the demo.", platform::MB_OK);
        move(bar_, (count_ * 4) % kWidth, 200);
        move(disc_, 100 + (count_ % 400), 320);
        disc_.setSubBlend(128 + (count_ * 3) % 128);
        // The ring is advanced by the screen each frame; here it is only watched.
        if (ring_.getCombiNo() != lastRing_) ++ringChanges;
        lastRing_ = ring_.getCombiNo();
        move(mouse_, in.cursorX() - 8, in.cursorY() - 8);
    }

private:
    static void move(graphics::TGrObj& o, int x, int y) {
        o.invalidate();
        o.setPos(x, y);
        o.invalidate();
    }

    TGameFrameGr& frame_;
    int frames_;
    int count_ = 0;
    graphics::TFillObj background_;
    graphics::TFillObj bar_;
    graphics::TFillObj mouse_;
    graphics::TSurface32 discPicture_;
    graphics::TSprObj disc_;
    graphics::TSurfaceSet ringSurfaces_;
    graphics::TSpdData ringData_;
    graphics::TSpdObj ring_;
    int lastRing_ = 0;
};

// Whether the tone asked for plays (read after the frame is gone).
bool toneOk = false;

// Frames every 16 ms; a frame that is late by a frame or more moves the schedule instead of
// catching up.
class DemoFrame : public TGameFrameG2 {
public:
    DemoFrame(int frames, bool tone) : frames_(frames), tone_(tone) { setWindowed(true); }
    bool create(HINSTANCE instance, TWindow* window) override {
        window_ = window;
        if (!TGameFrameG2::create(instance, window)) return false;
        add(new DemoTask(*this, frames_));
        if (tone_) toneOk = playTone();
        return true;
    }
    bool run() override {
        uint32_t now = platform::timeGetTime();
        while (platform::timeDiff(due_, now) > 0) {
            platform::sleepMs(static_cast<uint32_t>(platform::timeDiff(due_, now)));
            now = platform::timeGetTime();
        }
        if (platform::timeDiff(now, due_) >= 16) due_ = now - 16;
        due_ += 16;
        return TGameFrameG2::run();
    }
    void terminate() override {
        tone_wave_.release();
        TGameFrameG2::terminate();
        window_ = nullptr;
    }

private:
    // A looping 440 Hz tone of one second, made here as a RIFF WAVE image in memory.
    bool playTone() {
        if (!TDirectSound::getDevice()) return false;
        const uint32_t rate = 44100, bytes = rate * 2;
        std::vector<uint8_t> image = {'R',  'I',  'F', 'F', 0, 0, 0,  0, 'W', 'A', 'V',  'E',  'f', 'm',
                                      't',  ' ',  16,  0,   0, 0, 1,  0, 1,   0,   0x44, 0xAC, 0,   0,
                                      0x88, 0x58, 1,   0,   2, 0, 16, 0, 'd', 'a', 't',  'a'};
        for (int i = 0; i < 4; ++i) image.push_back(static_cast<uint8_t>(bytes >> (8 * i)));
        for (uint32_t i = 0; i < rate; ++i) {
            const auto v = static_cast<int16_t>(8000 * std::sin(2 * 3.14159265358979 * 440 * i / rate));
            image.push_back(static_cast<uint8_t>(v & 0xFF));
            image.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
        }
        const uint32_t riff = static_cast<uint32_t>(image.size() - 8);
        for (int i = 0; i < 4; ++i) image[4 + i] = static_cast<uint8_t>(riff >> (8 * i));
        return tone_wave_.loadMemory(image.data(), static_cast<uint32_t>(image.size()), 1) &&
               tone_wave_.play(true) >= 0;
    }

    int frames_;
    bool tone_;
    TWave tone_wave_;
    TWindow* window_ = nullptr;
    uint32_t due_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    int frames = 0;
    bool tone = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--tone") == 0) {
            tone = true;
        } else {
            std::fprintf(stderr, "usage: %s [--frames N] [--tone]\n", argv[0]);
            return 2;
        }
    }
    if (!platform::initWindowSystem(platform::Backend::Sdl)) {
        std::fprintf(stderr, "mj-demo: no display could be opened\n");
        return 1;
    }
    std::string commandLine;
    for (int i = 0; i < argc; ++i) {
        if (i) commandLine += ' ';
        commandLine += argv[i];
    }
    // The frame keeps the resource store, with its loaders, over the program's folder.
    useStorageForFrames();
    // The frame draws its screen object and shows it through the display.
    graphics::useGraphicScreenForFrames();
    // The frame's sound device, with the opener of effects.
    useSoundForFrames();
    int code;
    {
        TPlayerApp app(identity::kInstanceName, new DemoFrame(frames, tone));
        code = app.run(nullptr, nullptr, commandLine.c_str(), platform::SW_SHOW);
        if (code == 0 && frames >= 20 && ringChanges < 2) {
            std::fprintf(stderr, "mj-demo: the animation did not advance\n");
            code = 1;
        }
        if (tone && code == 0 && !toneOk) {
            std::fprintf(stderr, "mj-demo: the tone could not be played\n");
            code = 1;
        }
    }
    platform::shutdownWindowSystem();
    return code;
}
