#include "app/task_novel.h"

#include "app/screen_host.h"
#include "app/task_system.h"
#include "framework/application_error.h"
#include "game/mode/mode_task.h"
#include "script/core.h"
#include "script/engine.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
// The story hands a match at most this many seats; other counts leave the match's own.
constexpr int kMinSeats = 2;
constexpr int kMaxSeats = 4;

TTaskSystem* systemScreen(app::ScreenHost& host) {
    return dynamic_cast<TTaskSystem*>(host.tasks().find(app::kTaskSystem));
}

}  // namespace

TTaskNovel::TTaskNovel(int slot) : TTask(0), slot_(slot) {}

TTaskNovel::TTaskNovel(const char* file, const char* label)
    : TTask(0), file_(file ? file : ""), label_(label ? label : "") {}

void TTaskNovel::End() {
    if (TG2Engine* engine = g2Engine()) {
        // The reset brings the engine's own defaults back; the player's settings go over them.
        engine->reset();
        if (app::ScreenHost* host = app::screenHost()) host->applySettings();
    }
    TTask::End();
}

void TTaskNovel::takeOverInput(app::ScreenHost& host) { heldOver_ = host.input().held; }

void TTaskNovel::applySettings(app::ScreenHost& host, const TG2Engine& engine) {
    host.applySettings();
    settingsAfterReset_ = engine.resetCount();
}

void TTaskNovel::holdBackUsedPress(app::ScreenHost& host) {
    // A button still down from the screen before (the click that started, loaded or went back to
    // this story) reaches the story neither as a press nor as its repeat, nor as its release.
    if (!heldOver_) return;
    host.clearPresses();
    heldOver_ &= host.input().held;
}

void TTaskNovel::onSystemCommand(int command) {
    TG2Engine* engine = g2Engine();
    app::ScreenHost* host = app::screenHost();
    auto open = [this](int page) {
        page_ = page;
        setSubStep(20);
    };
    switch (command) {
        case 1:
            open(0);
            break;
        case 2:
            open(2);
            break;
        case 3:
            open(1);
            break;
        case 4:
            if (engine && engine->music())
                if (EngineDocFrame* frame = engine->getCurrentDocFrame(); frame && !frame->firstVoice().empty())
                    engine->music()->replayVoice(frame->firstVoice());
            break;
        case 5:
            if (engine) engine->status().autoText = !engine->status().autoText;
            break;
        case 6:
            if (engine) engine->status().skipMessage = !engine->status().skipMessage;
            break;
        case 7:
            open(4);
            break;
        case 8:
            open(3);
            break;
        case 9:
            if (host) host->setWindowed(!host->isWindowed());
            break;
        case 11:
            if (host) host->minimise();
            break;
        default:
            break;
    }
}

int TTaskNovel::onEngineCallback(int code, int count, void* data) {
    switch (code) {
        case 0:
            if (app::ScreenHost* host = app::screenHost(); host && host->rightClick() == 1) onSystemCommand(1);
            break;
        case 1:
            onSystemCommand(2);
            break;
        case 2:
            onSystemCommand(3);
            break;
        case 3:
            onSystemCommand(1);
            break;
        case 4:
            // The sub-menu hands the address of the extra button's number (0 for its first).
            if (count >= 1 && data) {
                const int32_t button = *static_cast<const int32_t*>(data);
                if (button == 0) onSystemCommand(7);
                if (button == 1) onSystemCommand(8);
                if (button == 2) onSystemCommand(4);
            }
            break;
        case 99: {
            // Only the match request is known; a host call while a match runs is not a second one.
            const auto* values = static_cast<const int32_t*>(data);
            if (!values || count < 3 || values[0] != 0 || match_) break;
            seats_ = values[1];
            gameLength_ = values[2];
            if (TG2Engine* engine = g2Engine()) engine->pauseScript();
            setSubStep(30);
            break;
        }
        default:
            break;
    }
    // Whatever the code, the core ends its frame here, so that a page the player asked for
    // opens before the script runs on.
    if (TG2Engine* engine = g2Engine(); engine && engine->core()) engine->core()->requestBreak();
    return 0;
}

void TTaskNovel::startMatch(app::ScreenHost& host) {
    initMahjongAlone();
    match_ = new TTaskMahjongAlone;
    match_->rule().gameLength = gameLength_ == 0 ? 0 : 1;
    if (seats_ >= kMinSeats && seats_ <= kMaxSeats) {
        match_->createProfiles(seats_);
        if (TG2Engine* engine = g2Engine(); engine && engine->memory()) {
            TG2Memory& m = *engine->memory();
            for (int i = 0; i < seats_; ++i)
                match_->setProfile(i, m.getString("$mj_name", i), static_cast<uint32_t>(m.getInt("$mj_char", i)),
                                   static_cast<uint32_t>(m.getInt("$mj_bgm_oya", i)),
                                   static_cast<uint32_t>(m.getInt("$mj_bgm_riti", i)));
        }
    }
    if (host.tasks().add(app::kTaskMatch, match_, 0) < 0) {
        // Another match task still holds the id: this story's match cannot run.
        delete match_;
        match_ = nullptr;
    }
}

bool TTaskNovel::startScript(TG2Engine& engine) {
    // A script that cannot be loaded ends this story, not the program.
    try {
        return engine.start(file_, label_);
    } catch (const TError&) {
        return false;
    }
}

void TTaskNovel::endStory(app::ScreenHost& host) {
    app::fadeOut(host, 100, kWhite);
    setSubStep(41);
}

void TTaskNovel::update() {
    app::ScreenHost* hostp = app::screenHost();
    TG2Engine* engine = g2Engine();
    if (!hostp) return;
    app::ScreenHost& host = *hostp;
    bool drawEngine = true;

    switch (subStep()) {
        case 0:
            if (!engine) {
                endStory(host);
                break;
            }
            engine->reset();
            if (!startScript(*engine)) {
                endStory(host);
                break;
            }
            if (slot_ >= 0 && engine->core()) {
                engine->core()->scanRecords();
                engine->core()->load(slot_);
            }
            applySettings(host, *engine);
            takeOverInput(host);
            app::fadeIn(host, 200);
            setSubStep(10);
            break;
        case 10:
        case 11:
            setSubStep(11);
            holdBackUsedPress(host);
            if (!engine || !engine->run(0)) {
                endStory(host);
                break;
            }
            // The script may have reset the engine itself (its return to the title): the
            // player's settings go over the engine's defaults again before the next click.
            if (engine->resetCount() != settingsAfterReset_) applySettings(host, *engine);
            if (subStep() == 11)
                if (const int key = host.systemKey()) onSystemCommand(key);
            break;
        case 20: {
            if (engine) engine->pauseScript();
            TTaskSystem* system = systemScreen(host);
            if (!system) {
                if (engine) engine->resumeScript();
                setSubStep(10);
                break;
            }
            system->open(1, page_);
            setSubStep(21);
            [[fallthrough]];
        }
        case 21: {
            TTaskSystem* system = systemScreen(host);
            if (!system || system->isClosed()) {
                // Loading from the system screen may have ended this story already.
                if (engine && !isEnding()) engine->resumeScript();
                takeOverInput(host);
                setSubStep(10);
            }
            break;
        }
        case 30:
            host.stopMusic();
            app::fadeOut(host, 300, kBlack);
            setSubStep(31);
            break;
        case 31:
            if (!app::fadeDone(host)) break;
            startMatch(host);
            app::fadeIn(host, 500);
            setSubStep(match_ ? 32 : 34);
            continue_ = match_ == nullptr;
            break;
        case 32:
            if (!match_->isFinished()) break;
            if (engine && engine->memory()) {
                const int seats = static_cast<int>(match_->profiles().size());
                for (int i = 0; i < seats; ++i) {
                    engine->memory()->setInt("$mj_stand", i, match_->standing(i));
                    engine->memory()->setInt("$mj_result", i, match_->points(i));
                }
            }
            app::fadeOut(host, 300, kBlack);
            setSubStep(33);
            break;
        case 33:
            if (!app::fadeDone(host)) break;
            continue_ = match_->isRetry();
            match_->kill();
            match_ = nullptr;
            setSubStep(34);
            break;
        case 34:
            host.releaseMatchSprites();
            app::fadeIn(host, 500);
            if (continue_) {
                if (engine) engine->resumeScript();
                takeOverInput(host);
                setSubStep(10);
            } else {
                endStory(host);
            }
            break;
        case 40:
            endStory(host);
            break;
        case 41:
            if (!app::fadeDone(host)) break;
            if (!host.tasks().find(app::kTaskTitle)) host.tasks().add(app::kTaskTitle, host.makeTitle(), 0);
            kill();
            drawEngine = false;
            break;
        default:
            break;
    }
    if (drawEngine && !match_ && engine) host.table().add(1, engine);
}
