#pragma once
// TG2Doc: the message document. Eight message frames, the one the script writes into, the
// backlog, the shown and half-width space flags, and the symbol characters drawn from alpha
// channels instead of the font.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/graphic.h"
#include "script/present/doc/doc_attr.h"
#include "script/present/doc/doc_frame.h"
#include "script/present/doc/doc_host.h"
#include "script/present/doc/doc_log.h"

class TValueExchange;

namespace present {

class TG2Doc {
public:
    static constexpr int32_t kFrames = 8;

    explicit TG2Doc(DocHost& host) : host_(host) {}
    virtual ~TG2Doc() { TG2Doc::release(); }
    TG2Doc(const TG2Doc&) = delete;
    TG2Doc& operator=(const TG2Doc&) = delete;

    // Opening pauses the core (reason 2) once; closing resumes it.
    virtual void openLogView();
    virtual void closeLogView();
    virtual bool scrollLogView(int32_t n);
    // Makes the missing frames and the log, then resets; true.
    virtual bool create();
    virtual void release();
    virtual void reset();
    // Section "gDoc": "FrameNo", "Flag", the frames, the log, "SymbolTable" and the styles.
    virtual void exchange(TValueExchange& x);
    // The log alone while its view is open, else the eight frames in order.
    virtual void draw(graphics::TGrTableObj& target);

    // The frame factories (the engine's createDocFrame and createDocLog).
    virtual std::unique_ptr<TG2DocFrame> createDocFrame(int32_t index);
    virtual std::unique_ptr<TG2DocLog> createDocLog();

    // Gives the log a page mark when the frame so far records; false (nothing changed) for an
    // index outside 0-7.
    bool setCurrentFrame(int32_t index);
    void setTextShown(bool shown);
    bool isRedrawNeeded() const;
    // False, and nothing loaded, when the character is registered already.
    bool addSymbolStyle(uint32_t code, const std::string& imageName);
    const TSymbolStyle* findSymbol(uint32_t code) const;
    // Empties the symbol table, giving the channels back to the bank.
    void clearSymbols();

    TG2DocFrame* getCurrentFrame() const { return frames_[current_].get(); }
    TG2DocFrame* getFrame(int32_t n) const { return n >= 0 && n < kFrames ? frames_[n].get() : nullptr; }
    TG2DocLog* getLog() const { return log_.get(); }
    int32_t currentFrameIndex() const { return current_; }
    bool isTextShown() const { return shown_; }
    bool isHalfWidthSpace() const { return halfSpace_; }
    void setHalfWidthSpace(bool on) { halfSpace_ = on; }
    bool isLogViewOpen() const { return log_ && log_->isViewOpen(); }
    const std::string& symbolTable() const { return symbols_; }
    const std::vector<TSymbolStyle>& symbolStyles() const { return styles_; }
    DocHost& host() const { return host_; }

private:
    DocHost& host_;
    std::array<std::unique_ptr<TG2DocFrame>, kFrames> frames_;
    int32_t current_ = 0;
    bool shown_ = true;
    bool halfSpace_ = false;
    std::unique_ptr<TG2DocLog> log_;
    std::string symbols_;
    std::vector<TSymbolStyle> styles_;
};

}  // namespace present
