#pragma once
// The system screen: save, load and configuration pages over the story or the title. It lives
// for the whole run under task id 1 and is idle until opened.
#include "framework/task.h"

class TTaskSystem : public TTask {
public:
    TTaskSystem() = default;
    ~TTaskSystem() override = default;

    // Opens the screen: from the story (from 1) or the title (from 0), on a page (0 configuration,
    // 1 load).
    virtual void open(int from, int page);
    // Nothing shown and nothing pending.
    virtual bool isIdle() const;
    void update() override;
};
