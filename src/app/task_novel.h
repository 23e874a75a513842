#pragma once
// The story task: runs the scripts frame by frame, answers the engine's host callbacks and hands
// mahjong matches to the game through script variables. Task id 0.
#include <string>

#include "framework/task.h"

class TTaskNovel : public TTask {
public:
    // script: the file to start ("script.pak\a0001.g2" for a new story); mode as the title or the
    // system screen passes it.
    TTaskNovel(std::string script, int mode);
    ~TTaskNovel() override = default;

    // The engine's host callback (code, count, values); what the engine gets back.
    virtual int onEngineCallback(int code, int count, void* values);
    void update() override;

    const std::string& script() const { return script_; }
    int mode() const { return mode_; }

private:
    std::string script_;
    int mode_;
};
