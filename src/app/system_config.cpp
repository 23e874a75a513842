// The system screen's first page: the system menu along the bottom and the configuration items
// above it. A click on an item takes effect at once.
#include <algorithm>

#include "app/screen_host.h"
#include "app/screen_items.h"
#include "app/task_system.h"
#include "script/actor.h"
#include "script/core.h"
#include "script/engine.h"

namespace app {

namespace {
int32_t floorDiv(int64_t a, int64_t b) { return static_cast<int32_t>(a >= 0 ? a / b : -((-a + b - 1) / b)); }
}  // namespace

int32_t textSpeedLevel(int32_t interval) { return std::clamp(2 - floorDiv(2 * int64_t{interval}, 3000), 0, 2); }

int32_t textInterval(int32_t level) {
    const int32_t v = (2 - level) * 3000 / 2;
    return v != 0 ? v + 1 : 0;
}

// Levels past 2 (from a hand-edited settings file) would light no item; they show as the
// nearest one.
int32_t autoTextLevel(int32_t timeout) { return std::clamp(timeout / -10, 0, 2); }

int32_t autoTextTimeout(int32_t level) { return level * -10; }

int32_t volumeLevel(int32_t volume) {
    for (int32_t k = 0; k < 10; ++k)
        if (volume <= 255 * k / 10) return k;
    return 10;
}

int32_t levelVolume(int32_t level) { return std::clamp(level, 0, 10) * 255 / 10; }

}  // namespace app

namespace {
constexpr int kMenuItems = 5;
constexpr int kConfigItems = 63;
// The first configuration item of each volume row and the field it sets.
constexpr int kRowStart[] = {8, 19, 30, 41, 52};

int32_t* volumeField(app::SystemConfig& c, int row) {
    switch (row) {
        case 0:
            return &c.master;
        case 1:
            return &c.music;
        case 2:
            return &c.effect;
        default:
            return &c.voice[static_cast<size_t>(row - 3)];
    }
}
}  // namespace

bool TTaskSystem::setFlag(bool& field, bool value) {
    if (field == value) return false;
    field = value;
    changed_ = true;
    return true;
}

bool TTaskSystem::setValue(int32_t& field, int32_t value) {
    if (field == value) return false;
    field = value;
    changed_ = true;
    return true;
}

void TTaskSystem::readConfig() {
    app::ScreenHost* host = app::screenHost();
    TG2Engine* engine = g2Engine();
    if (host) {
        config_.windowed = host->isWindowed();
        config_.rightClick = host->rightClick();
        config_.saveConfirm = host->saveConfirm();
    }
    if (!engine) return;
    const TG2Status& s = engine->status();
    config_.anySave = engine->core() && engine->core()->hasSaveFile();
    config_.textSpeed = app::textSpeedLevel(s.textInterval);
    config_.autoText = app::autoTextLevel(s.autoTextTimeout);
    config_.skip = s.skipMessage;
    config_.master = app::volumeLevel(s.volume);
    config_.music = app::volumeLevel(s.bgmVolume);
    config_.effect = app::volumeLevel(s.seVolume);
    if (TG2Core* core = engine->core())
        for (int g = 0; g < 2; ++g)
            config_.voice[static_cast<size_t>(g)] = app::volumeLevel(core->getActor(g).voiceVolume);
}

void TTaskSystem::applyConfig() {
    app::ScreenHost* host = app::screenHost();
    TG2Engine* engine = g2Engine();
    if (host) {
        if (host->isWindowed() != config_.windowed) host->setWindowed(config_.windowed);
        host->setRightClick(config_.rightClick);
    }
    if (engine) {
        TG2Status& s = engine->status();
        s.textInterval = app::textInterval(config_.textSpeed);
        s.autoTextTimeout = app::autoTextTimeout(config_.autoText);
        s.skipMessage = config_.skip;
        // The settings hold the volumes whether or not a player applies them to the sound.
        s.volume = app::levelVolume(config_.master);
        s.bgmVolume = app::levelVolume(config_.music);
        s.seVolume = app::levelVolume(config_.effect);
    }
    if (host) {
        host->setVolume(0, app::levelVolume(config_.master));
        host->setVolume(2, app::levelVolume(config_.music));
        host->setVolume(1, app::levelVolume(config_.effect));
    }
    if (engine && engine->core())
        for (int g = 0; g < 2; ++g)
            engine->core()->getActor(g).voiceVolume = app::levelVolume(config_.voice[static_cast<size_t>(g)]);
    if (host) host->applySettings();
}

void TTaskSystem::updateConfig(app::ScreenHost& host) {
    switch (subStep()) {
        case 0:
            configHover_ = -1;
            setSubStep(10);
            [[fallthrough]];
        case 10:
            readConfig();
            host.requestRedraw();
            setSubStep(11);
            break;
        case 11:
            enterInteractive(host);
            setSubStep(20);
            break;
        case 20: {
            // The window may change mode under the page (Alt+Enter): the item lit is the mode the
            // window is in, and the mode a click on another item keeps.
            if (const bool windowed = host.isWindowed(); windowed != config_.windowed) {
                config_.windowed = windowed;
                for (int c : {0, 1}) app::refreshUnit(configItems_, 2 * c);
            }
            const app::ScreenInput in = host.input();
            const int old = configHover_;
            if (in.mouseAction) {
                configHover_ = -1;
                for (int i = 0; i < kMenuItems; ++i)
                    if (menuItemAvailable(i) && app::hits(menu_, 2 * i, in.x, in.y)) configHover_ = i;
                for (int c = 0; c < kConfigItems; ++c)
                    if (app::hits(configItems_, 2 * c, in.x, in.y)) configHover_ = c + kMenuItems;
            }
            if ((in.pressed & app::kDecideMask) && configHover_ >= 0) {
                setSubStep(21);
            } else if (in.pressed & app::kCancelMask) {
                configHover_ = kind_ == 1 ? 1 : 2;
                setSubStep(21);
            }
            if (old != configHover_) {
                for (int h : {old, configHover_}) {
                    if (h >= 0 && h < kMenuItems) app::refreshUnit(menu_, 2 * h);
                    if (h >= kMenuItems) app::refreshUnit(configItems_, 2 * (h - kMenuItems));
                }
            }
            if (subStep() != 21) break;
            [[fallthrough]];
        }
        case 21:
            switch (configHover_) {
                case 0:
                    config_.windowed = true;
                    config_.textSpeed = 1;
                    config_.autoText = 1;
                    config_.master = config_.music = config_.effect = 5;
                    config_.voice = {5, 5};
                    applyConfig();
                    setSubStep(10);
                    host.requestRedraw();
                    break;
                case 1:
                    if (kind_ == 1) {
                        setSubStep(1000);
                    } else {
                        applyConfig();
                        setSubStep(10);
                    }
                    break;
                case 2:
                    setSubStep(kind_ == 0 ? 1000 : 1100);
                    break;
                case 3:
                    setSubStep(1200);
                    break;
                case 4:
                    setSubStep(1300);
                    break;
                default: {
                    if (configHover_ < kMenuItems) {
                        setSubStep(20);
                        break;
                    }
                    changed_ = false;
                    const int c = configHover_ - kMenuItems;
                    if (c < 2) {
                        setFlag(config_.windowed, c == 0);
                    } else if (c < 5) {
                        setValue(config_.textSpeed, c - 2);
                    } else if (c < 8) {
                        setValue(config_.autoText, c - 5);
                    } else {
                        const int row = (c - 8) / 11;
                        setValue(*volumeField(config_, row), c - kRowStart[row]);
                    }
                    applyConfig();
                    setSubStep(10);
                    host.requestRedraw();
                    break;
                }
            }
            break;
        default:
            break;
    }
}

void TTaskSystem::drawConfig(app::ScreenHost& host) {
    graphics::TGrTableObj& table = host.table();
    app::show(table, 210, configBg_, 0);
    for (int i = 0; i < kMenuItems; ++i)
        if (menuItemAvailable(i)) app::show(table, 220, menu_, 2 * i + (configHover_ == i ? 1 : 0));
    for (int c = 0; c < kConfigItems; ++c) {
        bool lit = configHover_ == c + kMenuItems;
        if (c < 2) {
            lit = lit || config_.windowed == (c == 0);
        } else if (c < 5) {
            lit = lit || config_.textSpeed == c - 2;
        } else if (c < 8) {
            lit = lit || config_.autoText == c - 5;
        } else {
            const int row = (c - 8) / 11, k = c - kRowStart[row];
            const int32_t level = *volumeField(config_, row);
            lit = lit || (k == 0 ? level == 0 : level >= k);
        }
        app::show(table, 220, configItems_, 2 * c + (lit ? 1 : 0));
    }
}
