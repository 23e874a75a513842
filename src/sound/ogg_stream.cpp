#include "sound/ogg_stream.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sound/direct_sound.h"

// ---- vorbisfile over the system's streams ----------------------------------------------------

namespace {

size_t readStream(void* ptr, size_t size, size_t count, void* source) {
    if (size == 0) return 0;
    const size_t want = std::min<size_t>(size * count, 0x10000000);
    return static_cast<TStream*>(source)->read(ptr, static_cast<uint32_t>(want)) / size;
}

int seekStream(void* source, ogg_int64_t offset, int whence) {
    if (offset < INT32_MIN || offset > INT32_MAX) return -1;
    const int origin = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? 1 : 2;
    return static_cast<TStream*>(source)->seek(static_cast<int32_t>(offset), origin) ? 0 : -1;
}

long tellStream(void* source) { return static_cast<long>(static_cast<TStream*>(source)->tell()); }

}  // namespace

struct TOggStream::Decoder {
    TFileStream file;
    OggVorbis_File vf{};
    bool open = false;
    int channels = 0;
};

TOggStream::TOggStream() = default;

TOggStream::~TOggStream() { TOggStream::release(); }

int TOggStream::openSource(const std::string& name) {
    closeSource();
    auto d = std::make_unique<Decoder>();
    if (!d->file.open(name, kFileRead)) return kErrOpen;
    const ov_callbacks callbacks = {readStream, seekStream, nullptr, tellStream};
    if (ov_open_callbacks(&d->file, &d->vf, nullptr, 0, callbacks) < 0) return kErrFormat;
    d->open = true;
    const vorbis_info* info = ov_info(&d->vf, -1);
    const ogg_int64_t total = ov_pcm_total(&d->vf, -1);
    if (!info || info->channels < 1 || info->channels > 2 || info->rate <= 0 || total <= 0) {
        ov_clear(&d->vf);
        return kErrFormat;
    }
    d->channels = info->channels;
    format_ = pcmFormat(static_cast<uint16_t>(info->channels), static_cast<uint32_t>(info->rate), 16);
    dataSize_ = static_cast<uint32_t>(std::min<ogg_int64_t>(total * format_.nBlockAlign, 0xFFFFFFFFu));
    length_ = static_cast<int>(ov_time_total(&d->vf, -1) * 1000);
    decoder_ = std::move(d);
    return 0;
}

bool TOggStream::seekSource(uint32_t samples) {
    if (!decoder_ || !ov_seekable(&decoder_->vf)) return false;
    return ov_pcm_seek(&decoder_->vf, samples) == 0;
}

bool TOggStream::readSource(void* buf, uint32_t size, uint32_t& got) {
    got = 0;
    if (!decoder_) return false;
    auto* out = static_cast<char*>(buf);
    int holes = 0;
    // Whole blocks only, so that the channels never slip.
    size -= size % format_.nBlockAlign;
    while (got < size) {
        int link = 0;
        const long r = ov_read(&decoder_->vf, out + got, static_cast<int>(std::min<uint32_t>(size - got, 1 << 20)), 0,
                               2, 1, &link);
        if (r == 0) break;
        if (r < 0) {
            // A damaged stretch is passed over, but not for ever.
            if (++holes > kMaxHoles) return got > 0;
            continue;
        }
        holes = 0;
        const vorbis_info* info = ov_info(&decoder_->vf, link);
        if (!info || info->channels != decoder_->channels) {
            // A chained stream whose layout changes cannot go on in this buffer: it ends here.
            break;
        }
        got += static_cast<uint32_t>(r);
    }
    return true;
}

void TOggStream::closeSource() {
    if (decoder_ && decoder_->open) ov_clear(&decoder_->vf);
    decoder_.reset();
}

// ---- the whole-file decoder -----------------------------------------------------------------

bool decodeOggVorbis(const uint8_t* image, size_t size, std::vector<uint8_t>& pcm, WaveFormatEx& format) {
    pcm.clear();
    ogg_sync_state oy;
    ogg_stream_state os;
    ogg_page og;
    ogg_packet op;
    vorbis_info vi;
    vorbis_comment vc;
    ogg_sync_init(&oy);
    size_t at = 0;
    auto feed = [&]() {
        if (at >= size) return false;
        const size_t n = std::min<size_t>(4096, size - at);
        char* to = ogg_sync_buffer(&oy, static_cast<long>(n));
        if (!to) return false;
        std::memcpy(to, image + at, n);
        ogg_sync_wrote(&oy, static_cast<long>(n));
        at += n;
        return true;
    };
    bool ok = false;
    bool streamMade = false;
    vorbis_info_init(&vi);
    vorbis_comment_init(&vc);
    do {
        int got;
        while ((got = ogg_sync_pageout(&oy, &og)) != 1)
            if (got == 0 && !feed()) break;
        if (got != 1) break;
        ogg_stream_init(&os, ogg_page_serialno(&og));
        streamMade = true;
        if (ogg_stream_pagein(&os, &og) < 0 || ogg_stream_packetout(&os, &op) != 1 ||
            vorbis_synthesis_headerin(&vi, &vc, &op) < 0)
            break;
        int headers = 1;
        bool bad = false;
        while (headers < 3 && !bad) {
            const int r = ogg_stream_packetout(&os, &op);
            if (r < 0) {
                bad = true;
            } else if (r == 1) {
                bad = vorbis_synthesis_headerin(&vi, &vc, &op) < 0;
                ++headers;
            } else {
                const int p = ogg_sync_pageout(&oy, &og);
                if (p == 1)
                    ogg_stream_pagein(&os, &og);
                else if (p == 0 && !feed())
                    bad = true;
            }
        }
        if (bad || vi.channels < 1 || vi.channels > 2 || vi.rate <= 0) break;
        ok = true;
    } while (false);

    if (ok) {
        const int channels = vi.channels;
        format = pcmFormat(static_cast<uint16_t>(channels), static_cast<uint32_t>(vi.rate), 16);
        vorbis_dsp_state vd;
        vorbis_block vb;
        if (vorbis_synthesis_init(&vd, &vi) != 0) {
            ok = false;
        } else {
            vorbis_block_init(&vd, &vb);
            const size_t limit = static_cast<size_t>(std::min<uint64_t>(
                uint64_t{kMaxOggEffectSeconds} * static_cast<uint64_t>(vi.rate) * channels * 2, kMaxOggEffectBytes));
            bool eos = false;
            while (!eos && ok) {
                const int p = ogg_sync_pageout(&oy, &og);
                if (p == 0) {
                    if (!feed()) break;
                    continue;
                }
                if (p < 0) continue;
                ogg_stream_pagein(&os, &og);
                while (ok) {
                    const int r = ogg_stream_packetout(&os, &op);
                    if (r == 0) break;
                    if (r < 0) continue;
                    if (vorbis_synthesis(&vb, &op) == 0) vorbis_synthesis_blockin(&vd, &vb);
                    float** out;
                    int samples;
                    while ((samples = vorbis_synthesis_pcmout(&vd, &out)) > 0) {
                        const int n = std::min(samples, 4096 / channels);
                        const size_t base = pcm.size();
                        pcm.resize(base + static_cast<size_t>(n) * channels * 2);
                        uint8_t* w = pcm.data() + base;
                        for (int i = 0; i < n; ++i)
                            for (int c = 0; c < channels; ++c) {
                                int v = static_cast<int>(out[c][i] * 32767.0);  // truncated toward zero
                                v = std::clamp(v, -32768, 32767);
                                *w++ = static_cast<uint8_t>(v & 0xFF);
                                *w++ = static_cast<uint8_t>((v >> 8) & 0xFF);
                            }
                        vorbis_synthesis_read(&vd, n);
                        if (pcm.size() > limit) {
                            ok = false;  // too long for an effect
                            break;
                        }
                    }
                }
                if (ogg_page_eos(&og)) eos = true;
            }
            vorbis_block_clear(&vb);
            vorbis_dsp_clear(&vd);
        }
    }
    if (streamMade) ogg_stream_clear(&os);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    ogg_sync_clear(&oy);
    return ok && !pcm.empty();
}

TOggWave::~TOggWave() { TWave::release(); }

bool TOggWave::loadFile(const std::string& name, int copies) {
    if (isLoaded()) return false;
    TFileStream file;
    if (!file.open(name, kFileRead)) return false;
    std::vector<uint8_t> bytes(file.size());
    bytes.resize(file.read(bytes.data(), static_cast<uint32_t>(bytes.size())));
    beginLoad(kFromFile, name, copies);
    image_ = std::move(bytes);
    return finishOggLoad();
}

bool TOggWave::loadMemory(const void* data, uint32_t size, int copies) {
    if (isLoaded() || !data) return false;
    beginLoad(kFromMemory, std::string(), copies);
    image_.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    return finishOggLoad();
}

bool TOggWave::finishOggLoad() {
    bufferCount_ = parseAndCreate();
    if (bufferCount_ > 0) {
        registerDevice();
        return true;
    }
    release();
    return false;
}

int TOggWave::parseAndCreate() {
    if (!TDirectSound::getDevice()) return 0;
    std::vector<uint8_t> pcm;
    WaveFormatEx format;
    if (!decodeOggVorbis(image_.data(), image_.size(), pcm, format) || pcm.size() > 0xFFFFFFFFu) return 0;
    // The decoded PCM becomes the wave's image and data.
    image_ = std::move(pcm);
    dataOffset_ = 0;
    dataSize_ = static_cast<uint32_t>(image_.size());
    return createBuffers(format);
}

// ---- openers --------------------------------------------------------------------------------

TWave* TOpenWave::openFile(const std::string& name) {
    auto wave = std::make_unique<TWave>();
    if (!wave->loadFile(name, kCopies)) return nullptr;
    lastOgg_ = false;
    return wave.release();
}

TWave* TOpenWave::openMemory(const void* data, size_t size) {
    auto wave = std::make_unique<TWave>();
    if (size > 0xFFFFFFFFu || !wave->loadMemory(data, static_cast<uint32_t>(size), kCopies)) return nullptr;
    lastOgg_ = false;
    return wave.release();
}

namespace {
template <typename Load>
TWave* openEither(bool& lastOgg, Load load) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool ogg = attempt == 0 ? lastOgg : !lastOgg;
        std::unique_ptr<TWave> wave = ogg ? std::unique_ptr<TWave>(new TOggWave) : std::make_unique<TWave>();
        if (load(*wave)) {
            lastOgg = ogg;
            return wave.release();
        }
    }
    return nullptr;
}
}  // namespace

TWave* TOpenOgg::openFile(const std::string& name) {
    return openEither(lastOgg_, [&](TWave& w) { return w.loadFile(name, kCopies); });
}

TWave* TOpenOgg::openMemory(const void* data, size_t size) {
    if (size > 0xFFFFFFFFu) return nullptr;
    return openEither(lastOgg_, [&](TWave& w) { return w.loadMemory(data, static_cast<uint32_t>(size), kCopies); });
}
