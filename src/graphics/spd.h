#pragma once
// Animated sprites. A WSD description names its textures (image specifications), composes
// characters from rectangles of them (each a sprite set of chips) and lists animations whose
// steps switch characters for a number of frames, loop, show and hide, set flags and tween
// opacity and zoom. TSpdData holds a read description; TSpdObj plays one, advanced exactly
// once per frame by TSpdObj::updateAll.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/spr_set.h"

class TStream;

namespace graphics {

class TSpdData;

class TSpdObj : public TMixObj {
public:
    // One step of an animation.
    class TUnit {
    public:
        enum Code : int32_t {
            kEnd = 0,
            kPause = 1,
            kTime = 2,
            kMark = 3,
            kUntil = 4,
            kFor = 5,
            kNext = 6,
            kHide = 7,
            kShow = 8,
            kFlagOn = 9,
            kFlagOff = 10,
            kBlend = 11,
            kZoom = 14,
        };
        TUnit(int32_t code, int32_t a, int32_t b) : code(code), a(a), b(b) {}
        TUnit(int32_t code, int32_t a, float f1, float f2) : code(code), a(a), f1(f1), f2(f2) {}
        virtual ~TUnit() = default;

        int32_t code = 0;
        int32_t a = 0;
        int32_t b = 0;
        float f1 = 0.0f;
        float f2 = 0.0f;
    };

    class TSeqParam {
    public:
        virtual ~TSeqParam() = default;
        // Step 0, opaque, unzoomed, no mark, loop or wait; the flags stay.
        void reset() {
            step = 0;
            opacity = 255;
            zoomX = zoomY = 1.0f;
            mark = loop = wait = tweenLeft = 0;
        }
        int32_t step = 0;
        int32_t opacity = 255;
        float zoomX = 1.0f;
        float zoomY = 1.0f;
        int32_t mark = 0;
        int32_t loop = 0;
        std::array<uint8_t, 8> flags{};
        int32_t wait = 0;
        int32_t tweenLeft = 0;
    };

    enum Status : int32_t { kStopped = 0, kPlaying = 1, kPaused = 2 };

    // Registered among the live animated sprites until destroyed. The data (not owned) must
    // outlive the object; null draws nothing.
    explicit TSpdObj(TSpdData* data = nullptr);
    ~TSpdObj() override;
    TSpdObj(const TSpdObj&) = delete;
    TSpdObj& operator=(const TSpdObj&) = delete;

    // Every live animated sprite one frame on, in the registry's order.
    static void updateAll();
    static size_t liveCount();

    using TGrObj::setSize;
    void invalidate() override;
    SIZE getSize() const override;
    RECT getLocalRect() const override;
    void setSize(int32_t w, int32_t h) override;
    void scale(float sx, float sy) override;
    int32_t placeX(int32_t x, int32_t span) const override;
    int32_t placeY(int32_t y, int32_t span) const override;
    void draw(TSurface32& target) override;
    uint16_t getTypeId() const override { return kGrAnimSprite; }
    uint32_t getBlendCaps() const override { return 7; }
    uint32_t getBlendType() const override { return mix_; }
    uint32_t getBlend() const override { return colour_ >> 24; }
    void setBlendType(uint32_t type) override { mix_ = type; }
    void setBlend(uint32_t a) override { colour_ = (colour_ & 0x00FFFFFFu) | (a & 255) << 24; }
    void setMask(TAlphaMask* mask) override { mask_ = mask; }

    TSpdData* getData() const { return data_; }
    int32_t getSeqNo() const { return seqNo_; }
    int32_t getCombiNo() const { return combiNo_; }
    int32_t getTextureNo() const { return textureNo_; }
    const TSeqParam& getSeqParam() const { return seq_; }
    // 0 for an index outside 0-7.
    uint8_t getFlag(int32_t i) const { return i >= 0 && i < 8 ? seq_.flags[i] : 0; }
    uint32_t getColour() const { return colour_; }
    int32_t getStatus() const { return status_; }
    bool isPlaying() const { return status_ == kPlaying; }
    float getZoomX() const { return zoomX_; }
    float getZoomY() const { return zoomY_; }

    void setData(TSpdData* data);
    // An index outside 0-7 is ignored.
    void setFlag(int32_t i, uint8_t value);
    void setColourRGB(uint32_t r, uint32_t g, uint32_t b) {
        colour_ = (colour_ & 0xFF000000u) | (r & 255) << 16 | (g & 255) << 8 | (b & 255);
    }
    void setColour(uint32_t argb) { colour_ = argb; }
    // An animation by number, else a character, else a texture (texture 0 when n is none).
    void select(int32_t n) { setSeqNo(n); }
    void setSeqNo(int32_t n);
    void setCombiNo(int32_t n);
    void setTextureNo(int32_t n);
    // Plays the selected animation from its first step (whose steps run at once).
    void start();
    void stop() { status_ = kStopped; }
    void restart() {
        stop();
        start();
    }
    void pause() { status_ = kPaused; }
    void updateBounds();
    // One frame: true when nothing plays or the animation ended, false while it runs.
    bool update();

private:
    bool validSeq(int32_t n) const;
    bool validCombi(int32_t n) const;
    bool validTexture(int32_t n) const;
    void showCharacter(int32_t n);

    TSpdData* data_ = nullptr;
    int32_t seqNo_ = 0;
    int32_t combiNo_ = 0;
    int32_t textureNo_ = 0;
    int32_t status_ = kStopped;
    TSeqParam seq_;
    int32_t tweenTotal_ = 0;
    int32_t opacityFrom_ = 0;
    int32_t opacityTo_ = 0;
    float zoomXFrom_ = 1.0f, zoomXTo_ = 1.0f;
    float zoomYFrom_ = 1.0f, zoomYTo_ = 1.0f;
    uint8_t boundsDirty_ = 1;
    RECT bounds_{};
    uint32_t mix_ = 0;
    uint32_t colour_ = 0xFFFFFFFFu;
    float zoomX_ = 1.0f;
    float zoomY_ = 1.0f;
    TAlphaMask* mask_ = nullptr;
};

class TSpdData {
public:
    using Steps = std::vector<TSpdObj::TUnit>;
    // Counts a description may give beyond these are cut to them: what the file cannot fill is
    // blank anyway, and a corrupt count must not exhaust memory.
    static constexpr int32_t kMaxCount = 4096;
    static constexpr int32_t kMaxChips = 65536;  // over all characters

    TSpdData() = default;
    virtual ~TSpdData();
    TSpdData(const TSpdData&) = delete;
    TSpdData& operator=(const TSpdData&) = delete;

    // Through the texture source, with its folder set first; null without a source.
    virtual TSurface32* loadTexture(const std::string& folder, const std::string& spec);
    virtual void releaseTexture(TSurface32*) {}
    // False (nothing changed) unless the text is a description of kind "WSD".
    virtual bool read(TStream& stream, const std::string& folder);
    // The description by name through the resource store.
    virtual bool load(const std::string& file);
    virtual bool loadWith(const std::string& file, TSurfaceSet* source);
    virtual void clear();

    const std::string& fileName() const { return fileName_; }
    const std::vector<TSurface32*>& textures() const { return textures_; }
    std::vector<TSprUnitSet>& characters() { return characters_; }
    const std::vector<TSprUnitSet>& characters() const { return characters_; }
    // Null for an animation the description left out.
    const Steps* animation(size_t i) const { return i < animations_.size() ? animations_[i].get() : nullptr; }
    size_t animationCount() const { return animations_.size(); }
    TSurfaceSet* textureSource() const { return source_; }
    void setTextureSource(TSurfaceSet* source) { source_ = source; }
    // The pixel bytes of the loaded textures.
    uint64_t byteSize() const;

    // The step record of a "Step%d" list; false for a command that is none.
    static bool parseStep(const std::vector<std::string>& pieces, TSpdObj::TUnit& out);

private:
    void releaseContents();

    std::string fileName_;
    std::vector<TSurface32*> textures_;
    std::vector<TSprUnitSet> characters_;
    std::vector<std::unique_ptr<Steps>> animations_;
    TSurfaceSet* source_ = nullptr;
};

}  // namespace graphics
