#include "app/screen_host.h"

namespace app {

namespace {
ScreenHost* installed = nullptr;
}

ScreenHost* screenHost() { return installed ? installed : frameScreenHost(); }

void setScreenHost(ScreenHost* host) { installed = host; }

void fadeOut(ScreenHost& host, uint32_t ms, uint32_t colour) {
    host.fade().setMode(graphics::TFade::kModeFill);
    host.fade().fadeOut(ms, colour, -1);
}

void fadeIn(ScreenHost& host, uint32_t ms) {
    host.fade().setMode(graphics::TFade::kModeFill);
    host.fade().fadeIn(ms, -1);
}

bool fadeDone(ScreenHost& host) { return host.fade().state() == graphics::TFade::kIdle; }

}  // namespace app
