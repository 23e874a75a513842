#pragma once
// What the engine asks of its presentation: the graphic layer, the message document with its
// frames, the music and the choice menu. The presentation library sits above the engine, so the
// engine holds them through these interfaces; its TG2Graphic, TG2Doc, TG2Music and TG2MenuBranch
// take these places through the engine's factories (as subclasses or through adapters). The
// graphic layer, the document and the music are bare interfaces; the other versions here are the
// minimal working ones a story runs on headless.
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

// One message-window frame of the document, as the commands reach it. Each setter is the frame's
// own operation: the attribute setters write a control code into the frame's text, so that the
// attribute takes effect from that point and again whenever the page is laid out.
class EngineDocFrame {
public:
    virtual ~EngineDocFrame() = default;
    // Writes text into the frame.
    virtual void putText(const std::string& text) = 0;
    // One unit of paced text output (a character or a control sequence); the character steps it
    // counts for.
    virtual int32_t write(const std::string& unit) = 0;
    // The characters on the page so far.
    virtual int32_t pageChars() const = 0;
    // Where the next character goes, in screen pixels.
    virtual std::array<int32_t, 2> writePos() const = 0;
    // The frame's rectangle in screen pixels: left, top, right, bottom.
    virtual std::array<int32_t, 4> area() const = 0;
    virtual void newLine() = 0;
    // A new page.
    virtual void clearText() = 0;
    // 255 shown, 0 hidden.
    virtual void setVisible(uint8_t mode) = 0;
    virtual bool isVisible() const = 0;
    // The group bits by which the core shows and hides frames together (1 the message window,
    // 2 hidden for a sprite change, 16 for a menu, 32 by the hide command).
    virtual uint32_t groups() const = 0;
    virtual void setGroup(uint32_t bits) = 0;
    virtual void putRGroup(const std::string& text) = 0;
    virtual void setLineSpacing(int32_t v) = 0;
    virtual void setLineHeight(int32_t v) = 0;
    virtual void setPosX(int32_t v) = 0;
    virtual void setPosY(int32_t v) = 0;
    virtual void setIndentHead(const std::string& s) = 0;
    virtual void setIndentTail(const std::string& s) = 0;
    virtual void setFontSize(int32_t v) = 0;
    virtual void setColor(uint32_t argb) = 0;
    virtual void setShadowColor(uint32_t argb) = 0;
    virtual void setFontFace(const std::string& face) = 0;
    virtual void setRect(int32_t l, int32_t t, int32_t r, int32_t b) = 0;
    // Bold, shadow, edge and anti-aliasing (G2FontAttr bits).
    virtual void setFontAttrBit(uint32_t bits, bool on) = 0;
    virtual void setDepth(int32_t v) = 0;
    // The voice file that the page and the backlog keep with the text that follows.
    virtual void setVoice(const std::string& file) = 0;
    // The pen (relative to the frame) and the font size, as the built-in variables read them.
    virtual int32_t penX() const = 0;
    virtual int32_t penY() const = 0;
    virtual int32_t fontSize() const = 0;
    // The first voice kept on the page (empty when none), which the voice button plays again.
    virtual std::string firstVoice() const = 0;
    // The page's text as the frame holds it.
    virtual std::string text() const = 0;
};

// The backlog: its attributes are set directly, each change followed by a re-layout.
class EngineDocLog {
public:
    virtual ~EngineDocLog() = default;
    // Bit 0: the recording frames' pages go to the log.
    virtual void setMode(int32_t mode) = 0;
    virtual void setCapacity(int32_t units) = 0;
    // Empties the history.
    virtual void clear() = 0;
    virtual void setDepth(int32_t v) = 0;
    virtual void setRect(int32_t l, int32_t t, int32_t r, int32_t b) = 0;
    virtual void setIndentHead(const std::string& s) = 0;
    virtual void setIndentTail(const std::string& s) = 0;
    virtual void setLineSpacing(int32_t v) = 0;
    virtual void setLineHeight(int32_t v) = 0;
    virtual void setFontFace(const std::string& face) = 0;
    virtual void setFontSize(int32_t v) = 0;
    virtual void setColor(uint32_t argb) = 0;
    virtual void setShadowColor(uint32_t argb) = 0;
    virtual void setFontAttrBit(uint32_t bits, bool on) = 0;
    // Writes the string into the log's text.
    virtual void putText(const std::string& text) = 0;
    virtual void relayout() = 0;
};

// The message document: eight frames, the current one, the backlog and the symbol characters.
class EngineDoc {
public:
    virtual ~EngineDoc() = default;
    virtual bool create() = 0;
    virtual void reset() = 0;
    virtual void term() = 0;
    virtual void exchange(TValueExchange& x) = 0;
    // Every frame drawn again.
    virtual void refresh() = 0;
    virtual void setCurrentFrame(int32_t n) = 0;
    virtual int32_t currentFrameIndex() const = 0;
    // Frame n (0-7), null for another n.
    virtual EngineDocFrame* frame(int32_t n) const = 0;
    EngineDocFrame* currentFrame() const { return frame(currentFrameIndex()); }
    virtual EngineDocLog* log() const = 0;
    // A character code (one byte, or a Shift-JIS pair with the lead byte high) drawn from the
    // named image instead of the font.
    virtual void addSymbolStyle(uint32_t code, const std::string& image) = 0;
    // While on, the full-width space advances half a cell.
    virtual void setHalfWidthSpace(bool on) = 0;
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
