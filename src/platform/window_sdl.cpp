// The real back end of the window model: SDL2 windows, events turned into window messages and
// device state.
#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <vector>

#include "platform/codepage.h"
#include "platform/keycodes.h"
#include "platform/window_backend.h"

#if defined(__SANITIZE_ADDRESS__)
#define MJ_LEAK_CHECKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MJ_LEAK_CHECKS 1
#endif
#endif
#ifdef MJ_LEAK_CHECKS
#include <sanitizer/lsan_interface.h>
#endif

namespace platform::detail {
namespace {

// SDL's video start-up makes the X and D-Bus libraries keep allocations for the life of the
// process; they are theirs, not ours, and the leak checker is told not to count them.
class LibraryAllocations {
public:
#ifdef MJ_LEAK_CHECKS
    LibraryAllocations() { __lsan_disable(); }
    ~LibraryAllocations() { __lsan_enable(); }
#else
    // Not trivial, so that a guard that does nothing is not taken for an unused variable.
    LibraryAllocations() {}
    ~LibraryAllocations() {}
#endif
};

std::string titleToUtf8(const std::string& sjis) { return toUtf8(sjis); }

bool showsNothing(const char* driver) {
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

// Without a display SDL also looks for a Wayland one, and the Wayland client library then says
// on standard error that XDG_RUNTIME_DIR is not set, before the game says in its own line that no
// display could be opened. The library's report handler drops what it says while SDL looks, and
// passes the rest on to standard error as the library's own handler does. It is set before SDL
// loads the library (the same library, by the same name) and stays while the program runs.
std::atomic<bool> g_lookingForDisplay{false};

void passWaylandReport(const char* format, va_list args) {
    if (!g_lookingForDisplay.load()) std::vfprintf(stderr, format, args);
}

void takeWaylandReports() {
    static const bool taken = [] {
        void* lib = dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!lib) return false;  // no Wayland: nothing to take
        using Handler = void (*)(const char*, va_list);
        auto setHandler = reinterpret_cast<void (*)(Handler)>(dlsym(lib, "wl_log_set_handler_client"));
        if (setHandler) setHandler(&passWaylandReport);
        return setHandler != nullptr;
    }();
    static_cast<void>(taken);
}

uint32_t keyFlags() {
    uint32_t f = 0;
    Uint32 b = SDL_GetMouseState(nullptr, nullptr);
    if (b & SDL_BUTTON_LMASK) f |= MK_LBUTTON;
    if (b & SDL_BUTTON_RMASK) f |= MK_RBUTTON;
    if (b & SDL_BUTTON_MMASK) f |= MK_MBUTTON;
    SDL_Keymod mod = SDL_GetModState();
    if (mod & KMOD_SHIFT) f |= MK_SHIFT;
    if (mod & KMOD_CTRL) f |= MK_CONTROL;
    return f;
}

class SdlBackend final : public WindowBackend {
public:
    bool start() {
        LibraryAllocations quiet;
        takeWaylandReports();
        g_lookingForDisplay = true;
        const bool video = SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
        g_lookingForDisplay = false;
        if (!video) return false;
        // Without a display SDL falls back to a driver that shows nothing, and the game would
        // run unseen for ever; only tests, which read their frames back, ask for one.
        if (showsNothing(SDL_GetCurrentVideoDriver()) && !virtualDisplayAllowed()) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
            if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
            return false;
        }
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0) {
            joysticks_ = true;
            SDL_JoystickEventState(SDL_ENABLE);
            // Those present now count from the start; later ones arrive as device events.
            for (int i = 0; i < SDL_NumJoysticks(); ++i) openJoystick(i);
        }
        SDL_StopTextInput();
        started_ = true;
        return true;
    }

    ~SdlBackend() override {
        if (!started_) return;
        for (auto& [id, c] : cursors_)
            if (c) SDL_FreeCursor(c);
        for (auto& [id, j] : open_) SDL_JoystickClose(j);
        if (joysticks_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        // The window system is the last user of SDL: let it release what its libraries hold.
        if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
        auto& ds = deviceState();
        std::lock_guard lock(ds.mutex);
        ds.joysticks.clear();
        releaseKeys(ds);
    }

    void* createNative(HWND, const std::string& sjisTitle, const Rect& client, uint32_t style) override {
        LibraryAllocations quiet;
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if ((style & WS_CAPTION) != WS_CAPTION) flags |= SDL_WINDOW_BORDERLESS;
        SDL_Window* w = SDL_CreateWindow(titleToUtf8(sjisTitle).c_str(), client.left, client.top,
                                         std::max(client.width(), 1), std::max(client.height(), 1), flags);
        if (w) created_.push_back(w);
        return w;
    }

    void destroyNative(void* native) override {
        LibraryAllocations quiet;
        auto* w = static_cast<SDL_Window*>(native);
        if (!w) return;
        auto it = textures_.find(w);
        if (it != textures_.end()) {
            SDL_DestroyTexture(it->second.texture);
            SDL_DestroyRenderer(it->second.renderer);
            textures_.erase(it);
        }
        std::erase(created_, w);
        placed_.erase(w);
        clientAt_.erase(w);
        if (pointerBack_ && pointerBack_->window == w) pointerBack_.reset();
        windowedRect_.erase(w);
        SDL_DestroyWindow(w);
    }

    void setTitle(void* native, const std::string& sjisTitle) override {
        SDL_SetWindowTitle(static_cast<SDL_Window*>(native), titleToUtf8(sjisTitle).c_str());
    }

    void setClientRect(void* native, const Rect& client) override {
        auto* w = static_cast<SDL_Window*>(native);
        placed_[w] = client;
        SDL_SetWindowSize(w, std::max(client.width(), 1), std::max(client.height(), 1));
        // A hidden window is put in its place when it is shown: moves made before a window
        // manager frames it are reported back late, from where the frame was then.
        if (!(SDL_GetWindowFlags(w) & SDL_WINDOW_HIDDEN)) placeClient(w, client.left, client.top);
    }

    void setBordered(void* native, bool bordered) override {
        SDL_SetWindowBordered(static_cast<SDL_Window*>(native), bordered ? SDL_TRUE : SDL_FALSE);
    }

    void show(void* native, int cmd) override {
        auto* w = static_cast<SDL_Window*>(native);
        switch (cmd) {
            case SW_HIDE:
                SDL_HideWindow(w);
                break;
            case SW_MINIMIZE:
            case SW_SHOWMINIMIZED:
                SDL_ShowWindow(w);
                SDL_MinimizeWindow(w);
                break;
            case SW_RESTORE:
                SDL_RestoreWindow(w);
                SDL_ShowWindow(w);
                break;
            default:
                SDL_ShowWindow(w);
                // A window placed while hidden may have been mapped where it was made, and a
                // window manager has only now put its frame around it. A full-screen window
                // keeps the display.
                if (auto it = placed_.find(w); it != placed_.end() && !windowedRect_.count(w))
                    placeClient(w, it->second.left, it->second.top);
                SDL_RaiseWindow(w);
                break;
        }
    }

    void raise(void* native) override { SDL_RaiseWindow(static_cast<SDL_Window*>(native)); }
    void captureMouse(bool on) override { SDL_CaptureMouse(on ? SDL_TRUE : SDL_FALSE); }

    Rect frameInsets(uint32_t) override { return {}; }

    Point screenSize() override {
        SDL_Rect r;
        if (SDL_GetDisplayUsableBounds(0, &r) == 0) return {r.w, r.h};
        return {1024, 768};
    }

    void setTextInput(bool on) override {
        LibraryAllocations quiet;  // starting text input opens the input method's connection
        if (on)
            SDL_StartTextInput();
        else
            SDL_StopTextInput();
    }

    bool present(void* native, const uint32_t* argb, int width, int height, const std::vector<Rect>* areas) override {
        LibraryAllocations quiet;  // the graphics driver keeps some of what it sets up
        auto* w = static_cast<SDL_Window*>(native);
        Target& t = textures_[w];
        if (!t.renderer) {
            t.renderer = SDL_GetRenderer(w);
            if (!t.renderer) t.renderer = makeRenderer(w);
            if (!t.renderer) {
                textures_.erase(w);
                return false;
            }
            // Making a renderer may make the native window anew, where the window was first
            // made: a full-screen window is put over the display again (SDL moves no window that
            // it holds full screen).
            if (windowedRect_.count(w)) {
                SDL_SetWindowFullscreen(w, 0);
                coverDisplay(w);
                SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP);
                reportPlace(w);
            }
            SDL_RendererInfo info;
            t.software =
                SDL_GetRendererInfo(t.renderer, &info) == 0 && info.name && std::strcmp(info.name, "software") == 0;
        }
        if (!t.texture || t.width != width || t.height != height) {
            if (t.texture) SDL_DestroyTexture(t.texture);
            t.texture =
                SDL_CreateTexture(t.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
            t.width = width;
            t.height = height;
            t.textureHolds = false;
            t.surfaceHolds = nullptr;
            if (!t.texture) return false;
            // The frame is opaque whatever its alpha bytes hold (the display's own format leaves them 0).
            SDL_SetTextureBlendMode(t.texture, SDL_BLENDMODE_NONE);
            SDL_RenderSetLogicalSize(t.renderer, width, height);
        }
        if (areas && showInSurface(w, t, argb, width, height, *areas)) return true;
        // A graphics processor draws the whole texture each time; only the areas need to reach it.
        if (areas && t.textureHolds) {
            for (const Rect& a : *areas) {
                const SDL_Rect r{a.left, a.top, a.width(), a.height()};
                SDL_UpdateTexture(t.texture, &r, argb + static_cast<size_t>(a.top) * width + a.left, width * 4);
            }
        } else {
            SDL_UpdateTexture(t.texture, nullptr, argb, width * 4);
        }
        t.textureHolds = true;
        SDL_SetRenderDrawColor(t.renderer, 0, 0, 0, 255);
        SDL_RenderClear(t.renderer);
        SDL_RenderCopy(t.renderer, t.texture, nullptr, nullptr);
        SDL_RenderPresent(t.renderer);
        // The software renderer drew into the window's surface: where that is the frame's own
        // size, it now holds the frame pixel for pixel.
        t.surfaceHolds = nullptr;
        if (t.software) {
            SDL_Surface* s = SDL_GetWindowSurface(w);
            if (s && s->w == width && s->h == height) t.surfaceHolds = s;
        }
        return true;
    }

    bool pushKey(void* native, int scancode, bool down) override {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(native));
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
        e.key.keysym.sym = SDL_GetKeyFromScancode(e.key.keysym.scancode);
        e.key.keysym.mod = static_cast<Uint16>(SDL_GetModState());
        return SDL_PushEvent(&e) == 1;
    }

    bool pushMouseMove(void* native, int x, int y) override {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(native));
        e.motion.x = x;
        e.motion.y = y;
        return SDL_PushEvent(&e) == 1;
    }

    void setCursor(int id) override {
        if (id == 0) {
            SDL_ShowCursor(SDL_DISABLE);
            return;
        }
        auto it = cursors_.find(id);
        if (it == cursors_.end()) {
            LibraryAllocations quiet;  // the X cursor theme stays loaded
            it = cursors_.emplace(id, SDL_CreateSystemCursor(systemCursor(id))).first;
        }
        // A driver without pointer images (the dummy one) keeps whatever it has.
        if (it->second) SDL_SetCursor(it->second);
        SDL_ShowCursor(SDL_ENABLE);
    }

    bool setFullScreen(void* native, bool on) override {
        LibraryAllocations quiet;
        auto* w = static_cast<SDL_Window*>(native);
        keepPointerOverPicture(w, on);
        if (auto it = textures_.find(w); it != textures_.end()) it->second.surfaceHolds = nullptr;
        // Without a window manager the full-screen request is never answered: the window is
        // also placed over the whole display itself, and put back where it was afterwards.
        if (on) {
            Rect before;
            SDL_GetWindowPosition(w, &before.left, &before.top);
            SDL_GetWindowSize(w, &before.right, &before.bottom);
            before.right += before.left;
            before.bottom += before.top;
            windowedRect_[w] = before;
            coverDisplay(w);
            const bool ok = SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
            reportPlace(w);
            return ok;
        }
        const bool ok = SDL_SetWindowFullscreen(w, 0) == 0;
        if (auto it = windowedRect_.find(w); it != windowedRect_.end()) {
            SDL_SetWindowSize(w, it->second.width(), it->second.height());
            placeClient(w, it->second.left, it->second.top);
            windowedRect_.erase(it);
        }
        reportPlace(w);
        return ok;
    }

    std::vector<DisplayMode> displayModes() override {
        std::vector<DisplayMode> modes;
        const int n = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < n; ++i) {
            SDL_DisplayMode m;
            if (SDL_GetDisplayMode(0, i, &m) == 0)
                modes.push_back({m.w, m.h, static_cast<int>(SDL_BYTESPERPIXEL(m.format)) * 8});
        }
        return modes;
    }

    int desktopDepth() override {
        SDL_DisplayMode m;
        if (SDL_GetDesktopDisplayMode(0, &m) != 0) return 32;
        return static_cast<int>(SDL_BYTESPERPIXEL(m.format)) * 8;
    }

    bool readBack(void* native, int& width, int& height, std::vector<uint32_t>& argb) override {
        auto it = textures_.find(static_cast<SDL_Window*>(native));
        if (it == textures_.end() || !it->second.renderer) return false;
        SDL_Renderer* r = it->second.renderer;
        if (SDL_GetRendererOutputSize(r, &width, &height) != 0 || width <= 0 || height <= 0) return false;
        argb.assign(static_cast<size_t>(width) * height, 0);
        // The logical size scales what is drawn; the read must see the output's own pixels.
        int lw = 0, lh = 0;
        SDL_RenderGetLogicalSize(r, &lw, &lh);
        SDL_RenderSetLogicalSize(r, 0, 0);
        const int rc = SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_ARGB8888, argb.data(), width * 4);
        SDL_RenderSetLogicalSize(r, lw, lh);
        return rc == 0;
    }

    void pump() override {
        SDL_Event e;
        while (SDL_PollEvent(&e)) translate(e);
        movePointerBack();
    }

private:
    // Whether the renderer draws through a graphics library that rasterises on the processor
    // (no graphics processor, or a virtual display): it spends several threads' time on a frame
    // that a plain copy into the window system's framebuffer shows for a fraction of it.
    static bool rasterisesInSoftware(SDL_Renderer* r) {
        SDL_RendererInfo info;
        if (SDL_GetRendererInfo(r, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6) != 0) return false;
        using GetString = const unsigned char* (*)(unsigned);
        auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
        const unsigned char* name = getString ? getString(0x1F01) : nullptr;  // GL_RENDERER
        if (!name) return false;
        const char* text = reinterpret_cast<const char*>(name);
        return std::strstr(text, "llvmpipe") || std::strstr(text, "softpipe") ||
               std::strstr(text, "Software Rasterizer");
    }
    static SDL_Renderer* makeRenderer(SDL_Window* w) {
        SDL_Renderer* r = SDL_CreateRenderer(w, -1, 0);
        if (r && rasterisesInSoftware(r)) {
            SDL_DestroyRenderer(r);
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
            r = nullptr;
        }
        if (!r) r = SDL_CreateRenderer(w, -1, SDL_RENDERER_SOFTWARE);
        return r;
    }

    struct Target {
        SDL_Renderer* renderer = nullptr;
        SDL_Texture* texture = nullptr;
        int width = 0;
        int height = 0;
        bool software = false;      // the renderer draws into the window's surface
        bool textureHolds = false;  // the texture holds the last frame presented
        // The window's surface, when it holds the last frame presented unscaled and the window
        // system shows it (set by the software renderer's whole presents, dropped by any event
        // after which the window may show something else).
        SDL_Surface* surfaceHolds = nullptr;
    };

    // Where a frame of frameW x frameH lands in a window of the size: SDL's logical size keeps its
    // shape, scaled to the window (a float scale, as SDL keeps it) and centred between bars.
    struct Fit {
        float scale = 1;
        int x = 0, y = 0;
        // The frame's point under a window pixel (offset from the window's corner), as SDL maps
        // the pointer's events.
        int frameX(int windowX) const { return int(float(windowX - x) / scale); }
        int frameY(int windowY) const { return int(float(windowY - y) / scale); }
        // The window pixel under the middle of the frame's point, or its neighbour where the
        // mapping back rounds that one onto the next point.
        int windowX(int frame) const { return x + pixelOf(frame); }
        int windowY(int frame) const { return y + pixelOf(frame); }
        int pixelOf(int frame) const {
            const int middle = int((float(frame) + 0.5f) * scale);
            for (int c : {middle, middle + 1, middle - 1})
                if (int(float(c) / scale) == frame) return c;
            return middle;
        }
    };
    static Fit fitOf(int windowW, int windowH, int frameW, int frameH) {
        Fit f;
        if (windowW <= 0 || windowH <= 0 || frameW <= 0 || frameH <= 0) return f;
        if (double(windowW) * frameH >= double(windowH) * frameW) {
            f.scale = float(windowH) / float(frameH);
            f.x = (windowW - int(float(frameW) * f.scale)) / 2;
        } else {
            f.scale = float(windowW) / float(frameW);
            f.y = (windowH - int(float(frameH) * f.scale)) / 2;
        }
        return f;
    }

    // Switching between window and full screen moves and scales the picture under a pointer that
    // stays where it is: the point of the picture under it is noted, and the pointer is put over
    // that point again once the window has its new place (a pointer outside the window stays).
    void keepPointerOverPicture(SDL_Window* w, bool fullScreen) {
        pointerBack_.reset();
        auto t = textures_.find(w);
        if (t == textures_.end() || t->second.width <= 0 || t->second.height <= 0) return;
        if (((SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) == fullScreen) return;
        int gx = 0, gy = 0, wx = 0, wy = 0, ww = 0, wh = 0;
        SDL_GetGlobalMouseState(&gx, &gy);
        SDL_GetWindowPosition(w, &wx, &wy);
        SDL_GetWindowSize(w, &ww, &wh);
        if (gx < wx || gy < wy || gx >= wx + ww || gy >= wy + wh) return;
        const int fw = t->second.width, fh = t->second.height;
        const Fit f = fitOf(ww, wh, fw, fh);
        // The point the game reads there (over a bar of the full screen: the nearest edge).
        const int px = std::clamp(f.frameX(gx - wx), 0, fw - 1);
        const int py = std::clamp(f.frameY(gy - wy), 0, fh - 1);
        pointerBack_ = PointerBack{w, px, py, fullScreen};
    }

    // The pointer over the noted point, in the window's new place: the whole display in full
    // screen, else where the window was last placed (the frame places it after the switch).
    void movePointerBack() {
        if (!pointerBack_) return;
        const PointerBack back = *pointerBack_;
        pointerBack_.reset();
        auto t = textures_.find(back.window);
        if (t == textures_.end()) return;
        SDL_Rect area{};
        if (back.fullScreen) {
            if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(back.window), 0), &area) != 0) return;
        } else {
            auto at = clientAt_.find(back.window);
            if (at == clientAt_.end()) return;
            area = at->second;
        }
        const Fit f = fitOf(area.w, area.h, t->second.width, t->second.height);
        SDL_WarpMouseGlobal(area.x + f.windowX(back.x), area.y + f.windowY(back.y));
    }

    // The software renderer would clear, copy and send the whole window for a few changed
    // pixels: where the window's surface holds the last frame at its own size, the areas are
    // copied into it and only they are sent to the window system. False when that cannot be.
    static bool showInSurface(SDL_Window* w, Target& t, const uint32_t* argb, int width, int height,
                              const std::vector<Rect>& areas) {
        if (!t.software || !t.surfaceHolds) return false;
        SDL_Surface* s = SDL_GetWindowSurface(w);
        const SDL_PixelFormat* f = s ? s->format : nullptr;
        if (s != t.surfaceHolds || s->w != width || s->h != height || !f || f->BytesPerPixel != 4 ||
            f->Rmask != 0xFF0000 || f->Gmask != 0xFF00 || f->Bmask != 0xFF || SDL_MUSTLOCK(s)) {
            t.surfaceHolds = nullptr;
            return false;
        }
        std::vector<SDL_Rect> rects;
        rects.reserve(areas.size());
        for (const Rect& a : areas) {
            for (int y = a.top; y < a.bottom; ++y)
                std::memcpy(static_cast<uint8_t*>(s->pixels) + static_cast<size_t>(y) * s->pitch + a.left * 4,
                            argb + static_cast<size_t>(y) * width + a.left, static_cast<size_t>(a.width()) * 4);
            rects.push_back({a.left, a.top, a.width(), a.height()});
        }
        // The texture missed these areas: the next whole present sends all of it.
        t.textureHolds = false;
        if (SDL_UpdateWindowSurfaceRects(w, rects.data(), static_cast<int>(rects.size())) == 0) return true;
        t.surfaceHolds = nullptr;
        return false;
    }

    // Puts the window's client area at (x, y) of the screen. A window manager that frames the
    // window places the frame where it is asked to, and SDL makes up for the frame only once it
    // has heard of its size: the pending events are taken in first, or the client would land a
    // frame's width off (and drift so at every launch). The whole frame is then kept on the
    // display that holds the point, or on the first display when none does.
    void placeClient(SDL_Window* w, int x, int y) {
        SDL_PumpEvents();
        int top = 0, left = 0, bottom = 0, right = 0;
        if (SDL_GetWindowBordersSize(w, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
        int width = 0, height = 0;
        SDL_GetWindowSize(w, &width, &height);
        SDL_Rect area{};
        bool found = false;
        for (int i = 0; i < SDL_GetNumVideoDisplays() && !found; ++i) {
            SDL_Rect bounds;
            const SDL_Point p{x, y};
            if (SDL_GetDisplayBounds(i, &bounds) == 0 && SDL_PointInRect(&p, &bounds))
                found = SDL_GetDisplayUsableBounds(i, &area) == 0;
        }
        if (!found) found = SDL_GetDisplayUsableBounds(0, &area) == 0;
        if (found) {
            x = std::min(x, area.x + area.w - width - right);
            y = std::min(y, area.y + area.h - height - bottom);
            x = std::max(x, area.x + left);
            y = std::max(y, area.y + top);
        }
        SDL_SetWindowPosition(w, x, y);
        clientAt_[w] = {x, y, width, height};
    }

    void coverDisplay(SDL_Window* w) {
        SDL_Rect display;
        if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(w), 0), &display) != 0) return;
        SDL_SetWindowPosition(w, display.x, display.y);
        SDL_SetWindowSize(w, display.w, display.h);
    }

    // SDL takes the place and size it was asked for as the window's own at once, and reports no
    // move or resize when the window system then confirms them: the model hears of them here, so
    // that pointer positions are measured from where the window is.
    void reportPlace(SDL_Window* w) {
        HWND h = windowFromNative(w);
        if (!h) return;
        int x = 0, y = 0, width = 0, height = 0;
        SDL_GetWindowPosition(w, &x, &y);
        SDL_GetWindowSize(w, &width, &height);
        nativeResized(h, width, height);
        nativeMoved(h, x, y);
    }

    HWND windowOf(Uint32 windowId) {
        SDL_Window* w = SDL_GetWindowFromID(windowId);
        return w ? windowFromNative(w) : nullptr;
    }

    void translate(const SDL_Event& e) {
        switch (e.type) {
            case SDL_QUIT:
                // Asked to end (a signal, or the session): every window is asked to close.
                for (SDL_Window* w : created_)
                    if (HWND h = windowFromNative(w)) postMessage(h, WM_CLOSE, 0, 0);
                break;
            case SDL_WINDOWEVENT:
                windowEvent(e.window);
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                keyEvent(e.key);
                break;
            case SDL_TEXTINPUT:
                deliverText(e.text.text);
                break;
            case SDL_MOUSEMOTION:
                if (HWND h = windowOf(e.motion.windowID)) {
                    notePointer(h, e.motion.x, e.motion.y);
                    // The window chooses the pointer before it hears of the move.
                    postMessage(h, WM_SETCURSOR, reinterpret_cast<uintptr_t>(h), makeLParam(HTCLIENT, WM_MOUSEMOVE));
                    postMessage(h, WM_MOUSEMOVE, keyFlags(), makeLParam(e.motion.x, e.motion.y));
                }
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                buttonEvent(e.button);
                break;
            case SDL_MOUSEWHEEL:
                if (HWND h = windowOf(e.wheel.windowID)) {
                    int steps = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
                    int delta = std::clamp(steps * 120, -32768, 32767);
                    Point p;
                    getCursorPos(p);
                    postMessage(h, WM_MOUSEWHEEL,
                                (static_cast<uintptr_t>(static_cast<uint16_t>(delta)) << 16) | keyFlags(),
                                makeLParam(p.x, p.y));
                }
                break;
            case SDL_JOYDEVICEADDED:
                openJoystick(e.jdevice.which);
                break;
            case SDL_JOYDEVICEREMOVED:
                closeJoystick(e.jdevice.which);
                break;
            case SDL_JOYAXISMOTION:
                joyAxis(e.jaxis.which, e.jaxis.axis, e.jaxis.value);
                break;
            case SDL_JOYBUTTONDOWN:
            case SDL_JOYBUTTONUP:
                joyButton(e.jbutton.which, e.jbutton.button, e.jbutton.state == SDL_PRESSED);
                break;
            case SDL_JOYHATMOTION:
                if (e.jhat.hat == 0) joyHat(e.jhat.which, e.jhat.value);
                break;
            default:
                break;
        }
    }

    // After these the window system may show the window otherwise than its surface's last frame,
    // or the surface may be gone: the next frame is sent whole.
    void forgetShown(const SDL_WindowEvent& we) {
        switch (we.event) {
            case SDL_WINDOWEVENT_SHOWN:
            case SDL_WINDOWEVENT_HIDDEN:
            case SDL_WINDOWEVENT_EXPOSED:
            case SDL_WINDOWEVENT_RESIZED:
            case SDL_WINDOWEVENT_SIZE_CHANGED:
            case SDL_WINDOWEVENT_MINIMIZED:
            case SDL_WINDOWEVENT_MAXIMIZED:
            case SDL_WINDOWEVENT_RESTORED:
                if (auto it = textures_.find(SDL_GetWindowFromID(we.windowID)); it != textures_.end())
                    it->second.surfaceHolds = nullptr;
                break;
            default:
                break;
        }
    }

    void windowEvent(const SDL_WindowEvent& we) {
        forgetShown(we);
        HWND h = windowOf(we.windowID);
        if (!h) return;
        switch (we.event) {
            case SDL_WINDOWEVENT_EXPOSED:
                invalidateRect(h);
                break;
            case SDL_WINDOWEVENT_MOVED: {
                // Where SDL knows the window to be now: a move reported late (one the window
                // manager made before our own placement) must not undo that placement.
                int x = we.data1, y = we.data2;
                if (SDL_Window* w = SDL_GetWindowFromID(we.windowID)) SDL_GetWindowPosition(w, &x, &y);
                nativeMoved(h, x, y);
                break;
            }
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                nativeResized(h, we.data1, we.data2);
                break;
            case SDL_WINDOWEVENT_MINIMIZED:
                nativeMinimized(h, true);
                break;
            case SDL_WINDOWEVENT_RESTORED:
            case SDL_WINDOWEVENT_MAXIMIZED:
                nativeMinimized(h, false);
                break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                focusTime_ = we.timestamp;
                clickSinceFocus_ = false;
                nativeFocus(h, true);
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                nativeFocus(h, false);
                break;
            case SDL_WINDOWEVENT_ENTER:
                nativeMouseInside(h, true);
                break;
            case SDL_WINDOWEVENT_LEAVE:
                nativeMouseInside(h, false);
                break;
            case SDL_WINDOWEVENT_CLOSE:
                postMessage(h, WM_CLOSE, 0, 0);
                break;
            default:
                break;
        }
    }

    void keyEvent(const SDL_KeyboardEvent& ke) {
        int dik = dikFromScancode(ke.keysym.scancode);
        bool down = ke.type == SDL_KEYDOWN;
        int vk = vkFromScancode(ke.keysym.scancode);
        bool alt = (ke.keysym.mod & KMOD_ALT) != 0 || vk == VK_MENU;
        bool wasDown = ke.repeat != 0;
        {
            auto& ds = deviceState();
            std::lock_guard lock(ds.mutex);
            // Alt+Enter is the window's own key (full screen): the keyboard the game reads never
            // sees that Enter, neither its press nor its repeats nor its release, whichever key
            // is let go first, so it does not also decide or advance. A fresh press starts over.
            if (dik > 0 && dik < 256) {
                if (down && !ke.repeat) windowKeys_[dik] = alt && vk == VK_RETURN;
                if (!windowKeys_[dik]) wasDown = noteKey(ds, dik, down);
                if (!down) windowKeys_[dik] = false;
            }
        }
        HWND h = windowOf(ke.windowID);
        if (!h) h = getForegroundWindow();
        if (!h || !vk) return;
        bool sys = alt || vk == VK_F10;
        uint32_t msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
        uint32_t lp = 1u | (static_cast<uint32_t>(dik & 0x7F) << 16);
        if (isExtendedDik(dik)) lp |= 1u << 24;
        if (alt) lp |= 1u << 29;
        if (!down || wasDown || ke.repeat) lp |= 1u << 30;
        if (!down) lp |= 1u << 31;
        postMessage(h, msg, static_cast<uintptr_t>(vk), static_cast<intptr_t>(lp));
    }

    void notePointer(HWND h, int x, int y) {
        Point o;
        if (!clientOrigin(h, o)) return;
        auto& ds = deviceState();
        std::lock_guard lock(ds.mutex);
        ds.cursor = {o.x + x, o.y + y};
    }

    void buttonEvent(const SDL_MouseButtonEvent& be) {
        int index = be.button == SDL_BUTTON_LEFT     ? 0
                    : be.button == SDL_BUTTON_RIGHT  ? 1
                    : be.button == SDL_BUTTON_MIDDLE ? 2
                                                     : -1;
        if (index < 0) return;
        bool down = be.state == SDL_PRESSED;
        {
            auto& ds = deviceState();
            std::lock_guard lock(ds.mutex);
            noteButton(ds, index, down);
        }
        HWND h = windowOf(be.windowID);
        if (!h) return;
        notePointer(h, be.x, be.y);
        if (down) {
            // The click that brings the window to the front is offered to WM_MOUSEACTIVATE first,
            // which may eat it.
            bool activating =
                getForegroundWindow() != h || (!clickSinceFocus_ && SDL_TICKS_PASSED(focusTime_ + 100, be.timestamp));
            clickSinceFocus_ = true;
            if (activating) {
                static const uint32_t downMsg[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
                intptr_t r = sendMessage(h, WM_MOUSEACTIVATE, reinterpret_cast<uintptr_t>(h),
                                         makeLParam(HTCLIENT, static_cast<int>(downMsg[index])));
                if (r == MA_ACTIVATEANDEAT || r == MA_NOACTIVATEANDEAT) return;
            }
        }
        static const uint32_t downs[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
        static const uint32_t dbls[3] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
        static const uint32_t ups[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
        uint32_t msg = down ? (be.clicks == 2 ? dbls[index] : downs[index]) : ups[index];
        postMessage(h, msg, keyFlags(), makeLParam(be.x, be.y));
    }

    DeviceState::Joystick* joystick(SDL_JoystickID id) {
        for (auto& j : deviceState().joysticks)
            if (j.instanceId == id) return &j;
        return nullptr;
    }

    void openJoystick(int deviceIndex) {
        SDL_Joystick* j = SDL_JoystickOpen(deviceIndex);
        if (!j) return;
        SDL_JoystickID id = SDL_JoystickInstanceID(j);
        auto& ds = deviceState();
        std::lock_guard lock(ds.mutex);
        if (joystick(id) || ds.joysticks.size() >= 8) {
            SDL_JoystickClose(j);
            return;
        }
        open_[id] = j;
        DeviceState::Joystick entry;
        const char* name = SDL_JoystickName(j);
        entry.name = name ? name : "";
        entry.buttonCount = static_cast<uint32_t>(std::max(SDL_JoystickNumButtons(j), 0));
        entry.instanceId = id;
        ds.joysticks.push_back(entry);
    }

    void closeJoystick(SDL_JoystickID id) {
        auto it = open_.find(id);
        if (it == open_.end()) return;
        SDL_JoystickClose(it->second);
        open_.erase(it);
        auto& ds = deviceState();
        std::lock_guard lock(ds.mutex);
        // The device keeps its place in the list (its number stays bound) but reads fail.
        if (auto* j = joystick(id)) j->readable = false;
    }

    void joyAxis(SDL_JoystickID id, int axis, int value) {
        auto& ds = deviceState();
        std::lock_guard lock(ds.mutex);
        auto* j = joystick(id);
        if (!j) return;
        switch (axis) {
            case 0:
                j->reading.x = scaleAxis(value, true);
                break;
            case 1:
                j->reading.y = scaleAxis(value, true);
                break;
            case 2:
                j->reading.z = scaleAxis(value, false);
                break;
            case 3:
                j->reading.slider = scaleAxis(value, false);
                break;
            default:
                break;
        }
    }

    void joyButton(SDL_JoystickID id, int button, bool down) {
        auto& ds = deviceState();
        std::lock_guard lock(ds.mutex);
        auto* j = joystick(id);
        if (j && button >= 0 && button < 32) j->reading.buttons[button] = down ? 0x80 : 0;
    }

    void joyHat(SDL_JoystickID id, int value) {
        static const struct {
            int hat;
            uint32_t pov;
        } kHats[] = {
            {SDL_HAT_UP, 0},       {SDL_HAT_RIGHTUP, 4500},   {SDL_HAT_RIGHT, 9000}, {SDL_HAT_RIGHTDOWN, 13500},
            {SDL_HAT_DOWN, 18000}, {SDL_HAT_LEFTDOWN, 22500}, {SDL_HAT_LEFT, 27000}, {SDL_HAT_LEFTUP, 31500},
        };
        uint32_t pov = 0xFFFFFFFFu;
        for (auto& h : kHats)
            if (h.hat == value) pov = h.pov;
        auto& ds = deviceState();
        std::lock_guard lock(ds.mutex);
        if (auto* j = joystick(id)) j->reading.pov = pov;
    }

    static SDL_SystemCursor systemCursor(int id) {
        switch (id) {
            case IDC_IBEAM:
                return SDL_SYSTEM_CURSOR_IBEAM;
            case IDC_WAIT:
                return SDL_SYSTEM_CURSOR_WAIT;
            case IDC_CROSS:
                return SDL_SYSTEM_CURSOR_CROSSHAIR;
            case IDC_SIZEALL:
                return SDL_SYSTEM_CURSOR_SIZEALL;
            case IDC_NO:
                return SDL_SYSTEM_CURSOR_NO;
            case IDC_HAND:
                return SDL_SYSTEM_CURSOR_HAND;
            default:
                return SDL_SYSTEM_CURSOR_ARROW;
        }
    }

    bool started_ = false;
    bool joysticks_ = false;
    std::map<int, SDL_Cursor*> cursors_;
    std::map<SDL_JoystickID, SDL_Joystick*> open_;
    std::map<SDL_Window*, Target> textures_;
    std::vector<SDL_Window*> created_;
    std::map<SDL_Window*, Rect> placed_;
    std::map<SDL_Window*, Rect> windowedRect_;
    Uint32 focusTime_ = 0;
    bool clickSinceFocus_ = true;
    // Where each window's client area was last put (screen coordinates and size).
    std::map<SDL_Window*, SDL_Rect> clientAt_;
    struct PointerBack {
        SDL_Window* window;
        int x, y;  // the point of the frame
        bool fullScreen;
    };
    std::optional<PointerBack> pointerBack_;
    // Keys (DirectInput codes) whose press the window took for itself, until they come up.
    bool windowKeys_[256] = {};
};

}  // namespace

std::unique_ptr<WindowBackend> makeSdlBackend() {
    auto b = std::make_unique<SdlBackend>();
    if (!b->start()) return nullptr;
    return b;
}

}  // namespace platform::detail
