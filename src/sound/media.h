#pragma once
// Movie playback on FFmpeg's libraries: each frame the owner asks for the current picture to be
// drawn into its surface at the set rectangle; the sound goes into a streaming buffer of the
// mixer at the set volume; the movie closes itself once its end has been shown. Time runs on the
// program's millisecond clock.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Where a movie draws: 32-bit ARGB pixels (bytes B, G, R, A), rows top to bottom. The display's
// surfaces take this through an adapter above the sound layer.
class TMediaTarget {
public:
    virtual ~TMediaTarget() = default;
    // Copies width × height pixels (rows pitch pixels apart) with their top-left corner at
    // (x, y), clipped to the target; false when nothing could be drawn.
    virtual bool blit(const uint32_t* pixels, int width, int height, int pitch, int x, int y) = 0;
    // The target's size in pixels: what lies outside it is never made.
    virtual int width() const = 0;
    virtual int height() const = 0;
};

// A target over pixels someone else keeps (a display surface's bits: width × height pixels,
// rows pitch pixels apart), so a surface becomes a target in one line.
class TMediaSurfaceView : public TMediaTarget {
public:
    TMediaSurfaceView(uint32_t* bits, int width, int height, int pitch)
        : bits_(bits), width_(width), height_(height), pitch_(pitch) {}
    bool blit(const uint32_t* pixels, int width, int height, int pitch, int x, int y) override;
    uint32_t at(int x, int y) const { return bits_[static_cast<size_t>(y) * pitch_ + x]; }
    int width() const override { return width_; }
    int height() const override { return height_; }

protected:
    void rebind(uint32_t* bits) { bits_ = bits; }

private:
    uint32_t* bits_;
    int width_, height_, pitch_;
};

// A target in memory of its own (tests, thumbnails).
class TMediaFrameBuffer : public TMediaSurfaceView {
public:
    TMediaFrameBuffer(int width, int height, uint32_t fill = 0)
        : TMediaSurfaceView(nullptr, width, height, width), pixels_(static_cast<size_t>(width) * height, fill) {
        rebind(pixels_.data());
    }

private:
    std::vector<uint32_t> pixels_;
};

class TMedia {
public:
    // The largest picture a movie may have (a full-HD frame as decoders lay it out, and no side
    // past 4096): a file claiming more is refused before anything of it is decoded.
    static constexpr int64_t kMaxFramePixels = 1920 * 1088;
    static constexpr int kMaxFrameSide = 4096;

    TMedia();
    virtual ~TMedia();
    TMedia(const TMedia&) = delete;
    TMedia& operator=(const TMedia&) = delete;

    // From the start; true when open.
    virtual bool play();
    virtual void togglePause();
    virtual void stop();
    virtual void pause();
    virtual void resume();
    // The display the movie renders for; an open movie is opened again from the start.
    virtual void setDirectDraw(void* display);
    // Hundredths of a decibel, -1 without sound.
    virtual int getVolume() const;
    // 0, or -1 without sound.
    virtual int setVolume(int volume);
    virtual void getPos(int& x, int& y) const;
    virtual void getSize(int& width, int& height) const;
    // {x, y, x + w, y + h} as left, top, right, bottom.
    virtual void getRect(int& left, int& top, int& right, int& bottom) const;
    // Width and height -1: the movie's own size.
    virtual void setRect(int x, int y, int width, int height);
    virtual bool open(const std::string& name);
    virtual void close();
    virtual bool isRunning() const;
    virtual bool isOpen() const;
    // The picture due now at the rectangle moved by the offset; false when nothing was drawn (a
    // movie whose end was reached is closed by the call after its last picture). Only the part
    // of the rectangle on the target is made, however large the rectangle.
    virtual bool drawFrame(TMediaTarget* target, int offsetX, int offsetY);

    bool hasAudio() const { return hasAudio_; }
    const std::string& name() const { return name_; }
    // The movie's own picture size (320 × 240 before one is open).
    int frameWidth() const { return sampleRight_; }
    int frameHeight() const { return sampleBottom_; }

private:
    struct Player;
    uint32_t clockMs() const;

    void* display_ = nullptr;
    std::string name_;
    int64_t pausedTime_ = 0;
    int x_ = 0, y_ = 0, width_ = -1, height_ = -1;
    std::unique_ptr<Player> player_;
    int sampleRight_ = 320, sampleBottom_ = 240;
    bool hasAudio_ = false;
};
