#pragma once
// Interleaved 16-bit PCM encoded as Ogg Vorbis with libvorbisenc.
#include <cstdint>
#include <vector>

namespace kit {

// Empty when the encoder refuses the channel count or rate.
std::vector<uint8_t> encodeVorbis(const std::vector<int16_t>& samples, int channels, long rate, float quality = 0.3f);

}  // namespace kit
