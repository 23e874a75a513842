#include "game/task.h"

namespace game {

int TTask::pushCmd(u8 sender, u8 receiver, u32 code, const u8* data, int length) {
    if (!data && length > 0) return -1;
    queue_.push_back(TCmdPtr(new TCmd(sender, receiver, code, data, length)));
    return static_cast<int>(queue_.size());
}

}  // namespace game
