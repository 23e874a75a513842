#pragma once
// The title hub's three extras screens, which share a tab row: the scene replay (step 4), the CG
// gallery (step 5) and the music room (step 6). The hub keeps one TitleExtras and hands it
// those steps; each screen runs on the hub's sub-step and changes the hub's step to leave.
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "graphics/spr_maker.h"
#include "graphics/spr_set.h"

class TTask;

namespace app {
class ScreenHost;
}

// A millisecond stop watch over the frame clock, started from the real clock.
class TStopWatch {
public:
    void start(app::ScreenHost& host);
    // Frame time since the start, never below 0.
    int32_t elapsed(app::ScreenHost& host) const;
    int32_t elapsedUpTo(app::ScreenHost& host, int32_t limit) const;
    // elapsed × scale / duration, at most scale.
    int32_t progress(app::ScreenHost& host, int32_t duration, int32_t scale) const;

private:
    uint32_t start_ = 0;
};

class TitleExtras {
public:
    static constexpr int kScenes = 20;
    static constexpr int kTracks = 27;
    static constexpr int kGalleryPages = 4;
    static constexpr int kCgsPerPage = 20;

    TitleExtras();
    ~TitleExtras();

    // One frame of the hub's step 4, 5 or 6; other steps do nothing.
    void update(TTask& hub);
    // The title loading frees a viewer picture left from an earlier visit.
    void clearGalleryPictures();

    // Scene replay.
    int replayHover() const { return replayHover_; }
    int selectedScene() const { return scene_; }
    const std::vector<bool>& seenScenes() const { return seenScenes_; }
    // CG gallery.
    int galleryHover() const { return galleryHover_; }
    int galleryPage() const { return galleryPage_; }
    int selectedCg() const { return selectedCg_; }
    const std::map<int, bool>& seenCgs() const { return seenCgs_; }
    const std::deque<int>& imageQueue() const { return queue_; }
    const graphics::TSurface32* currentImage() const { return current_; }
    const graphics::TSurface32* nextImage() const { return next_; }
    void countSeenCgs();
    bool loadViewerImage(const std::string& name);
    void promoteViewerImage();
    void releaseViewerImages();
    // Music room.
    int musicHover() const { return musicHover_; }
    int currentTrack() const { return track_; }

private:
    void updateReplay(TTask& hub, app::ScreenHost& host);
    void updateGallery(TTask& hub, app::ScreenHost& host);
    void updateMusic(TTask& hub, app::ScreenHost& host);
    void fillGalleryPage(int page);
    bool cgSeen(int page, int c) const;

    // Scene replay.
    graphics::TSurfaceSet extrasPictures_;
    graphics::TSprUnitSet replayBg_, replayButtons_, replayThumbs_;
    std::vector<bool> seenScenes_;
    int scene_ = 0, replayHover_ = -1;
    // CG gallery.
    graphics::TSurfaceSet galleryPictures_;
    graphics::TSprUnitSet galleryBg_, galleryButtons_;
    std::vector<graphics::TSprUnitSet> galleryPages_;
    int galleryPage_ = 0, galleryHover_ = -1, selectedCg_ = 0;
    std::map<int, bool> seenCgs_;
    std::deque<int> queue_;
    std::string imageName_;
    graphics::TSurface32* current_ = nullptr;
    graphics::TSurface32* next_ = nullptr;
    TStopWatch watch_;
    // Music room.
    graphics::TSurfaceSet musicPictures_;
    graphics::TSprUnitSet musicBg_, musicButtons_, musicTracks_;
    int track_ = 0, musicHover_ = -1;
};
