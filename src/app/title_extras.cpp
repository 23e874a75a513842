#include "app/title_extras.h"

#include <cstdio>

#include "app/screen_host.h"
#include "app/screen_items.h"
#include "app/task_novel.h"
#include "app/task_title.h"
#include "framework/task.h"
#include "script/engine.h"
#include "script/img_disp.h"

using graphics::SprRecord;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr int kTabs = 4;

// The tab row every extras screen starts its buttons with.
constexpr SprRecord kTabRow[] = {{"15_spesel00.argb", 60, 37},   {"15_spesel01.argb", 60, 37},
                                 {"15_spesel10.argb", 190, 37},  {"15_spesel11.argb", 190, 37},
                                 {"15_spesel20.argb", 320, 37},  {"15_spesel21.argb", 320, 37},
                                 {"13_syme_060.argb", 636, 518}, {"13_syme_061.argb", 636, 518}};

struct Table {
    std::vector<std::string> names;
    std::vector<SprRecord> records;
    void add(std::string name, int x, int y) {
        names.push_back(std::move(name));
        records.push_back({nullptr, x, y});
    }
    void addTabRow() {
        for (const SprRecord& r : kTabRow) add(r.name, r.x, r.y);
    }
    const SprRecord* finish() {
        for (size_t i = 0; i < names.size(); ++i) records[i].name = names[i].c_str();
        records.push_back({nullptr, 0, 0});
        return records.data();
    }
};

std::string printed(const char* format, int n) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, n);
    return buf;
}

void fill(graphics::TSprUnitSet& set, graphics::TSurfaceSet& pictures, Table table) {
    set.createFromTable(table.finish(), pictures);
}

void fillOne(graphics::TSprUnitSet& set, graphics::TSurfaceSet& pictures, const char* name) {
    Table t;
    t.add(name, 0, 0);
    fill(set, pictures, std::move(t));
}

// Hover tracking of a screen: the last item whose picture holds the point wins.
template <class Test>
int hoverOf(int count, Test test) {
    int hover = -1;
    for (int i = 0; i < count; ++i)
        if (test(i)) hover = i;
    return hover;
}

void leaveTo(TTask& hub, app::ScreenHost& host) {
    app::fadeOut(host, 300, kWhite);
    hub.setSubStep(hub.subStep() + 1);
}

// Sub-steps 10 and 20 of each extras page: 10 forgets the hover and asks for a redraw; 20 follows
// the pointer over the page's `count` items (over(i, x, y): the pointer is on item i), goes on to
// 21 on a decision over an item or on a cancel (which chooses item 3, the way back to the
// title), and has the items the hover left and entered drawn again (refresh(i)).
template <class Over, class Refresh>
void pointAndChoose(TTask& hub, app::ScreenHost& host, int& hover, int count, Over over, Refresh refresh) {
    if (hub.subStep() == 10) {
        hover = -1;
        host.resetMouseTracking();
        hub.setSubStep(20);
        host.requestRedraw();
    }
    const app::ScreenInput in = host.input();
    const int old = hover;
    if (in.mouseAction) hover = hoverOf(count, [&](int i) { return over(i, in.x, in.y); });
    if ((in.pressed & app::kDecideMask) && hover >= 0) {
        hub.setSubStep(21);
    } else if (in.pressed & app::kCancelMask) {
        hover = 3;
        hub.setSubStep(21);
    }
    if (old != hover)
        for (int h : {old, hover})
            if (h >= 0) refresh(h);
}

}  // namespace

// ---- TStopWatch ----

void TStopWatch::start(app::ScreenHost& host) { start_ = host.realTime(); }

int32_t TStopWatch::elapsed(app::ScreenHost& host) const {
    return std::max<int32_t>(0, static_cast<int32_t>(host.frameTime() - start_));
}

int32_t TStopWatch::elapsedUpTo(app::ScreenHost& host, int32_t limit) const { return std::min(limit, elapsed(host)); }

int32_t TStopWatch::progress(app::ScreenHost& host, int32_t duration, int32_t scale) const {
    if (duration <= 0) return scale;
    return static_cast<int32_t>(std::min<int64_t>(scale, int64_t{elapsed(host)} * scale / duration));
}

// ---- TitleExtras ----

TitleExtras::TitleExtras() : galleryPages_(kGalleryPages) {}

TitleExtras::~TitleExtras() { releaseViewerImages(); }

void TitleExtras::update(TTask& hub) {
    app::ScreenHost* host = app::screenHost();
    if (!host) return;
    switch (hub.step()) {
        case 4:
            updateReplay(hub, *host);
            break;
        case 5:
            updateGallery(hub, *host);
            break;
        case 6:
            updateMusic(hub, *host);
            break;
        default:
            break;
    }
}

void TitleExtras::clearGalleryPictures() {
    current_ = next_ = nullptr;
    galleryPictures_.clear();
}

// ---- scene replay ----

void TitleExtras::updateReplay(TTask& hub, app::ScreenHost& host) {
    graphics::TGrTableObj& table = host.table();
    bool draw = true;
    switch (hub.subStep()) {
        case 0: {
            extrasPictures_.setFolder("data.pak");
            fillOne(replayBg_, extrasPictures_, "16_bgomake_00.bmp");
            Table buttons;
            buttons.addTabRow();
            fill(replayButtons_, extrasPictures_, std::move(buttons));
            Table thumbs;
            for (int s = 0; s < kScenes; ++s)
                thumbs.add(printed("16_hkaiso_%03d.bmp", s), 60 + 140 * (s % 5), 90 + 110 * (s / 5));
            fill(replayThumbs_, extrasPictures_, std::move(thumbs));
            scene_ = 0;
            replayHover_ = -1;
            seenScenes_.assign(kScenes, false);
            if (TG2Engine* engine = g2Engine(); engine && engine->memory())
                for (int s = 0; s < kScenes; ++s)
                    seenScenes_[static_cast<size_t>(s)] = engine->memory()->getBool("@hscene", s);
            app::fadeIn(host, 500);
            hub.setSubStep(10);
            break;
        }
        case 10:
        case 20:
            pointAndChoose(
                hub, host, replayHover_, 4 + kScenes,
                [&](int i, int x, int y) {
                    if (i < kTabs) return i != 0 && app::hits(replayButtons_, 2 * i, x, y);
                    return seenScenes_[static_cast<size_t>(i - 4)] && app::hits(replayThumbs_, i - 4, x, y);
                },
                [&](int h) {
                    if (h < kTabs)
                        app::refreshUnit(replayButtons_, 2 * h);
                    else
                        app::refreshUnit(replayThumbs_, h - 4);
                });
            break;
        case 21:
            if (replayHover_ == 1) {
                hub.setSubStep(50);
            } else if (replayHover_ == 2) {
                hub.setSubStep(60);
            } else if (replayHover_ == 3) {
                hub.setSubStep(70);
            } else if (replayHover_ >= 4) {
                scene_ = replayHover_ - 4;
                hub.setSubStep(seenScenes_[static_cast<size_t>(scene_)] ? 30 : 20);
            } else {
                hub.setSubStep(20);
            }
            break;
        case 30:
            app::fadeOut(host, 300, kBlack);
            hub.setSubStep(31);
            break;
        case 31: {
            if (!app::fadeDone(host)) break;
            clearGalleryPictures();
            musicPictures_.clear();
            const std::string name = printed("script.pak\\hs%02d.g2", scene_);
            host.tasks().add(app::kTaskNovel, new TTaskNovel(name.c_str(), nullptr), 0);
            hub.setSubStep(32);
            [[fallthrough]];
        }
        case 32:
            if (host.tasks().find(app::kTaskNovel)) {
                draw = false;
                break;
            }
            app::fadeIn(host, 300);
            hub.setSubStep(20);
            break;
        case 50:
        case 60:
        case 70:
            leaveTo(hub, host);
            break;
        case 51:
        case 61:
        case 71:
            if (app::fadeDone(host)) {
                hub.setStep(hub.subStep() == 51 ? 5 : hub.subStep() == 61 ? 6 : 1, 0);
                return;
            }
            break;
        default:
            break;
    }
    if (!draw || hub.step() != 4) return;
    app::show(table, 10, replayBg_, 0);
    for (int b = 0; b < kTabs; ++b) app::show(table, 10, replayButtons_, 2 * b + (b == 0 || replayHover_ == b ? 1 : 0));
    for (int s = 0; s < kScenes; ++s)
        if (seenScenes_[static_cast<size_t>(s)]) app::show(table, 10, replayThumbs_, s);
}

// ---- CG gallery ----

void TitleExtras::countSeenCgs() {
    app::ScreenHost* host = app::screenHost();
    const TG2ImgDisp* images = host ? host->imageTable() : nullptr;
    seenCgs_.clear();
    for (int p = 0; p < kGalleryPages; ++p)
        for (int c = 0; c < kCgsPerPage; ++c) {
            const int g = (p + 1) * 100 + c;
            int count = 0;
            for (int k = 1; k <= 99 && images; ++k)
                if (images->isSeen(g * 1000 + k)) ++count;
            seenCgs_[g] = count > 0;
        }
}

bool TitleExtras::cgSeen(int page, int c) const {
    if (20 * page + c >= 80) return false;
    const auto it = seenCgs_.find((page + 1) * 100 + c);
    return it != seenCgs_.end() && it->second;
}

bool TitleExtras::loadViewerImage(const std::string& name) {
    graphics::TSurface32* surface = nullptr;
    if (!name.empty()) {
        galleryPictures_.setFolder("");
        surface = galleryPictures_.load(name);
    }
    if (next_) {
        galleryPictures_.releaseSurface(next_);
        next_ = nullptr;
    }
    // The set keeps one entry per name: a variant that names the shown picture again is that
    // same surface, which must not be released under the viewer.
    if (!current_)
        current_ = surface;
    else if (surface != current_)
        next_ = surface;
    return surface != nullptr;
}

void TitleExtras::promoteViewerImage() {
    if (!next_) return;
    if (current_) galleryPictures_.releaseSurface(current_);
    current_ = next_;
    next_ = nullptr;
}

void TitleExtras::releaseViewerImages() {
    if (current_) galleryPictures_.releaseSurface(current_);
    current_ = nullptr;
    if (next_) galleryPictures_.releaseSurface(next_);
    next_ = nullptr;
}

void TitleExtras::fillGalleryPage(int page) {
    galleryPictures_.setFolder("data.pak");
    Table t;
    for (int c = 0; c < kCgsPerPage; ++c)
        t.add(printed("17_cgkaiso_%03d.bmp", 20 * page + c), 60 + 140 * (c % 5), 90 + 110 * (c / 5));
    fill(galleryPages_[static_cast<size_t>(page)], galleryPictures_, std::move(t));
}

void TitleExtras::updateGallery(TTask& hub, app::ScreenHost& host) {
    switch (hub.subStep()) {
        case 0: {
            galleryPages_.resize(kGalleryPages);
            galleryPictures_.setFolder("data.pak");
            fillOne(galleryBg_, galleryPictures_, "17_bgomake_01.bmp");
            Table buttons;
            buttons.addTabRow();
            for (int q = 0; q < 4; ++q)
                for (int lit = 0; lit < 2; ++lit)
                    buttons.add(printed("17_page_0%d", q) + std::to_string(lit) + ".argb", 30 + 40 * q, 560);
            fill(galleryButtons_, galleryPictures_, std::move(buttons));
            fillGalleryPage(0);
            galleryPage_ = 0;
            selectedCg_ = 0;
            galleryHover_ = -1;
            seenCgs_.clear();
            current_ = nullptr;
            countSeenCgs();
            app::fadeIn(host, 500);
            hub.setSubStep(10);
            break;
        }
        case 10:
        case 20:
            pointAndChoose(
                hub, host, galleryHover_, 8 + kCgsPerPage,
                [&](int i, int x, int y) {
                    if (i < 8) return i != 1 && app::hits(galleryButtons_, 2 * i, x, y);
                    return cgSeen(galleryPage_, i - 8) && app::hits(galleryPages_[0], i - 8, x, y);
                },
                [&](int h) {
                    if (h < 8)
                        app::refreshUnit(galleryButtons_, 2 * h);
                    else
                        app::refreshUnit(galleryPages_[0], h - 8);
                });
            break;
        case 21:
            if (galleryHover_ == 0) {
                hub.setSubStep(50);
            } else if (galleryHover_ == 2) {
                hub.setSubStep(70);
            } else if (galleryHover_ == 3) {
                hub.setSubStep(80);
            } else if (galleryHover_ >= 4 && galleryHover_ < 8) {
                galleryPage_ = galleryHover_ - 4;
                fillGalleryPage(galleryPage_);
                host.requestRedraw();
                hub.setSubStep(20);
            } else if (galleryHover_ >= 8) {
                selectedCg_ = (galleryPage_ + 1) * 100 + galleryHover_ - 8;
                hub.setSubStep(seenCgs_[selectedCg_] ? 30 : 20);
            } else {
                hub.setSubStep(20);
            }
            break;
        case 30:
            app::fadeOut(host, 300, kBlack);
            hub.setSubStep(31);
            [[fallthrough]];
        case 31: {
            if (!app::fadeDone(host)) break;
            queue_.clear();
            const TG2ImgDisp* images = host.imageTable();
            for (int k = 1; k <= 99 && images; ++k)
                if (images->isSeen(selectedCg_ * 1000 + k)) queue_.push_back(selectedCg_ * 1000 + k);
            app::fadeIn(host, 300);
            hub.setSubStep(32);
            [[fallthrough]];
        }
        case 32: {
            const TG2ImgDisp* images = host.imageTable();
            bool loaded = false;
            while (!queue_.empty()) {
                const int id = queue_.front();
                queue_.pop_front();
                const TG2ImgDisp::TEntry* entry = images ? images->find(id) : nullptr;
                imageName_ = entry && !entry->names.empty() ? entry->names.front() : std::string();
                if (loadViewerImage(imageName_)) {
                    watch_.start(host);
                    host.requestRedraw();
                    hub.setSubStep(33);
                    loaded = true;
                    break;
                }
            }
            if (!loaded) hub.setSubStep(40);
            break;
        }
        case 33:
            host.requestRedraw();
            if (watch_.elapsedUpTo(host, 300) >= 300) {
                promoteViewerImage();
                hub.setSubStep(34);
            }
            break;
        case 34: {
            const app::ScreenInput in = host.input();
            if (in.pressed & app::kDecideMask)
                hub.setSubStep(32);
            else if (in.pressed & app::kCancelMask)
                hub.setSubStep(40);
            break;
        }
        case 40:
            app::fadeOut(host, 300, kBlack);
            hub.setSubStep(41);
            [[fallthrough]];
        case 41:
            if (!app::fadeDone(host)) break;
            app::fadeIn(host, 300);
            releaseViewerImages();
            hub.setSubStep(20);
            break;
        case 50:
        case 70:
        case 80:
            leaveTo(hub, host);
            break;
        case 51:
        case 71:
        case 81:
            if (app::fadeDone(host)) {
                hub.setStep(hub.subStep() == 51 ? 4 : hub.subStep() == 71 ? 6 : 1, 0);
                return;
            }
            break;
        default:
            break;
    }
    if (hub.step() != 5) return;
    graphics::TGrTableObj& table = host.table();
    if (!current_) {
        app::show(table, 10, galleryBg_, 0);
        for (int b = 0; b < 8; ++b) {
            const bool lit = b == galleryHover_ || b == 1 || b == 4 + galleryPage_;
            app::show(table, 10, galleryButtons_, 2 * b + (lit ? 1 : 0));
        }
        for (int c = 0; c < kCgsPerPage; ++c)
            if (cgSeen(galleryPage_, c)) app::show(table, 10, galleryPages_[static_cast<size_t>(galleryPage_)], c);
        return;
    }
    graphics::TSprObj picture;
    picture.setSurface(current_);
    picture.setPos(0, 0);
    if (graphics::TSprObj* p = host.pushSprObj(picture)) table.add(10, p);
    if (next_) {
        picture.setSurface(next_);
        picture.setOpacity(static_cast<uint32_t>(watch_.progress(host, 300, 255)));
        if (graphics::TSprObj* p = host.pushSprObj(picture)) table.add(10, p);
    }
}

// ---- music room ----

void TitleExtras::updateMusic(TTask& hub, app::ScreenHost& host) {
    switch (hub.subStep()) {
        case 0: {
            musicPictures_.setFolder("data.pak");
            fillOne(musicBg_, musicPictures_, "18_bgbgm_00.bmp");
            Table buttons;
            buttons.addTabRow();
            fill(musicButtons_, musicPictures_, std::move(buttons));
            Table tracks;
            for (int n = 0; n < kTracks; ++n)
                for (int lit = 0; lit < 2; ++lit)
                    tracks.add(printed("18_bgmsel_%02d", n) + std::to_string(lit) + ".argb", 50 + 240 * (n / 9),
                               80 + 50 * (n % 9));
            fill(musicTracks_, musicPictures_, std::move(tracks));
            track_ = 0;
            musicHover_ = -1;
            app::fadeIn(host, 500);
            host.stopMusic();
            hub.setSubStep(10);
            break;
        }
        case 10:
        case 20:
            pointAndChoose(
                hub, host, musicHover_, 4 + kTracks,
                [&](int i, int x, int y) {
                    if (i < kTabs) return i != 2 && app::hits(musicButtons_, 2 * i, x, y);
                    return app::hits(musicTracks_, 2 * (i - 4), x, y);
                },
                [&](int h) {
                    if (h < kTabs)
                        app::refreshUnit(musicButtons_, 2 * h);
                    else
                        app::refreshUnit(musicTracks_, 2 * (h - 4));
                });
            break;
        case 21:
            if (musicHover_ == 0) {
                hub.setSubStep(40);
            } else if (musicHover_ == 1) {
                hub.setSubStep(50);
            } else if (musicHover_ == 3) {
                hub.setSubStep(70);
            } else if (musicHover_ >= 4) {
                track_ = musicHover_ - 4;
                hub.setSubStep(30);
            } else {
                hub.setSubStep(20);
            }
            break;
        case 30:
            host.stopMusic();
            host.playMusic(printed("bgm\\bgm%02d.ogg", track_), true);
            hub.setSubStep(20);
            break;
        case 40:
        case 50:
        case 70:
            leaveTo(hub, host);
            break;
        case 41:
        case 51:
        case 71:
            if (app::fadeDone(host)) {
                hub.setStep(hub.subStep() == 41 ? 4 : hub.subStep() == 51 ? 5 : 1, 0);
                return;
            }
            break;
        default:
            break;
    }
    if (hub.step() != 6) return;
    graphics::TGrTableObj& table = host.table();
    app::show(table, 10, musicBg_, 0);
    for (int b = 0; b < kTabs; ++b) app::show(table, 10, musicButtons_, 2 * b + (b == 2 || musicHover_ == b ? 1 : 0));
    for (int n = 0; n < kTracks; ++n) app::show(table, 10, musicTracks_, 2 * n + (musicHover_ == 4 + n ? 1 : 0));
}

// ---- the hub's steps ----

void TTaskTitle::updateSceneReplay() { extras_.update(*this); }

void TTaskTitle::updateGallery() { extras_.update(*this); }

void TTaskTitle::updateMusicRoom() { extras_.update(*this); }
