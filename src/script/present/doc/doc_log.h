#pragma once
// TG2DocLog: the backlog. A frame whose text collects everything the message frames write
// while recording is on; appending only measures, noting where each unit (a line in plain
// mode, a page in formatted mode) begins, and the view lays out just the units that fit.
#include <cstdint>
#include <vector>

#include "script/present/doc/doc_frame.h"

namespace present {

class TG2DocLog : public TG2DocFrame {
public:
    static constexpr uint32_t kModeRecord = 1;
    static constexpr uint32_t kModeFormatted = 4;

    struct MeasurePen {
        int32_t x = 0, y = 0, indent = 0, units = 0;
        int32_t hangX = 0, hangY = 0;
        bool lineEnded = false, hangTwo = false, hangOne = false, unitEnded = false, measured = false;
    };

    TG2DocLog(DocHost& host, TG2Doc* doc = nullptr);

    void reset() override;
    // Every attribute but the colours, edge and shadow, which stay the backlog's own.
    void copyFrom(const TG2DocAttr& other) override;
    // Section "gDocLog": the frame's section, "Mode", "Capacity"; loading measures again.
    void exchange(TValueExchange& x) override;
    void term() override;
    void clearPage() override;
    int32_t layoutNew() override;
    int32_t parse(const uint8_t* bytes, size_t length, size_t* consumed) override;
    void relayout() override {}

    // The view's reactions to the markup.
    void putChar(uint32_t code) override;
    void pageMark() override;
    void newLine() override;
    void setLetterSpacing(int32_t v) override;
    void setLineHeight(int32_t v) override;
    void setX(int32_t v) override;
    void setY(int32_t v) override;
    void setIndentHead(const std::string& text) override;
    void setIndentTail(const std::string& text) override;
    void setBold(bool on) override;
    void setItalic(bool on) override;
    void setShadow(bool on) override;
    void setEdge(bool on) override;
    void setUnderline(bool on) override;
    void setAntialias(bool on) override;
    void setColor(uint32_t) override {}
    void setBkColor(uint32_t) override {}
    void setFontSize(int32_t v) override;
    void setFont(const std::string& face) override;

    // Keeps only the newest count units (0 empties the history); a count below 0 or above the
    // number of unit starts does nothing.
    virtual void trim(int32_t count);
    virtual void openView();
    // Moves the view by -n units (positive n toward newer text) and draws it; false when n is
    // not 0 and nothing moved.
    virtual bool scroll(int32_t n);
    virtual void closeView();
    // Measures bytes that continue the text at byte offset base; returns the characters counted.
    virtual int32_t measure(const uint8_t* bytes, size_t length, size_t base, size_t* consumed);
    virtual void remeasure();
    virtual void measurePageMark();
    virtual void measureChar(uint32_t code);
    virtual void measureNewLine();

    bool formatted() const { return (mode & kModeFormatted) != 0; }
    bool isViewOpen() const { return viewOpen_; }
    int32_t scrollPos() const { return scrollPos_; }
    // Units the view shows at once.
    int32_t visibleUnits() const;
    const std::vector<int32_t>& unitStarts() const { return unitStarts_; }
    const std::vector<TG2DocAttr>& pageAttrs() const { return pageAttrs_; }
    const MeasurePen& pen() const { return pen_; }

    uint32_t mode = 6;
    int32_t capacity = 4096;  // units kept; 0 or less keeps everything

private:
    class Measurer;
    void resetPen();
    // The page-start attributes of the document's current frame (this log's own without one).
    const TG2DocAttr& currentPageStart() const;
    void unitBoundary(size_t offset);
    void enforceCapacity();
    bool plainView() const { return !formatted(); }

    std::vector<int32_t> unitStarts_;
    int32_t scrollPos_ = 0;
    bool viewOpen_ = false;
    MeasurePen pen_;
    bool lineWritten_ = false;
    std::vector<TG2DocAttr> pageAttrs_;
};

}  // namespace present
