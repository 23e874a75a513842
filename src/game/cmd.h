#pragma once
// One queued game message: who sent it, to whom, its code and a copy of its bytes.
#include <vector>

#include "game/wire.h"

namespace game {

// The player id that stands for the server in a TCmd (-1 as a signed byte). Seat ids are handed
// out from 0 upwards, so the two never meet.
constexpr u8 SERVER_ID = 255;

class TCmd {
public:
    // Copies length bytes from data; a length below 1 (or no data) gives an empty vector.
    TCmd(u8 sender, u8 receiver, u32 code, const u8* data, int length)
        : sender_(sender), receiver_(receiver), code_(code) {
        if (data && length > 0) bytes_.assign(data, data + length);
    }
    virtual ~TCmd() = default;

    // Player ids; 255 stands for the server.
    virtual u8 sender() const { return sender_; }
    virtual u8 receiver() const { return receiver_; }
    virtual u32 code() const { return code_; }
    virtual const std::vector<u8>& bytes() const { return bytes_; }

private:
    const u8 sender_;
    const u8 receiver_;
    const u32 code_;
    std::vector<u8> bytes_;
};

}  // namespace game
