#pragma once
// A stand-in for the person at the table: it reads only what the screen shows (the pictures in
// the layers of the screen's table, recognised by the table's own picture sets) and answers with
// the mouse through the platform's pointer, as a hand on the mouse would. It wins whenever a win
// is offered, declines every call, discards the tile it draws, clicks through the result pages,
// stops when asked whether to go on and leaves at the end screen.
#include <functional>
#include <string>

class TGameFrameG2;

namespace mjtable {

class ScreenDriver {
public:
    enum class Sight { None, Table, OwnDraw, Menu, Result, DrawResult, Continue, Final };
    // Called when the driver is about to answer what the screen shows: the sight and how often
    // it has answered that sight.
    using Watcher = std::function<void(TGameFrameG2& frame, Sight sight, int count)>;

    void setWatcher(Watcher w) { watcher_ = std::move(w); }
    void operator()(TGameFrameG2& frame);

    // The pointer at (x, y) of the frame's window, the primary button held or not.
    static void press(TGameFrameG2& frame, int x, int y, bool down);

    int clicks() const { return clicks_; }
    int discards() const { return discards_; }
    int wins() const { return wins_; }
    int resultPages() const { return resultPages_; }
    bool sawFinal() const { return sawFinal_; }

private:
    struct Target {
        int x = -1, y = -1;
        bool win = false;
    };
    Sight look(Target& target) const;

    Watcher watcher_;
    int phase_ = 0;  // 0 look, 1 moved, 2 pressed, 3+ resting
    Target target_;
    static constexpr int kFinalSettle = 30;
    int finalFrames_ = 0;
    int counts_[8] = {};
    int clicks_ = 0, discards_ = 0, wins_ = 0, resultPages_ = 0;
    bool sawFinal_ = false;
};

const char* sightName(ScreenDriver::Sight s);
// The own seat's discards lying on screen.
int ownDiscardsShown();

}  // namespace mjtable
