#include "sound/media.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>
#include <deque>

#include "platform/clock.h"
#include "platform/path_map.h"
#include "sound/direct_sound.h"

namespace {

constexpr uint32_t kRingFrames = 44100 * 2;  // two seconds
constexpr uint64_t kLeadFrames = 44100 / 2;  // half a second decoded ahead
constexpr size_t kMaxQueuedPackets = 512;

bool frameFits(int width, int height) {
    return width > 0 && height > 0 && width <= TMedia::kMaxFrameSide && height <= TMedia::kMaxFrameSide &&
           int64_t{width} * height <= TMedia::kMaxFramePixels;
}

// Bilinear sampling of the part [x0, x1) × [y0, y1) of a picture of sw × sh pixels stretched over
// a rectangle of w × h at (x, y), into out (x1 - x0 pixels a row). Costs what the part costs,
// whatever the rectangle's size.
void sampleStretched(const uint32_t* src, int sw, int sh, int64_t x, int64_t y, int64_t w, int64_t h, int64_t x0,
                     int64_t y0, int64_t x1, int64_t y1, std::vector<uint32_t>& out) {
    struct Tap {
        int a, b;    // the two source columns (or rows)
        uint32_t f;  // the weight of b, 0 to 256
    };
    auto taps = [](int64_t from, int64_t to, int64_t origin, int64_t span, int size) {
        std::vector<Tap> t;
        t.reserve(static_cast<size_t>(to - from));
        for (int64_t d = from; d < to; ++d) {
            const double u = std::clamp((static_cast<double>(d - origin) + 0.5) * size / span - 0.5, 0.0,
                                        static_cast<double>(size - 1));
            const int a = static_cast<int>(u);
            t.push_back({a, std::min(a + 1, size - 1), static_cast<uint32_t>((u - a) * 256)});
        }
        return t;
    };
    const std::vector<Tap> cols = taps(x0, x1, x, w, sw), rows = taps(y0, y1, y, h, sh);
    auto mix = [](uint32_t p, uint32_t q, uint32_t f) {
        const uint32_t rb = ((p & 0xFF00FFu) * (256 - f) + (q & 0xFF00FFu) * f) >> 8 & 0xFF00FFu;
        const uint32_t ag = ((p >> 8 & 0xFF00FFu) * (256 - f) + (q >> 8 & 0xFF00FFu) * f) & 0xFF00FF00u;
        return rb | ag;
    };
    out.resize(cols.size() * rows.size());
    uint32_t* o = out.data();
    for (const Tap& r : rows) {
        const uint32_t* top = src + static_cast<size_t>(r.a) * sw;
        const uint32_t* bottom = src + static_cast<size_t>(r.b) * sw;
        for (const Tap& c : cols) *o++ = mix(mix(top[c.a], top[c.b], c.f), mix(bottom[c.a], bottom[c.b], c.f), r.f);
    }
}

}  // namespace

bool TMediaSurfaceView::blit(const uint32_t* pixels, int width, int height, int pitch, int x, int y) {
    if (!bits_) return false;
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(width_, x + width), y1 = std::min(height_, y + height);
    if (x0 >= x1 || y0 >= y1) return false;
    for (int row = y0; row < y1; ++row)
        std::memcpy(bits_ + static_cast<size_t>(row) * pitch_ + x0,
                    pixels + static_cast<size_t>(row - y) * pitch + (x0 - x), static_cast<size_t>(x1 - x0) * 4);
    return true;
}

struct TMedia::Player {
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    int videoIndex = -1, audioIndex = -1;
    SwsContext* scaler = nullptr;
    SwrContext* resampler = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    AVFrame* pending = nullptr;  // decoded, not yet due
    AVFrame* shown = nullptr;    // the picture on show
    std::deque<AVPacket*> videoPackets;
    std::vector<uint32_t> picture;
    std::vector<uint32_t> part;  // the part of a stretched picture that lies on the target
    int pictureW = 0, pictureH = 0;
    bool pictureStale = true;
    bool demuxEnded = false, videoDrainSent = false, videoEnded = false, audioEnded = false, ended = false;
    double shownEnd = 0;  // seconds: when the picture on show stops being due
    // Time in milliseconds of movie: base while stopped, base + (now - start) while running.
    bool running = false;
    int64_t baseMs = 0;
    uint32_t startMs = 0;
    uint64_t playedAtStart = 0;
    // The sound.
    std::shared_ptr<platform::audio::SoundBuffer> ring;
    uint64_t written = 0, played = 0;
    uint32_t lastCursor = 0;
    // A mono movie plays from a mono buffer (both sides at full level); anything else in stereo.
    int channels = 2;
    uint32_t ringBytes = kRingFrames * 4;
    uint64_t lead = kLeadFrames * 4;
    int volume = 0;

    ~Player() {
        if (ring) {
            TDeviceLock hold;
            ring->stop();
        }
        clearQueue();
        av_frame_free(&pending);
        av_frame_free(&shown);
        av_frame_free(&frame);
        av_packet_free(&packet);
        sws_freeContext(scaler);
        swr_free(&resampler);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        avformat_close_input(&format);
    }
    void clearQueue() {
        for (AVPacket* p : videoPackets) av_packet_free(&p);
        videoPackets.clear();
    }
    // With sound, the movie's time is the sound played since the start (pictures follow the
    // device's clock, so they keep in step with the voice); without, the program's clock.
    int64_t nowMs() {
        if (!running) return baseMs;
        if (ring) {
            updatePlayed();
            return baseMs + static_cast<int64_t>((played - playedAtStart) * 1000 / (44100ull * 2 * channels));
        }
        return baseMs + platform::timeDiff(platform::timeGetTime(), startMs);
    }

    static AVCodecContext* openDecoder(AVStream* stream) {
        const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
        if (!codec) return nullptr;
        AVCodecContext* c = avcodec_alloc_context3(codec);
        if (c) c->max_pixels = TMedia::kMaxFramePixels;  // larger pictures are errors, not work
        if (!c || avcodec_parameters_to_context(c, stream->codecpar) < 0 || avcodec_open2(c, codec, nullptr) < 0) {
            avcodec_free_context(&c);
            return nullptr;
        }
        return c;
    }

    // Whether some video stream claims a picture past the budget.
    bool claimsTooLarge() const {
        for (unsigned i = 0; i < format->nb_streams; ++i) {
            const AVCodecParameters* p = format->streams[i]->codecpar;
            if (p->codec_type == AVMEDIA_TYPE_VIDEO && (p->width || p->height) && !frameFits(p->width, p->height))
                return true;
        }
        return false;
    }

    bool open(const std::string& path) {
        if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return false;
        // What the file's headers claim is checked before the probe decodes anything, and the
        // probe's decoders refuse larger pictures too.
        if (claimsTooLarge()) return false;
        std::vector<AVDictionary*> options(format->nb_streams, nullptr);
        for (AVDictionary*& o : options) av_dict_set_int(&o, "max_pixels", TMedia::kMaxFramePixels, 0);
        const int probed = avformat_find_stream_info(format, options.empty() ? nullptr : options.data());
        for (AVDictionary*& o : options) av_dict_free(&o);
        if (probed < 0 || claimsTooLarge()) return false;
        videoIndex = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (videoIndex < 0 || !(video = openDecoder(format->streams[videoIndex])) ||
            !frameFits(video->width, video->height))
            return false;
        audioIndex = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, videoIndex, nullptr, 0);
        if (audioIndex >= 0 && (audio = openDecoder(format->streams[audioIndex]))) {
            channels = audio->ch_layout.nb_channels == 1 ? 1 : 2;
            ringBytes = kRingFrames * 2 * channels;
            lead = kLeadFrames * 2 * channels;
            AVChannelLayout out;
            av_channel_layout_default(&out, channels);
            if (swr_alloc_set_opts2(&resampler, &out, AV_SAMPLE_FMT_S16, 44100, &audio->ch_layout, audio->sample_fmt,
                                    audio->sample_rate, 0, nullptr) < 0 ||
                swr_init(resampler) < 0) {
                swr_free(&resampler);
                avcodec_free_context(&audio);
            }
        }
        if (!audio) audioIndex = -1;
        return true;
    }

    void makeRing() {
        platform::audio::Mixer* mixer = TDirectSound::getDevice();
        if (!audio || !mixer) return;
        TDeviceLock hold;
        ring = mixer->createBuffer({static_cast<uint16_t>(channels), 44100, 16}, ringBytes);
        applyVolume();
    }
    void applyVolume() {
        if (!ring) return;
        TDirectSound* ds = TDirectSound::instance();
        TDeviceLock hold;
        ring->setVolume(ds ? ds->deviceVolume(volume) : volume);
    }

    void writeRing(const uint8_t* bytes, uint32_t n) {
        if (!ring || n == 0) return;
        TDeviceLock hold;
        n = std::min(n, ringBytes);
        ring->write(static_cast<uint32_t>(written % ringBytes), bytes, n);
        written += n;
    }
    void updatePlayed() {
        if (!ring) return;
        TDeviceLock hold;
        const uint32_t cursor = ring->position();
        played += (cursor + ringBytes - lastCursor) % ringBytes;
        lastCursor = cursor;
        // Behind the player: what lies between is old, so writing goes on from the cursor.
        if (written < played) written = played;
    }

    void decodeAudio(const AVPacket* p) {
        if (avcodec_send_packet(audio, p) < 0) return;
        while (avcodec_receive_frame(audio, frame) == 0) {
            const int room = swr_get_out_samples(resampler, frame->nb_samples);
            if (room > 0) {
                std::vector<uint8_t> out(static_cast<size_t>(room) * 2 * channels);
                uint8_t* to = out.data();
                const int n = swr_convert(resampler, &to, room, const_cast<const uint8_t**>(frame->extended_data),
                                          frame->nb_samples);
                if (n > 0) writeRing(out.data(), static_cast<uint32_t>(n) * 2 * channels);
            }
            av_frame_unref(frame);
        }
    }

    // One packet from the file: video packets wait in the queue, sound is decoded at once.
    bool readOne() {
        if (demuxEnded) return false;
        if (av_read_frame(format, packet) < 0) {
            demuxEnded = true;
            return false;
        }
        if (packet->stream_index == videoIndex && videoPackets.size() < kMaxQueuedPackets)
            videoPackets.push_back(av_packet_clone(packet));
        else if (packet->stream_index == audioIndex && audio)
            decodeAudio(packet);
        av_packet_unref(packet);
        return true;
    }

    // The next decoded picture into pending; false at the end of the pictures.
    bool nextPicture() {
        while (!videoEnded) {
            const int r = avcodec_receive_frame(video, frame);
            if (r == 0) {
                pending = av_frame_clone(frame);
                av_frame_unref(frame);
                return pending != nullptr;
            }
            if (r != AVERROR(EAGAIN)) {
                videoEnded = true;
                break;
            }
            if (!videoPackets.empty()) {
                AVPacket* p = videoPackets.front();
                videoPackets.pop_front();
                avcodec_send_packet(video, p);  // a damaged packet is passed over
                av_packet_free(&p);
            } else if (!readOne() && demuxEnded) {
                if (videoDrainSent) {
                    videoEnded = true;
                    break;
                }
                avcodec_send_packet(video, nullptr);
                videoDrainSent = true;
            }
        }
        return false;
    }

    void feedAudio() {
        if (!ring) return;
        updatePlayed();
        while (!audioEnded && written - played < lead) {
            if (videoPackets.size() >= kMaxQueuedPackets) break;
            if (!readOne()) {
                decodeAudio(nullptr);  // the decoder's last samples
                audioEnded = true;
            }
        }
        // After the sound's end, silence stays ahead of the player.
        if (audioEnded && written - played < lead) {
            TDeviceLock hold;
            const uint32_t n = static_cast<uint32_t>(lead - (written - played));
            ring->fillSilence(static_cast<uint32_t>(written % ringBytes), n);
            written += n;
        }
    }

    double seconds(const AVFrame* f) const {
        const int64_t pts = f->best_effort_timestamp != AV_NOPTS_VALUE ? f->best_effort_timestamp : f->pts;
        return pts == AV_NOPTS_VALUE ? 0.0 : pts * av_q2d(format->streams[videoIndex]->time_base);
    }
    double durationOf(const AVFrame* f) const {
        if (f->pkt_duration > 0) return f->pkt_duration * av_q2d(format->streams[videoIndex]->time_base);
        const AVRational rate = av_guess_frame_rate(format, format->streams[videoIndex], nullptr);
        return rate.num > 0 ? av_q2d(av_inv_q(rate)) : 0.04;
    }

    // Brings the picture on show up to the time t (seconds); sets ended once the last picture
    // has had its time.
    void advance(double t) {
        for (;;) {
            if (!pending && !nextPicture()) break;
            if (shown && seconds(pending) > t) break;
            av_frame_free(&shown);
            shown = pending;
            pending = nullptr;
            shownEnd = seconds(shown) + durationOf(shown);
            pictureStale = true;
        }
        if (videoEnded && !pending && t >= shownEnd) ended = true;
    }

    int shownWidth() const { return shown ? shown->width : 0; }
    int shownHeight() const { return shown ? shown->height : 0; }

    bool convert(int w, int h) {
        if (!shown || !frameFits(shown->width, shown->height)) return false;
        if (!pictureStale && w == pictureW && h == pictureH) return true;
        scaler = sws_getCachedContext(scaler, shown->width, shown->height, static_cast<AVPixelFormat>(shown->format), w,
                                      h, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!scaler) return false;
        picture.assign(static_cast<size_t>(w) * h, 0);
        uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(picture.data()), nullptr, nullptr, nullptr};
        int strides[4] = {w * 4, 0, 0, 0};
        sws_scale(scaler, shown->data, shown->linesize, 0, shown->height, planes, strides);
        pictureW = w;
        pictureH = h;
        pictureStale = false;
        return true;
    }

    void rewind() {
        av_seek_frame(format, -1, 0, AVSEEK_FLAG_BACKWARD);
        avcodec_flush_buffers(video);
        if (audio) avcodec_flush_buffers(audio);
        if (resampler) {
            swr_close(resampler);
            swr_init(resampler);
        }
        clearQueue();
        av_frame_free(&pending);
        av_frame_free(&shown);
        demuxEnded = videoDrainSent = videoEnded = audioEnded = ended = false;
        pictureStale = true;
        shownEnd = 0;
        baseMs = 0;
        if (ring) {
            TDeviceLock hold;
            ring->stop();
            ring->fillSilence(0, ringBytes);
            ring->setPosition(0);
            written = played = 0;
            lastCursor = 0;
        }
    }

    void run(bool on) {
        if (on == running) return;
        if (on) {
            startMs = platform::timeGetTime();
            updatePlayed();
            playedAtStart = played;
        } else {
            baseMs = nowMs();
        }
        running = on;
        if (ring) {
            TDeviceLock hold;
            if (on)
                ring->play(true);
            else
                ring->stop();
        }
    }
};

TMedia::TMedia() = default;

TMedia::~TMedia() { TMedia::close(); }

bool TMedia::open(const std::string& name) {
    close();
    name_ = name;
    auto player = std::make_unique<Player>();
    if (!player->open(platform::toOsPath(name))) {
        close();
        return false;
    }
    sampleRight_ = player->video->width;
    sampleBottom_ = player->video->height;
    hasAudio_ = player->audio != nullptr;
    player_ = std::move(player);
    player_->makeRing();
    return true;
}

void TMedia::close() {
    player_.reset();
    hasAudio_ = false;
}

bool TMedia::isOpen() const { return player_ != nullptr; }
bool TMedia::isRunning() const { return player_ && player_->running; }

bool TMedia::play() {
    if (!player_) return false;
    player_->rewind();
    // The first half second of sound is in the buffer before it starts.
    player_->feedAudio();
    player_->run(true);
    return true;
}

void TMedia::stop() {
    if (player_) player_->run(false);
}

void TMedia::pause() {
    if (!player_) return;
    pausedTime_ = player_->nowMs();
    player_->run(false);
}

void TMedia::resume() {
    if (!player_) return;
    // Decoding stayed where the pause left it, so running on from the remembered time is the seek.
    player_->baseMs = pausedTime_;
    player_->run(true);
}

void TMedia::togglePause() {
    if (isRunning())
        pause();
    else
        resume();
}

void TMedia::setDirectDraw(void* display) {
    display_ = display;
    if (player_) {
        const std::string name = name_;
        open(name);
    }
}

int TMedia::getVolume() const { return player_ && hasAudio_ ? player_->volume : -1; }

int TMedia::setVolume(int volume) {
    if (!player_ || !hasAudio_ || volume < -10000 || volume > 0) return -1;
    player_->volume = volume;
    player_->applyVolume();
    return 0;
}

void TMedia::getPos(int& x, int& y) const {
    x = x_;
    y = y_;
}

void TMedia::getSize(int& width, int& height) const {
    width = width_;
    height = height_;
}

void TMedia::getRect(int& left, int& top, int& right, int& bottom) const {
    left = x_;
    top = y_;
    right = x_ + width_;
    bottom = y_ + height_;
}

void TMedia::setRect(int x, int y, int width, int height) {
    x_ = x;
    y_ = y;
    width_ = width;
    height_ = height;
}

bool TMedia::drawFrame(TMediaTarget* target, int offsetX, int offsetY) {
    if (!player_ || !target) return false;
    if (player_->ended) {
        close();
        return false;
    }
    player_->feedAudio();
    player_->advance(player_->nowMs() / 1000.0);
    const bool ownSize = width_ <= 0 || height_ <= 0;
    const int w = ownSize ? sampleRight_ : width_;
    const int h = ownSize ? sampleBottom_ : height_;
    // The rectangle (from a script: any numbers) and the part of it on the target.
    const int64_t x = int64_t{x_} + offsetX, y = int64_t{y_} + offsetY;
    const int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
    const int64_t x1 = std::min<int64_t>(x + w, target->width()), y1 = std::min<int64_t>(y + h, target->height());
    if (x0 >= x1 || y0 >= y1) return false;
    if (int64_t{w} * h <= int64_t{target->width()} * target->height()) {
        // No larger than the target: the whole picture is scaled, and the target clips it.
        if (!player_->convert(w, h)) return false;
        return target->blit(player_->picture.data(), w, h, w, static_cast<int>(x), static_cast<int>(y));
    }
    // Larger: only the part on the target is made, from the picture at its own size.
    Player& p = *player_;
    if (!p.convert(p.shownWidth(), p.shownHeight())) return false;
    sampleStretched(p.picture.data(), p.pictureW, p.pictureH, x, y, w, h, x0, y0, x1, y1, p.part);
    const int pw = static_cast<int>(x1 - x0);
    return target->blit(p.part.data(), pw, static_cast<int>(y1 - y0), pw, static_cast<int>(x0), static_cast<int>(y0));
}
