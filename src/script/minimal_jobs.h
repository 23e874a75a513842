#pragma once
// The minimal standing jobs a story runs on until the presentation supplies its own: a wait for
// engine time, a wait for a click, and a choice menu that the host answers. Each holds its
// thread while it runs.
#include <cstdint>

#include "script/dwarf.h"

class TG2Engine;

class TG2WaitJob : public TDwarf {
public:
    explicit TG2WaitJob(TG2Engine& engine) : engine_(engine) {}
    // Kind 0: ms milliseconds of engine time from now.
    virtual void begin(TG2Thread* thread, int32_t kind, int32_t ms);
    // Until the engine clock reaches time.
    virtual void beginUntil(TG2Thread* thread, int32_t time);
    int32_t getJobCode() const override { return 4; }
    bool isSavedByOwner() const override { return true; }
    bool update() override;
    void exchange(TValueExchange& x) override;

private:
    TG2Engine& engine_;
    int32_t until_ = 0;
};

class TG2ClickJob : public TDwarf {
public:
    explicit TG2ClickJob(TG2Engine& engine) : engine_(engine) {}
    void begin(TG2Thread* thread, int32_t type, int32_t value);
    int32_t getJobCode() const override { return 2; }
    bool isSavedByOwner() const override { return true; }
    // Ends on a newly pressed confirm key or left button.
    bool update() override;

private:
    TG2Engine& engine_;
};

class TG2MenuJob : public TDwarf {
public:
    explicit TG2MenuJob(TG2Engine& engine) : engine_(engine) {}
    // The choices are the core's menu branch; the choice's value becomes "$SELECT".
    void begin(TG2Thread* thread, int32_t tag, int32_t value);
    int32_t getJobCode() const override { return 3; }
    bool isSavedByOwner() const override { return true; }
    bool update() override;
    void finish() override;

private:
    TG2Engine& engine_;
};
