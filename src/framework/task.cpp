#include "framework/task.h"

#include <algorithm>

TTask::~TTask() {
    if (state_ != TS_DEAD) state_ = TS_DEAD;
}

void TTask::setStep(int step, int subStep) {
    subSubStep_ = 0;
    subStep_ = subStep;
    step_ = step < 0 ? step_ + 1 : step;
}

void TTask::setSubStep(int subStep, int subSubStep) {
    subSubStep_ = subSubStep;
    subStep_ = subStep < 0 ? subStep_ + 1 : subStep;
}

void TTask::setSubSubStep(int value) { subSubStep_ = value < 0 ? subSubStep_ + 1 : value; }

void TTask::suspend(bool on) {
    if (on && state_ == TS_RUNNING)
        state_ = TS_SUSPENDED;
    else if (!on && state_ == TS_SUSPENDED)
        state_ = TS_RUNNING;
}

void TTask::kill() {
    if (manager_) manager_->killById(id_);
}

TTaskManager::~TTaskManager() { terminate(); }

TTask* TTaskManager::find(int id) const {
    auto it = table_.find(id);
    return it == table_.end() ? nullptr : it->second;
}

int TTaskManager::idOf(const TTask* task) const {
    if (!task) return -1;
    for (const Slot& s : order_)
        if (s.task == task) return task->id();
    return -1;
}

void TTaskManager::endAndDelete(TTask* task) {
    task->End();
    delete task;
}

void TTaskManager::dropSlot(const TTask* task) {
    for (Slot& s : order_)
        if (s.task == task) s.task = nullptr;
    if (passDepth_ == 0) sweep();
}

void TTaskManager::sweep() {
    order_.erase(std::remove_if(order_.begin(), order_.end(), [](const Slot& s) { return s.task == nullptr; }),
                 order_.end());
}

void TTaskManager::terminate() {
    // Tasks may add tasks from their End; keep going until nothing is left.
    while (!order_.empty()) {
        std::vector<Slot> slots;
        slots.swap(order_);
        table_.clear();
        for (Slot& s : slots)
            if (s.task) endAndDelete(s.task);
    }
    table_.clear();
}

int TTaskManager::freeAutoId() const {
    for (int i = 0; i < autoIdCount_; ++i)
        if (!find(firstAutoId_ + i)) return firstAutoId_ + i;
    return -1;
}

int TTaskManager::addWithId(int id, TTask* task, int initialStep, bool startNow) {
    if (!task || task->manager_) return -1;
    if (TTask* old = find(id)) {
        // One task per id: an ending task makes room now instead of being dropped unended;
        // a live one keeps its id.
        if (!old->isEnding()) return -1;
        table_.erase(id);
        dropSlot(old);
        endAndDelete(old);
        if (find(id)) return -1;  // its End put another task there
    }
    task->manager_ = this;
    task->id_ = id;
    task->state_ = TS_NEW;
    task->setStep(initialStep, 0);
    table_[id] = task;
    order_.push_back({id, task});
    if (startNow && task->state_ == TS_NEW) {
        task->Start();
        if (task->state_ == TS_NEW) task->state_ = TS_RUNNING;
    }
    return id;
}

int TTaskManager::add(TTask* task, int initialStep) {
    int id = task ? freeAutoId() : -1;
    return id < 0 ? -1 : addWithId(id, task, initialStep, false);
}

int TTaskManager::add(int id, TTask* task, int initialStep) { return addWithId(id, task, initialStep, false); }

int TTaskManager::addAndStart(TTask* task, int initialStep) {
    int id = task ? freeAutoId() : -1;
    return id < 0 ? -1 : addWithId(id, task, initialStep, true);
}

int TTaskManager::addAndStart(int id, TTask* task, int initialStep) { return addWithId(id, task, initialStep, true); }

TTask* TTaskManager::killById(int id) {
    TTask* task = find(id);
    if (task) task->state_ = TS_ENDING;
    return task;
}

void TTaskManager::killAll() {
    for (auto& [id, task] : table_) task->state_ = TS_ENDING;
}

void TTaskManager::killAllBut(int keep) {
    for (auto& [id, task] : table_)
        if (id != keep) task->state_ = TS_ENDING;
}

bool TTaskManager::run() {
    ++passDepth_;
    int visited = 0;
    int background = 0;
    // By index: tasks added during the pass are appended and visited in this same pass.
    for (size_t i = 0; i < order_.size(); ++i) {
        TTask* task = order_[i].task;
        if (!task) continue;
        int state = task->state_;
        if (state == TS_EMPTY || state == TS_ENDING) {
            // Taken out of the table before End runs, so End may reuse the id.
            order_[i].task = nullptr;
            table_.erase(order_[i].id);
            if (state == TS_ENDING)
                endAndDelete(task);
            else
                delete task;  // owned by the scheduler, but never started: no End
            continue;
        }
        if (state == TS_NEW) {
            task->Start();
            // A kill or suspension asked for inside Start stands.
            if (task->state_ == TS_NEW) task->state_ = TS_RUNNING;
            if (i >= order_.size() || order_[i].task != task) continue;  // Start replaced it
        }
        ++visited;
        if (task->isBackground()) ++background;
        if (task->state_ == TS_SUSPENDED) continue;
        if (active_) task->update();
        // The update may have made room for a new task under its own id, deleting this one.
        if (i < order_.size() && order_[i].task == task) task->draw();
    }
    if (--passDepth_ == 0) sweep();
    return visited - background > 0;
}
