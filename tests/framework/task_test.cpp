#include "framework/task.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A task that writes what happens to it into a shared log and runs optional hooks.
struct Probe : TTask {
    std::vector<std::string>* log;
    std::string name;
    std::function<void(Probe&)> onStart, onUpdate, onEnd;

    Probe(std::vector<std::string>* l, std::string n, bool background = false) : log(l), name(std::move(n)) {
        if (background) setFlags(1);
    }
    ~Probe() override { log->push_back(name + ":delete"); }
    bool Start() override {
        log->push_back(name + ":start");
        if (onStart) onStart(*this);
        return true;
    }
    void End() override {
        log->push_back(name + ":end");
        if (onEnd) onEnd(*this);
        TTask::End();
    }
    void update() override {
        log->push_back(name + ":update");
        if (onUpdate) onUpdate(*this);
    }
    void draw() override { log->push_back(name + ":draw"); }
};

using Log = std::vector<std::string>;

}  // namespace

TEST(TaskSteps, NegativeArgumentsAdvanceByOne) {
    Log log;
    Probe t(&log, "t");
    EXPECT_EQ(t.step(), 0);
    t.setStep(5, 3);
    t.setSubSubStep(7);
    t.setStep(-1, 2);  // next step; sub-step as given, sub-sub-step cleared
    EXPECT_EQ(t.step(), 6);
    EXPECT_EQ(t.subStep(), 2);
    EXPECT_EQ(t.subSubStep(), 0);
    t.setSubStep(-1, 4);
    EXPECT_EQ(t.subStep(), 3);
    EXPECT_EQ(t.subSubStep(), 4);
    t.setSubSubStep(-1);
    EXPECT_EQ(t.subSubStep(), 5);
    EXPECT_EQ(t.state(), TS_EMPTY);
    t.suspend(true);  // only a running task can be suspended
    EXPECT_EQ(t.state(), TS_EMPTY);
    t.kill();  // no scheduler: nothing
}

TEST(TaskPass, LifeCycleFromAddToDelete) {
    Log log;
    TTaskManager m(128, 128);
    EXPECT_FALSE(m.run());  // empty
    auto* t = new Probe(&log, "a");
    EXPECT_EQ(m.add(t, 3), 128);
    EXPECT_EQ(t->state(), TS_NEW);
    EXPECT_EQ(t->step(), 3);
    EXPECT_EQ(t->manager(), &m);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(m.run());
    EXPECT_EQ(log, (Log{"a:start", "a:update", "a:draw"}));
    EXPECT_EQ(t->state(), TS_RUNNING);
    log.clear();

    t->kill();
    EXPECT_EQ(m.count(), 1);  // still held until the pass
    EXPECT_EQ(m.find(128), t);
    EXPECT_FALSE(m.run());
    EXPECT_EQ(log, (Log{"a:end", "a:delete"}));
    EXPECT_EQ(m.count(), 0);
    EXPECT_EQ(m.find(128), nullptr);
}

TEST(TaskPass, WhatAPassReturnsAndWhoIsUpdated) {
    Log log;
    TTaskManager m(128, 128);
    auto* bg = new Probe(&log, "bg", true);
    m.add(bg);
    EXPECT_FALSE(m.run());  // background tasks alone do not keep the program alive

    auto* s = new Probe(&log, "s");
    m.addAndStart(s);
    EXPECT_EQ(log.back(), "s:start");
    s->suspend(true);
    log.clear();
    EXPECT_TRUE(m.run());                           // a suspended task keeps the program alive...
    EXPECT_EQ(log, (Log{"bg:update", "bg:draw"}));  // ...but is neither updated nor drawn
    s->resume();
    EXPECT_EQ(s->state(), TS_RUNNING);

    m.setActive(false);
    auto* n = new Probe(&log, "n");
    m.add(n);
    log.clear();
    EXPECT_TRUE(m.run());
    EXPECT_EQ(log, (Log{"bg:draw", "s:draw", "n:start", "n:draw"}));  // started and drawn, not updated

    // A task that declared itself dead goes on until it is killed.
    m.setActive(true);
    n->End();
    log.clear();
    EXPECT_TRUE(m.run());
    EXPECT_EQ(log, (Log{"bg:update", "bg:draw", "s:update", "s:draw", "n:update", "n:draw"}));
}

TEST(TaskPass, KilledBeforeStartIsEndedWithoutStarting) {
    Log log;
    TTaskManager m(128, 128);
    auto* t = new Probe(&log, "t");
    m.add(t);
    EXPECT_EQ(m.killById(t->id()), t);
    EXPECT_EQ(m.killById(999), nullptr);
    m.kill(reinterpret_cast<TTask*>(0x10));  // not ours: ignored, never dereferenced
    EXPECT_FALSE(m.run());
    EXPECT_EQ(log, (Log{"t:end", "t:delete"}));

    // A kill asked for inside Start is not lost.
    auto* k = new Probe(&log, "k");
    k->onStart = [](Probe& p) { p.kill(); };
    m.add(k);
    m.run();
    log.clear();
    m.run();
    EXPECT_EQ(log, (Log{"k:end", "k:delete"}));
}

TEST(TaskIds, AutomaticWindowIsLowestFreeFirstAndRefusesWhenFull) {
    Log log;
    TTaskManager m(128, 128);
    std::vector<Probe*> tasks;
    for (int i = 0; i < 128; ++i) {
        tasks.push_back(new Probe(&log, "t"));
        ASSERT_EQ(m.add(tasks.back()), 128 + i);
    }
    Probe extra(&log, "extra");  // stays ours when refused
    EXPECT_EQ(m.add(&extra), -1);
    EXPECT_EQ(m.addAndStart(&extra), -1);
    EXPECT_EQ(extra.manager(), nullptr);

    m.kill(tasks[5]);
    m.kill(tasks[2]);
    EXPECT_EQ(m.add(&extra), -1);  // killed tasks hold their ids until the pass
    m.run();
    auto* a = new Probe(&log, "a");
    auto* b = new Probe(&log, "b");
    EXPECT_EQ(m.add(a), 130);
    EXPECT_EQ(m.add(b), 133);
    EXPECT_EQ(m.idOf(a), 130);
    EXPECT_EQ(m.idOf(&extra), -1);
    EXPECT_EQ(m.add(&extra), -1);  // full again
}

TEST(TaskIds, RefusedAddsLeaveTheCallerOwning) {
    Log log;
    TTaskManager none(128, 0);
    Probe t(&log, "t");
    EXPECT_EQ(none.add(&t), -1);
    EXPECT_EQ(none.add(nullptr), -1);
    EXPECT_EQ(none.add(5, nullptr), -1);

    TTaskManager m(128, 128);
    auto* first = new Probe(&log, "first");
    EXPECT_EQ(m.add(7, first), 7);
    EXPECT_EQ(m.add(8, first), -1);  // already held: a second entry would delete it twice
    Probe other(&log, "other");
    EXPECT_EQ(m.add(7, &other), -1);  // id 7 is alive
    EXPECT_EQ(m.find(7), first);
}

TEST(TaskIds, AnEndingTaskMakesRoomForANewOneUnderItsId) {
    Log log;
    TTaskManager m(128, 128);
    auto* old = new Probe(&log, "old");
    m.addAndStart(3, old);
    old->kill();
    auto* fresh = new Probe(&log, "fresh");
    EXPECT_EQ(m.add(3, fresh), 3);
    EXPECT_EQ(log, (Log{"old:start", "old:end", "old:delete"}));
    EXPECT_EQ(m.count(), 1);
    log.clear();
    m.run();
    EXPECT_EQ(log, (Log{"fresh:start", "fresh:update", "fresh:draw"}));

    // The same from inside a pass: the task replaces itself during its update.
    Probe* next = nullptr;
    fresh->onUpdate = [&](Probe& self) {
        self.kill();
        next = new Probe(&log, "next");
        m.add(3, next);
    };
    log.clear();
    EXPECT_TRUE(m.run());
    EXPECT_EQ(log, (Log{"fresh:update", "fresh:end", "fresh:delete", "next:start", "next:update", "next:draw"}));
    EXPECT_EQ(m.find(3), next);
    EXPECT_EQ(m.count(), 1);
}

TEST(TaskPass, TasksAddedOrKilledDuringAPass) {
    Log log;
    TTaskManager m(128, 128);
    auto* a = new Probe(&log, "a");
    auto* b = new Probe(&log, "b");
    m.add(a);
    m.add(b);
    m.run();
    // a adds c (visited in this pass, after b) and kills b (ended when the walk reaches it).
    a->onUpdate = [&](Probe& self) {
        m.add(new Probe(&log, "c"));
        m.kill(b);
        self.onUpdate = nullptr;
    };
    log.clear();
    EXPECT_TRUE(m.run());
    EXPECT_EQ(log, (Log{"a:update", "a:draw", "b:end", "b:delete", "c:start", "c:update", "c:draw"}));
    // c was added while b still held its id; b's id is free again after the pass.
    EXPECT_EQ(m.count(), 2);
    EXPECT_NE(m.find(130), nullptr);
    EXPECT_EQ(m.find(129), nullptr);

    // Killing everything but one.
    m.killAllBut(128);
    log.clear();
    m.run();
    EXPECT_EQ(log, (Log{"a:update", "a:draw", "c:end", "c:delete"}));
    m.killAll();
    EXPECT_FALSE(m.run());
    EXPECT_EQ(m.count(), 0);
}

TEST(TaskPass, TerminateEndsEveryTaskWhateverItsState) {
    Log log;
    {
        TTaskManager m(128, 128);
        m.add(new Probe(&log, "new"));
        auto* s = new Probe(&log, "susp");
        m.addAndStart(s);
        s->suspend(true);
        auto* k = new Probe(&log, "killed");
        m.addAndStart(k);
        k->kill();
        // A task that adds another from its End: that one is ended too.
        k->onEnd = [&](Probe&) { m.add(new Probe(&log, "late")); };
        log.clear();
    }
    EXPECT_EQ(log, (Log{"new:end", "new:delete", "susp:end", "susp:delete", "killed:end", "killed:delete", "late:end",
                        "late:delete"}));
}
