#pragma once
// The frame's resource store: TStorage (or TStorageGraph, which makes its surfaces through the
// graphics library) with the built-in loaders. A program calls useStorageForFrames() once before
// it builds its frame; the frame then makes the store in its construction and creation and
// deletes it when it is destroyed.
#include <memory>

#include "framework/frame_services.h"

class TStorage;

class TStorageForFrame : public TFrameStorage {
public:
    TStorageForFrame() = default;
    ~TStorageForFrame() override;

    bool make(bool graphics) override;
    bool exists() const override { return store_ != nullptr; }
    void useModuleFolder() override;
    bool addLoader(Loader loader, int capacity) override;

    // The store made here, or null.
    TStorage* store() const { return store_.get(); }

private:
    std::unique_ptr<TStorage> store_;
};

std::unique_ptr<TFrameStorage> makeStorageForFrame();
// Installs makeStorageForFrame as the frames' store maker.
void useStorageForFrames();
