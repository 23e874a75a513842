#pragma once
// The sound format record of RIFF WAVE files and of the sound device, and the chunk walk of a
// RIFF WAVE image in memory.
#include <cstddef>
#include <cstdint>

#include "platform/audio_mixer.h"

// The 18-byte format record ("fmt " chunk), little-endian in files, native here.
struct WaveFormatEx {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
};

constexpr uint16_t kWaveFormatPcm = 1;

// A plain PCM record: channels, rate and 8 or 16 bits.
WaveFormatEx pcmFormat(uint16_t channels, uint32_t rate, uint16_t bits);
// The record read from its first n (at most 18) little-endian bytes; missing fields are 0.
WaveFormatEx readWaveFormat(const uint8_t* bytes, size_t n);
// The mixer's format for a PCM record the device can play: tag 1, 1 or 2 channels, 8 or 16 bits,
// block alignment and byte rate consistent with them. False for anything else.
bool toMixerFormat(const WaveFormatEx& fmt, platform::audio::PcmFormat& out);

// What parseRiffWave finds: offsets into the image.
struct RiffWaveInfo {
    WaveFormatEx format;
    bool hasFormat = false;
    size_t dataOffset = 0;
    uint32_t dataSize = 0;
};

// Walks the chunks of a RIFF WAVE image of size bytes: "RIFF" at 0 and "WAVE" at 8, chunks from
// offset 12 within both the RIFF size and the image; each chunk is padded to an even size. The
// first "fmt " chunk is taken when it is at least 14 bytes (a shorter one fails); the first
// "data" chunk gives the data, cut to the bytes the image holds. False without a non-empty data
// chunk, for a chunk reaching past the image before the data is found, or, with needFormat,
// without a format.
bool parseRiffWave(const uint8_t* image, size_t size, RiffWaveInfo& out, bool needFormat = true);
// "RIFF" in the first dword and "WAVE" in the third.
bool isRiffWaveHeader(const uint8_t* bytes, size_t size);
