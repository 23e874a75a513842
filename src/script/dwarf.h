#pragma once
// Per-frame jobs (TDwarf) and the core's list of active ones (TG2DwarfGuild). A job is stepped
// once per pass of the core's run loop; a job that holds its thread sets the thread's hold flag
// in every step, so the script waits until the job finishes. The kinds (text output, clicks,
// menus, fades, transitions) derive from TDwarf; the core keeps one instance of each standing
// kind and makes one-use jobs through the guild's factory.
#include <cstdint>
#include <functional>
#include <list>

class TG2Thread;
class TValueExchange;

class TDwarf {
public:
    virtual ~TDwarf() = default;

    // Section "Dwarf": "ThreadNo" (compact, -1 none) and "Flag" (hold, start pending, paused,
    // finished, delete when finished). On load a thread number of 0 or more is looked up through
    // threadByNumber.
    virtual void exchange(TValueExchange& x);
    virtual void setThread(TG2Thread* thread) { thread_ = thread; }
    virtual TG2Thread* getThread() const { return thread_; }
    virtual int32_t getJobCode() const = 0;
    // The kinds that stay listed across a reset and are never saved in the list.
    virtual bool isResident() const { return false; }
    // Standing kinds: the list saves only their code; the core exchanges their state itself.
    virtual bool isSavedByOwner() const { return false; }
    // A standing job whose state differs from its reset state (the effect fades are saved
    // only then).
    virtual bool isModified() const { return !finished_; }
    bool isHold() const { return hold_; }
    bool isStartPending() const { return startPending_; }
    bool isPaused() const { return paused_; }
    bool isFinished() const { return finished_; }
    bool isDeleteWhenFinished() const { return deleteWhenFinished_; }
    virtual void resume() { paused_ = false; }
    // One frame: nothing when finished or paused; start on the first step; update; while the job
    // holds its thread, the thread's hold flag is set.
    virtual bool step();
    virtual bool start() { return true; }
    virtual bool update() = 0;
    virtual void finish();
    // Back to the state after construction (standing kinds).
    virtual void reset();

    // Where a loaded job finds its thread by number; set by the core.
    static std::function<TG2Thread*(int32_t)> threadByNumber;

protected:
    // A kind's begin: the thread, running, holding or not.
    void begin(TG2Thread* thread, bool hold);

    TG2Thread* thread_ = nullptr;
    bool hold_ = false;
    bool startPending_ = false;
    bool paused_ = false;
    bool finished_ = true;
    bool deleteWhenFinished_ = false;
};

// The active jobs, in the order they were added. The list does not own them: standing jobs
// belong to the core, one-use jobs are deleted by the core when they leave the list with
// delete-when-finished set.
class TG2DwarfGuild : public std::list<TDwarf*> {
public:
    virtual ~TG2DwarfGuild() = default;
    TDwarf* getDwarfForThread(int32_t code, TG2Thread* thread);
    // The job for a job code: the core's standing job of that code, else (bit 0x4000 or 0x8000)
    // a new transition from createGde, else null.
    virtual TDwarf* getDwarf(int32_t code);
    TDwarf* createGdeForThread(int32_t code, TG2Thread* thread);
    // A new transition or graphic job, owned by the caller; from `gde`, none without it.
    virtual TDwarf* createGde(int32_t code) { return gde ? gde(code) : nullptr; }
    // One entry of the saved list: "JobCode" (0 ends the list), then the job's state unless its
    // owner saves it. Resident jobs write nothing.
    virtual bool saveDwarf(TValueExchange& x, TDwarf* job);
    // The next job of the saved list, or null at its end (and for a code that names no job).
    virtual TDwarf* loadDwarf(TValueExchange& x);

    // The standing jobs by code; set by the core.
    std::function<TDwarf*(int32_t)> standing;
    // The factory of transitions and graphic jobs; set by the presentation.
    std::function<TDwarf*(int32_t)> gde;
};
