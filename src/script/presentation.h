#pragma once
// What the engine asks of its presentation: the graphic layer, the message document with its
// frames, the music and the choice menu. The presentation library sits above the engine, so the
// engine holds them through these interfaces; its TG2Graphic, TG2Doc, TG2Music and TG2MenuBranch
// take these places through the engine's factories (as subclasses or through adapters). The
// graphic layer and the music are bare interfaces; the other versions here are the minimal
// working ones a story runs on headless: text goes into the current message frame.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TValueExchange;
namespace graphics {
class TGraphic;
class TSurface32;
class TGrObj;
}  // namespace graphics
class TSound;
class TG2Thread;

// FontAttr bits of frames, the backlog and the menu text.
enum G2FontAttr : uint32_t {
    kG2AttrBold = 0x01,
    kG2AttrEdge = 0x10,
    kG2AttrShadow = 0x20,
    kG2AttrAntialias = 0x200,
};

// A command's arguments in script order, for the parts that take a whole group of commands as it
// stands (sprites, sound): each value a number or a string as the script gave it.
struct G2CommandArg {
    bool isString = false;
    int32_t number = 0;
    std::string text;
};
using G2CommandArgs = std::vector<G2CommandArg>;

// One message-window frame.
class EngineDocFrame {
public:
    virtual ~EngineDocFrame() = default;
    // Writes text into the frame as plain text.
    virtual void putText(const std::string& text) { this->text += text; }
    // One unit of paced text output (a character or a control sequence); the character steps it
    // counts for.
    virtual int32_t write(const std::string& unit) {
        putText(unit);
        return unit.empty() || unit[0] == '\\' ? 0 : 1;
    }
    // The characters on the page so far.
    virtual int32_t pageChars() const;
    // Where the next character goes, in screen pixels.
    virtual std::array<int32_t, 2> writePos() const { return {rect[0] + x, rect[1] + y}; }
    virtual void newLine() { text += '\n'; }
    virtual void clearText() { text.clear(); }
    // 255 shown, 0 hidden.
    virtual void setVisible(uint8_t mode) { visibleMode = mode; }
    bool isVisible() const { return visibleMode != 0; }
    // Attribute setters. The real frame writes each as a control code into its text, so that it
    // takes effect from that point and again whenever the page is laid out; the minimal frame
    // keeps the latest value.
    virtual void putRGroup(const std::string& text) { putText(text); }
    virtual void setLineSpacing(int32_t v) { lineSpacing = v; }
    virtual void setLineHeight(int32_t v) { lineHeight = v; }
    virtual void setPosX(int32_t v) { x = v; }
    virtual void setPosY(int32_t v) { y = v; }
    virtual void setIndentHead(const std::string& s) { indentHead = s; }
    virtual void setIndentTail(const std::string& s) { indentTail = s; }
    virtual void setFontSize(int32_t v) { textSize = v; }
    virtual void setColor(uint32_t argb) { color = argb; }
    virtual void setShadowColor(uint32_t argb) { shadowColor = argb; }
    virtual void setFontFace(const std::string& face) { fontFace = face; }
    virtual void setRect(int32_t l, int32_t t, int32_t r, int32_t b) { rect = {l, t, r, b}; }
    virtual void setFontAttrBit(uint32_t bits, bool on) { fontAttr = on ? fontAttr | bits : fontAttr & ~bits; }
    virtual void setDepth(int32_t v) { depth = v; }
    virtual void setGroup(uint32_t bits) { flags = bits; }
    // The voice file that the backlog keeps with the text that follows.
    virtual void setVoice(const std::string& file) { voice = file; }

    uint32_t flags = 1;  // group bits: 1 the message window, 16 hidden while a menu is open
    uint8_t visibleMode = 0;
    int32_t x = 0, y = 0, textSize = 24;
    int32_t lineSpacing = 0, lineHeight = 100, depth = 0;
    uint32_t color = 0xFFFFFFFF, shadowColor = 0xFF000000, fontAttr = 0;
    std::array<int32_t, 4> rect{};
    std::string indentHead, indentTail, fontFace, voice;
    std::string text;
};

// The backlog: a frame whose attributes are set directly, each change followed by a re-layout.
class EngineDocLog : public EngineDocFrame {
public:
    virtual void showPage(int32_t page) { this->page = page; }
    virtual void relayout() {}
    int32_t mode = 0, capacity = 0, page = 0;
};

// The message document: eight frames and the current one.
class EngineDoc {
public:
    EngineDoc() {
        for (auto& f : frames_) f = std::make_unique<EngineDocFrame>();
        log_ = std::make_unique<EngineDocLog>();
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
    EngineDocLog* log() const { return log_.get(); }
    // A character code (one byte, or a Shift-JIS pair with the lead byte high) drawn in a style.
    virtual void addSymbolStyle(uint32_t code, const std::string& style) { symbols.emplace_back(code, style); }
    void setLog(std::unique_ptr<EngineDocLog> log) {
        if (log) log_ = std::move(log);
    }
    std::vector<std::pair<uint32_t, std::string>> symbols;
    bool secondFlag = false;
    // Puts a frame of the presentation's own kind in place of frame n.
    void setFrame(int32_t n, std::unique_ptr<EngineDocFrame> f) {
        if (n >= 0 && n < 8 && f) frames_[n] = std::move(f);
    }

private:
    std::array<std::unique_ptr<EngineDocFrame>, 8> frames_;
    std::unique_ptr<EngineDocLog> log_;
    int32_t current_ = 0;
};

// The engine's graphic layer over the screen's object table. The presentation's graphic layer
// is the one kind the game's engine holds; every operation is its to answer.
class EngineGraphic {
public:
    virtual ~EngineGraphic() = default;
    // The layer at the screen size; false when it cannot be made.
    virtual bool create(int32_t width, int32_t height) = 0;
    virtual void reset() = 0;
    virtual void term() = 0;
    // Section "gGraphic".
    virtual void exchange(TValueExchange& x) = 0;
    // Empties the layers of the object table (the objects stay alive).
    virtual void clearLayers() = 0;
    // The per-pass update at engine time ms.
    virtual void update(int32_t ms) = 0;
    // Puts the layers' objects into the table for drawing; without the document when false.
    virtual void buildTable(bool withDoc) = 0;
    // Whether the screen has something new to draw before the frame may go on.
    virtual bool isDirty() const = 0;
    // Draws the layer onto a target surface.
    virtual void draw(graphics::TSurface32& target) = 0;
    // An object drawn in this frame only: in layer n of the graphic layer, or for a negative n in
    // layer -n of the screen's own table.
    virtual void addObject(int32_t layer, graphics::TGrObj* obj) = 0;
    // Every object of the layer marked for drawing again.
    virtual void refresh() = 0;
    virtual bool isMoviePlaying() const = 0;
    virtual void pauseMovie() = 0;
    virtual void resumeMovie() = 0;
    virtual int32_t width() const = 0;
    virtual int32_t height() const = 0;
    virtual void setSize(int32_t width, int32_t height) = 0;
    // The sprite, image and bank commands (group 0x15) with their arguments: the sprite states,
    // transitions and banks behind them are the presentation's.
    virtual void command(TG2Thread& thread, uint32_t code, const G2CommandArgs& args) = 0;
};

// The engine's music, voice and sound-effect channels: the presentation's music is the one kind
// the game's engine holds.
class EngineMusic {
public:
    virtual ~EngineMusic() = default;
    // The channels over the sound manager (null: the program's master); false when they cannot
    // be made.
    virtual bool create(TSound* sound) = 0;
    virtual void reset() = 0;
    virtual void term() = 0;
    // Section "gMusic".
    virtual void exchange(TValueExchange& x) = 0;
    virtual bool sePlaying(int32_t channel) const = 0;
    virtual std::string seName(int32_t channel) const = 0;
    virtual bool voicePlaying() const = 0;
    // The voice plays in its repeat mode.
    virtual bool voiceLoops() const = 0;
    virtual std::string voiceName() const = 0;
    virtual bool bgmPlaying() const = 0;
    virtual std::string bgmName() const = 0;
    // The sound, voice, CD and movie commands (group 0x16) with their arguments.
    virtual void command(TG2Thread& thread, uint32_t code, const G2CommandArgs& args) = 0;
    // The voice stopped at once, or faded out by the voice fade job over its default time.
    virtual void stopVoice() = 0;
    virtual void fadeOutVoice() = 0;
    // A voice played again as the voice command plays it, without a voice mark and without a
    // fade (the story task's and the backlog's replay).
    virtual void replayVoice(const std::string& name) = 0;
    // An actor's voice: its volume, the music lowered under it, then played at once (false when
    // the file cannot be played) or faded in over ms by the voice fade job, which holds the
    // thread when flags have both 2 and 4.
    virtual void setVoiceVolume(int32_t volume) = 0;
    virtual void lowerForVoice() = 0;
    virtual bool playVoice(const std::string& name) = 0;
    virtual void fadeInVoice(TG2Thread* thread, const std::string& name, int32_t flags, int32_t ms) = 0;
    // A running voice fade ended where it stands; the fade time a command without one uses.
    virtual void stopVoiceFade() = 0;
    virtual int32_t voiceFadeTime() const = 0;
};

// What the commands set on the standing jobs besides beginning them; a presentation job
// implements the operations of its kind, the rest stay no-ops.
class EngineJobControls {
public:
    virtual ~EngineJobControls() = default;
    // Buttons of the text-off, -skip and -auto jobs, the log viewer (0-5) and the sub-menu (0-10).
    virtual void placeButton(int32_t, int32_t, int32_t, int32_t) {}
    // Text output: begin with a text; typing interval.
    virtual void beginText(TG2Thread*, const std::string&) {}
    virtual void setInterval(int32_t) {}
    virtual void setIntervalEnabled(bool) {}
    // Click wait: three options and the icon of kind 0-1 for a frame.
    virtual void setOptions(int32_t, int32_t, int32_t) {}
    virtual void setIconPlace(int32_t, int32_t, int32_t, int32_t, int32_t) {}
    // Click-goto: position -1 is no jump.
    virtual void beginGoto(TG2Thread*, int32_t) {}
    // Click wait: what a click does to a playing voice (0 plays on, 1 stops it, 2 fades it out).
    virtual void setStopType(int32_t) {}
    // Voice fade: the fade time used when a command gives none, in ms.
    virtual void setDefTime(int32_t) {}
    // Click wait: what its end does to the frame (1 new line, 2 new page) and its icon (0 none,
    // 1 line, 2 page).
    virtual void beginClick(TG2Thread*, int32_t, int32_t) {}
    // Menu: the call tag of its subroutine entries and the flags (bit 1: shown only).
    virtual void openMenu(TG2Thread*, int32_t, int32_t) {}
    // Screen shake and fades: the integers as the command gives them.
    virtual void beginWith(TG2Thread*, const std::vector<int32_t>&) {}
};

// The look of the choice menu.
class EngineMenuControls {
public:
    virtual ~EngineMenuControls() = default;
    virtual void setMenuPlace(int32_t, int32_t, int32_t) {}
    virtual void setSize(int32_t, int32_t) {}
    virtual void setTextPlace(int32_t, int32_t, int32_t) {}
    virtual void setTextColor(int32_t, uint32_t, uint32_t) {}
    virtual void setPanelColor(int32_t, uint32_t, int32_t) {}
    virtual void addPanelImage(int32_t, const std::string&, int32_t, int32_t, int32_t, int32_t) {}
    virtual void resetPanels() {}
    virtual void addCommonImage(const std::string&, int32_t, int32_t, int32_t, int32_t) {}
    virtual void clearCommonImages() {}
    virtual void setFontFace(const std::string&) {}
    virtual void setTextSize(int32_t) {}
    virtual void setTextAttr(uint32_t) {}
    virtual void setTextAttrBit(uint32_t, bool) {}
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
    virtual void addCancel(int32_t value) { entries.push_back({6, value, {}, true}); }
    // A picture choice of type 3-5: the pictures of its four states (empty: none), each put at (x, y).
    virtual void addSprite(int32_t type, int32_t value, int32_t /*x*/, int32_t /*y*/,
                           const std::array<std::string, 4>& pictures) {
        entries.push_back({type, value, pictures[0]});
    }
    virtual void setDefault() { defaultEntry = static_cast<int32_t>(entries.size()) - 1; }
    // Section "MenuBranch": the entries and the default.
    virtual void exchange(TValueExchange& x);

    std::vector<Entry> entries;
    int32_t defaultEntry = -1;
};
