#pragma once
// The common base of the two game tasks (the server task and a table client task): a first-in,
// first-out queue of game messages. A task's update looks at the front and takes only what its
// current state accepts; anything else stays at the front and holds up what is behind it.
#include <boost/shared_ptr.hpp>
#include <deque>

#include "framework/task.h"
#include "game/cmd.h"

namespace game {

using TCmdPtr = boost::shared_ptr<TCmd>;

class TTask : public ::TTask {
public:
    explicit TTask(int initialStep = 0) : ::TTask(initialStep) {}
    ~TTask() override = default;

    virtual std::deque<TCmdPtr>& cmdQueue() { return queue_; }
    virtual const std::deque<TCmdPtr>& cmdQueue() const { return queue_; }
    virtual bool hasCmd() const { return !queue_.empty(); }
    // The queue is not empty and its front command has this code.
    virtual bool isFrontCmd(u32 code) const { return !queue_.empty() && queue_.front()->code() == code; }
    // Callers test hasCmd first.
    virtual TCmdPtr& frontCmd() { return queue_.front(); }
    virtual const TCmdPtr& frontCmd() const { return queue_.front(); }
    // Removes the front command; nothing on an empty queue.
    virtual void popCmd() {
        if (!queue_.empty()) queue_.pop_front();
    }

    // Appends a copy of the message and returns the queue's new length. A message that claims
    // bytes it does not hand over (no data with a positive length) is refused: -1, nothing queued.
    virtual int pushCmd(u8 sender, u8 receiver, u32 code, const u8* data, int length);

private:
    std::deque<TCmdPtr> queue_;
};

}  // namespace game
