#pragma once
// TTaskNovel: the task that plays the story (task id 0). It starts a script in the engine, runs
// the engine once a frame and draws its picture, opens the system screen when the player asks,
// and hands a match that the script asks for to a match task, whose outcome it writes back into
// the script's variables. When the script ends it brings the title hub back and ends itself.
#include <cstdint>
#include <string>

#include "framework/task.h"

class TTaskMahjongAlone;
class TG2Engine;

namespace app {
class ScreenHost;
}

class TTaskNovel : public TTask {
public:
    // Continues the saved game of a slot (the settings' main script, default label).
    explicit TTaskNovel(int slot);
    // A script file and label; an empty file is the settings' main script, a null or empty label
    // the engine's default.
    TTaskNovel(const char* file, const char* label);

    // Resets the engine so that the next story starts clean.
    void End() override;
    void update() override;

    // A system key's or the engine's command: 1 system menu, 2 save, 3 load, 4 replay the
    // voice, 5 auto text, 6 skip, 7 quick save, 8 quick load, 9 window/full screen, 11 minimise.
    virtual void onSystemCommand(int command);
    // The engine's host callback as the main frame forwards it: code 0 right click, 1 to 4 the
    // sub-menu buttons (for 4 data is the button index less 3), 99 the script's host call (data
    // points at its three integers). Always 0.
    virtual int onEngineCallback(int code, int count, void* data);

    const std::string& file() const { return file_; }
    const std::string& label() const { return label_; }
    int slot() const { return slot_; }
    int systemPage() const { return page_; }
    TTaskMahjongAlone* match() const { return match_; }
    int seatCount() const { return seats_; }
    int gameLength() const { return gameLength_; }

private:
    bool startScript(TG2Engine& engine);
    void startMatch(app::ScreenHost& host);
    void endStory(app::ScreenHost& host);
    // The buttons down when the story takes the input over from another screen, and, once a
    // frame, those of them still down kept from the story.
    void takeOverInput(app::ScreenHost& host);
    void holdBackUsedPress(app::ScreenHost& host);
    // The player's settings applied over the engine's defaults, and the engine's reset they
    // were applied after.
    void applySettings(app::ScreenHost& host, const TG2Engine& engine);

    std::string file_;
    std::string label_;
    int32_t slot_ = -1;
    int32_t page_ = 0;
    int32_t seats_ = 0;
    int32_t gameLength_ = 0;
    TTaskMahjongAlone* match_ = nullptr;
    bool continue_ = false;
    uint32_t heldOver_ = 0;
    uint32_t settingsAfterReset_ = 0;
};
