#pragma once
// The object table (drawable objects in numbered layers, drawn layer by layer) and the screen
// object: the one table that is also the screen surface, with the list of areas that changed.
#include <cstdint>
#include <list>
#include <vector>

#include "graphics/gr_obj.h"
#include "graphics/screen_surface.h"

namespace graphics {

class TGrTableObj : public TGrObj {
public:
    using Layer = std::list<TGrObj*>;

    using TGrObj::setSize;
    SIZE getSize() const override { return {width_, height_}; }
    void setSize(int32_t w, int32_t h) override {
        width_ = w;
        height_ = h;
    }
    // Layer 0 first; within a layer from the front of the list. A table at an offset draws its
    // objects moved by it.
    void draw(TSurface32& target) override;
    uint16_t getTypeId() const override { return kGrTable; }

    std::vector<Layer>& getLayers() { return layers_; }
    // Null for a number outside the table.
    Layer* getLayer(int n);
    // The objects are not owned. An object for a layer the table does not have is not added.
    void addFront(TGrObj* obj);
    void addFront(int n, TGrObj* obj);
    void add(TGrObj* obj);
    void add(int n, TGrObj* obj);
    // Removes every occurrence of obj from every layer.
    void remove(TGrObj* obj);
    // Sets the size and the layer count (layers beyond it go, new ones start empty).
    virtual bool create(int32_t w, int32_t h, int layers);
    // Empties every layer; the objects stay alive.
    virtual void clear();

protected:
    void drawLayers(TSurface32& target);

private:
    std::vector<Layer> layers_;
    Layer spare_;  // entries of emptied layers, taken again by the adds
    int32_t width_ = 0;
    int32_t height_ = 0;
};

class TGraphic : public TScreenSurface32, public TGrTableObj {
public:
    // More rectangles than this are always drawn as their union.
    static constexpr size_t kUnionLimit = 16;

    // The one screen object: graphic() reaches it while it lives.
    TGraphic();
    ~TGraphic() override;

    // The surface's own create and rectangle outline stay reachable beside the table's.
    using TScreenSurface32::create;
    using TScreenSurface32::drawRect;

    // The surface's size.
    SIZE getSize() const override { return {width(), height()}; }
    // The whole screen is to be drawn again.
    void invalidate() override { whole_ = 1; }
    // A changed rectangle in screen coordinates.
    void invalidateRect(const RECT& r) override;
    bool create(int32_t w, int32_t h, int layers) override;
    // Draws what changed into the screen surface and forgets it.
    virtual void redraw();
    // The rectangles redraw would draw for what changed (the whole screen, each changed
    // rectangle, or their union), forgotten here.
    std::vector<RECT> takeDirtyAreas();
    void clearDirty();
    bool isDirty() const { return whole_ != 0 || !dirty_.empty(); }
    // Every object, unclipped (the target's clip is reset).
    void drawAll(TSurface32& target);
    // The objects, clipped to the rectangle (which stays the target's clip).
    void drawRect(TSurface32& target, const RECT& rect);
    const std::vector<RECT>& dirtyRects() const { return dirty_; }
    bool wholeDirty() const { return whole_ != 0; }

private:
    std::vector<RECT> dirty_;
    uint8_t whole_ = 0;
};

// The screen object, or null.
TGraphic* graphic();

}  // namespace graphics
