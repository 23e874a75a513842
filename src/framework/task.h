#pragma once
// Every screen and mode is a task. The scheduler owns its tasks from the moment they are added,
// gives them ids and once per frame makes one pass: it starts new tasks, updates and draws live
// ones, and ends and deletes those whose end was requested. Main thread only.
#include <cstdint>
#include <unordered_map>
#include <vector>

class TTaskManager;

enum TTaskState : int {
    TS_EMPTY = 0,  // constructed, not added
    TS_NEW = 1,    // Start still to run
    TS_RUNNING = 2,
    TS_ENDING = 3,  // end requested; the next pass ends and deletes it
    TS_DEAD = 4,    // End ran (or the task marked itself dead); still updated until killed
    TS_SUSPENDED = 5,
};

class TTask {
public:
    explicit TTask(int initialStep = 0) : step_(initialStep) {}
    virtual ~TTask();
    TTask(const TTask&) = delete;
    TTask& operator=(const TTask&) = delete;

    virtual TTaskManager* manager() const { return manager_; }
    virtual int id() const { return id_; }
    virtual uint32_t flags() const { return flags_; }
    virtual bool isBackground() const { return (flags_ & 1u) != 0; }  // does not keep the program alive
    virtual int state() const { return state_; }
    virtual bool isEnding() const { return state_ == TS_ENDING || isDead(); }
    virtual bool isDead() const { return state_ == TS_DEAD; }
    virtual bool isSuspended() const { return state_ == TS_SUSPENDED; }
    virtual void setFlags(uint32_t flags) { flags_ = flags; }
    virtual int step() const { return step_; }
    virtual int subStep() const { return subStep_; }
    virtual int subSubStep() const { return subSubStep_; }
    // A negative first argument means "the next one"; the lower levels are set as given.
    virtual void setStep(int step, int subStep = 0);
    virtual void setSubStep(int subStep, int subSubStep = 0);
    virtual void setSubSubStep(int value);
    // true: running -> suspended; false: suspended -> running; other states unchanged.
    virtual void suspend(bool on);
    virtual void resume() { suspend(false); }
    // Asks the scheduler to end this task at its next pass.
    virtual void kill();

    // Once, before the first update. The scheduler ignores the result.
    virtual bool Start() { return true; }
    // Once, just before deletion. Overrides release what Start took, then call this.
    virtual void End() { state_ = TS_DEAD; }
    virtual void update() = 0;
    virtual void draw() {}

protected:
    void setState(int state) { state_ = state; }

private:
    friend class TTaskManager;
    TTaskManager* manager_ = nullptr;
    int id_ = 0;
    uint32_t flags_ = 0;
    int state_ = TS_EMPTY;
    int step_;
    int subStep_ = 0;
    int subSubStep_ = 0;
};

class TTaskManager {
public:
    // Automatic ids are first .. first + count - 1 (the game frame uses 128 and 128).
    TTaskManager(int firstAutoId, int autoIdCount) : firstAutoId_(firstAutoId), autoIdCount_(autoIdCount) {}
    virtual ~TTaskManager();
    TTaskManager(const TTaskManager&) = delete;
    TTaskManager& operator=(const TTaskManager&) = delete;

    virtual const std::unordered_map<int, TTask*>& tasks() const { return table_; }
    // Entries in the table; tasks whose end was requested count until a pass removes them.
    virtual int count() const { return static_cast<int>(table_.size()); }
    virtual TTask* find(int id) const;
    // The id of a task in the table, -1 for any other pointer (which is never dereferenced).
    virtual int idOf(const TTask* task) const;
    virtual bool isActive() const { return active_; }
    // While inactive, tasks are started and drawn but not updated.
    virtual void setActive(bool active) { active_ = active; }
    virtual bool start() { return true; }
    // Ends and deletes every task, whatever its state. Not to be called from inside a pass.
    virtual void terminate();

    // The add operations return the task's id, or -1 when it was not added (the task then stays
    // its caller's): a null task, a task already held by a scheduler, a full or empty automatic
    // window, or a given id whose task is alive. A given id whose task is ending has that task
    // ended and deleted first. add starts the task at the next pass; addAndStart at once.
    virtual int add(TTask* task, int initialStep = 0);
    virtual int add(int id, TTask* task, int initialStep = 0);
    virtual int addAndStart(TTask* task, int initialStep = 0);
    virtual int addAndStart(int id, TTask* task, int initialStep = 0);

    // Killing only requests the end (state 3); the next pass ends and deletes.
    virtual void kill(TTask* task) { killById(idOf(task)); }
    virtual TTask* killById(int id);
    virtual void killAll();
    virtual void killAllBut(int id);

    // One pass over the tasks in the order they were added (a task added during the pass is
    // visited in the same pass). True when a task that is not a background task is alive after it.
    virtual bool run();

private:
    struct Slot {
        int id;
        TTask* task;  // null once removed; the slot is swept after the pass
    };

    int addWithId(int id, TTask* task, int initialStep, bool startNow);
    int freeAutoId() const;
    void dropSlot(const TTask* task);
    void sweep();
    static void endAndDelete(TTask* task);

    std::unordered_map<int, TTask*> table_;
    std::vector<Slot> order_;
    int firstAutoId_;
    int autoIdCount_;
    bool active_ = true;
    int passDepth_ = 0;
};
