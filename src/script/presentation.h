#pragma once
// What the engine asks of its presentation: the graphic layer, the message document with its
// frames, the music and the choice menu. The presentation library sits above the engine, so the
// engine holds them through these interfaces; its TG2Graphic, TG2Doc, TG2Music and TG2MenuBranch
// take these places through the engine's factories (as subclasses or through adapters). The
// versions here are the minimal working ones a story runs on headless: text goes into the
// current message frame, nothing is drawn or played.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TValueExchange;
class TGraphic;
namespace graphics {
class TSurface32;
}
class TSound;

// One message-window frame.
class EngineDocFrame {
public:
    virtual ~EngineDocFrame() = default;
    // Writes text into the frame as plain text.
    virtual void putText(const std::string& text) { this->text += text; }
    virtual void newLine() { text += '\n'; }
    virtual void clearText() { text.clear(); }
    // 255 shown, 0 hidden.
    virtual void setVisible(uint8_t mode) { visibleMode = mode; }
    bool isVisible() const { return visibleMode != 0; }

    uint32_t flags = 1;  // bit 1: the current frame may be shown; 16: hidden while a menu is open
    uint8_t visibleMode = 0;
    int32_t x = 0, y = 0, textSize = 24;
    std::string text;
};

// The message document: eight frames and the current one.
class EngineDoc {
public:
    EngineDoc() {
        for (auto& f : frames_) f = std::make_unique<EngineDocFrame>();
    }
    virtual ~EngineDoc() = default;
    virtual bool create() { return true; }
    virtual void reset() {
        for (auto& f : frames_) f->clearText();
        current_ = 0;
    }
    virtual void term() {}
    virtual void exchange(TValueExchange& x);
    virtual void refresh() {}
    virtual void setCurrentFrame(int32_t n) {
        if (n >= 0 && n < 8) current_ = n;
    }
    int32_t currentFrameIndex() const { return current_; }
    EngineDocFrame* frame(int32_t n) const { return n >= 0 && n < 8 ? frames_[n].get() : nullptr; }
    EngineDocFrame* currentFrame() const { return frames_[current_].get(); }
    // Puts a frame of the presentation's own kind in place of frame n.
    void setFrame(int32_t n, std::unique_ptr<EngineDocFrame> f) {
        if (n >= 0 && n < 8 && f) frames_[n] = std::move(f);
    }

private:
    std::array<std::unique_ptr<EngineDocFrame>, 8> frames_;
    int32_t current_ = 0;
};

// The engine's graphic layer over the screen's object table.
class EngineGraphic {
public:
    virtual ~EngineGraphic() = default;
    virtual bool create(int32_t width, int32_t height) {
        width_ = width, height_ = height;
        return width > 0 && height > 0;
    }
    virtual void reset() {}
    virtual void term() {}
    virtual void exchange(TValueExchange& x);
    // Empties the layers of the object table (the objects stay alive).
    virtual void clearLayers() {}
    // The per-pass update at engine time ms.
    virtual void update(int32_t) {}
    // Puts the layers' objects into the table for drawing.
    virtual void buildTable(bool) {}
    // Whether the screen has something new to draw.
    virtual bool isDirty() const { return false; }
    // Draws the layer onto a target surface.
    virtual void draw(graphics::TSurface32&) {}
    virtual bool isMoviePlaying() const { return false; }
    virtual void pauseMovie() {}
    virtual void resumeMovie() {}
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    virtual void setSize(int32_t width, int32_t height) { width_ = width, height_ = height; }

private:
    int32_t width_ = 0, height_ = 0;
};

// The engine's music, voice and sound-effect channels.
class EngineMusic {
public:
    virtual ~EngineMusic() = default;
    virtual bool create(TSound*) { return true; }
    virtual void reset() {}
    virtual void term() {}
    virtual void exchange(TValueExchange& x);
    virtual bool sePlaying(int32_t) const { return false; }
    virtual std::string seName(int32_t) const { return {}; }
    virtual bool voicePlaying() const { return false; }
    virtual std::string voiceName() const { return {}; }
    virtual bool bgmPlaying() const { return false; }
    virtual std::string bgmName() const { return {}; }
};

// The choices of the current menu.
class EngineMenu {
public:
    struct Entry {
        int32_t type = 0;
        int32_t value = 0;
        std::string text;
        bool cancel = false;
    };
    virtual ~EngineMenu() = default;
    virtual void clear() {
        entries.clear();
        defaultEntry = -1;
    }
    virtual void addText(int32_t type, int32_t value, const std::string& text) {
        entries.push_back({type, value, text});
    }
    virtual void addCancel(int32_t value) { entries.push_back({0, value, {}, true}); }
    virtual void setDefault() { defaultEntry = static_cast<int32_t>(entries.size()) - 1; }
    // Section "MenuBranch": the entries and the default.
    virtual void exchange(TValueExchange& x);

    std::vector<Entry> entries;
    int32_t defaultEntry = -1;
};
