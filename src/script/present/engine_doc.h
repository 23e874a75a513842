#pragma once
// The message document in the engine's place for it: the engine's document interface backed by
// the real document, and the document's host backed by the engine (its settings' face and
// boldness, the graphic layer's size, the core's pause reasons, the screen's full redraw).
#include <array>
#include <memory>
#include <string>

#include "script/engine.h"
#include "script/present/doc.h"

namespace present {

class EngineDocHost : public DocHost {
public:
    explicit EngineDocHost(TG2Engine& engine) : engine_(engine) {}
    std::string defaultFace() const override;
    bool boldText() const override { return engine_.status().textBold; }
    graphics::SIZE screenSize() const override;
    void pauseCore(int reason) override;
    void resumeCore(int reason) override;
    void requestFullRedraw() override;

private:
    TG2Engine& engine_;
};

// One of the engine's frames: the script's text goes into the real frame as markup.
class EngineFrameAdapter : public ::EngineDocFrame {
public:
    explicit EngineFrameAdapter(present::TG2DocFrame& frame) : frame_(frame) { sync(); }
    void putText(const std::string& text) override;
    void newLine() override;
    void clearText() override;
    void setVisible(uint8_t mode) override;
    present::TG2DocFrame& real() { return frame_; }
    // The engine reads the pen and size from its own fields.
    void sync();

private:
    present::TG2DocFrame& frame_;
};

// The engine's document over the real one, which the graphic layer draws (real()).
class EngineDocAdapter : public ::EngineDoc {
public:
    explicit EngineDocAdapter(TG2Engine& engine);
    bool create() override;
    void reset() override;
    void term() override;
    void exchange(TValueExchange& x) override;
    void refresh() override;
    void setCurrentFrame(int32_t n) override;
    present::TG2Doc& real() { return doc_; }

private:
    void syncAll();

    EngineDocHost host_;
    present::TG2Doc doc_;
};

}  // namespace present
