#pragma once
// TG2Core: the interpreter core. It owns the script threads (up to 256, by number), the list of
// active per-frame jobs with the standing ones, the read-text flags, the actors, the engine
// clock with its pause reasons, and the state snapshot that a save writes. Each frame the engine
// calls run once: it steps the current thread command by command, steps every active job after
// each command, and returns when the frame is over.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/random.h"
#include "framework/stream.h"
#include "script/actor.h"
#include "script/dwarf.h"
#include "script/g2_error.h"
#include "script/img_disp.h"
#include "script/read_check.h"
#include "script/save_file.h"
#include "script/thread.h"

class TG2Engine;
class TImage;
namespace graphics {
class TSurface32;
}
class EngineMenu;
class TValue;

// Job codes of the standing jobs the core keeps.
enum G2StandingJob : int32_t {
    kJobTextOut = 1,
    kJobClick = 2,
    kJobMenu = 3,
    kJobWait = 4,
    kJobSync = 5,
    kJobLogView = 6,
    kJobClickGoto = 7,
    kJobQuake = 8,
    kJobMedia = 9,
    kJobTextOff = 10,
    kJobTextSkip = 11,
    kJobTextAuto = 12,
    kJobSubmenu = 13,
    kJobFade = 14,
    kJobBgmFade = 0x100,
    kJobSeFade0 = 0x101,  // + channel 0-255
    kJobVoiceFade = 0x301,
    kJobBgmLow = 0x302,
};

class TG2Core : public TErrorInterface, public TG2ThreadHost {
public:
    static constexpr int32_t kMaxThreads = 256;
    // Safety nets of one frame: a script that never waits still lets the frame end.
    static constexpr uint32_t kFrameBudgetMs = 12;
    static constexpr uint32_t kMaxPassesPerFrame = 100000;

    explicit TG2Core(TG2Engine& engine);
    ~TG2Core() override;
    TG2Core(const TG2Core&) = delete;
    TG2Core& operator=(const TG2Core&) = delete;

    virtual bool init();
    // Thread 0 on (file, label); an empty file is the setting Name, an empty label "START".
    // Error 0x1008 with the file name when the script cannot be loaded.
    virtual bool start(const std::string& file, const std::string& label);
    virtual void clear();
    virtual void reset();
    // The whole engine state ("gCore"), and the part all saves share.
    virtual void exchange(TValueExchange& x);
    virtual void exchangeCommon(TValueExchange& x);
    // One frame; false when the story has ended (the current thread ended, or quit).
    virtual bool run();

    // Threads. Numbers of 256 or more are ignored.
    virtual bool createThread(int32_t n, const std::string& file, const std::string& label, int32_t arg);
    virtual void deleteThread(int32_t n);
    // -1: the next existing thread after the current one, cyclically; other numbers outside
    // 0-255 are ignored.
    virtual void setCurrentThread(int32_t n);
    TG2Thread* getThread(int32_t n) const;
    TG2Thread* getCurrentThread() const { return getThread(currentThread_); }
    int32_t getCurrentThreadNumber() const { return currentThread_; }
    int32_t getThreadCount() const { return threadCount_; }

    // Jobs.
    TG2DwarfGuild& getDwarfGuild() { return guild_; }
    // A job already listed is not listed again (it would be stepped twice a frame).
    void addDwarf(TDwarf* job);
    void finishDwarfsExcept(TDwarf* job);
    // The core's standing job of a code, or null.
    TDwarf* standingJob(int32_t code) const;
    void showFrames(uint32_t mask, bool visible, TDwarf* job);
    EngineMenu& menu() { return *menu_; }
    // A job waits for the player in this pass (cleared at each pass); the text jobs' run-loop
    // flag (set when they end early, cleared while they pace); the menu mode (bit 1 while a menu
    // is open).
    void noteWaiting() { waiting_ = true; }
    bool isWaiting() const { return waiting_; }
    void setRunFlag(bool on) { runFlag_ = on; }
    bool runFlag() const { return runFlag_; }
    void setMenuMode(uint32_t bits, bool on) { menuMode_ = on ? menuMode_ | bits : menuMode_ & ~bits; }
    uint32_t menuMode() const { return menuMode_; }

    // Pause reasons 0-4 (0 the script, 1 the host) and the engine clock in ms.
    bool pause(int32_t reason);
    void resume(int32_t reason);
    bool isPaused() const;
    bool isPausedBy(int32_t reason) const { return reason >= 0 && reason < 5 && pauseReasons_[reason]; }
    bool isPausedByOther(int32_t reason) const;
    // How many times the core has come out of its pauses: a job that was idle meanwhile (under
    // the backlog, the system screen or a hidden window) knows the pointer may stand elsewhere.
    uint32_t resumeCount() const { return resumeCount_; }
    int32_t getTime();
    int32_t getLastTime() const { return lastTime_; }
    void addTimeBase(int32_t d) { timeBase_ += static_cast<uint32_t>(d); }

    // Snapshots.
    void setStockRequest(int32_t mode) { stockRequest_ = mode; }
    bool requestSnapshot(int32_t kind) override;
    void stockBreak() { requestBreak(); }
    void takeSnapshot();
    TMemoryStream& snapshot() { return snapshot_; }

    // Save slots: slot n is file number n + 1 of the Save pattern.
    void setRecordTexts(const std::string& t1, const std::string& t2) { recordText1_ = t1, recordText2_ = t2; }
    void setRecordText3(const std::string& t) { recordText3_ = t; }
    // Rebuilds the records from the save files (RecordMax slots); a missing or foreign file is
    // an empty slot.
    bool scanRecords();
    int32_t recordCount() const { return static_cast<int32_t>(records_.size()); }
    TRecord& getRecord(int32_t n) { return records_.at(static_cast<size_t>(n)); }
    // Writes the last snapshot into slot n (out of range: nothing); false when nothing was written.
    // A save that cannot be written says why in a message box and leaves the slot, its record
    // and the save counter as they were.
    virtual bool save(int32_t n);
    // Loads slot n: false when there is nothing to load. A file that does not hold a whole
    // engine state leaves the game at its title with a message.
    bool load(int32_t n);
    bool hasSaveFile();
    void deleteSave(int32_t n);
    void deleteThumbnail(int32_t n);
    // Slot n's thumbnail: the surface as a 24-bit BMP, written whole into place; false when the
    // surface has no pixels or the file cannot be written.
    bool writeThumbnail(int32_t n, const graphics::TSurface32& surface);
    // The surface (at most 4096 pixels a side of it) as a 24-bit BMP file. A thumbnail written
    // with a save carries the save file's CRC-32 as its mark (in the bitmap's reserved words,
    // which readers pass over); 0 is none.
    static std::string thumbnailBytes(const graphics::TSurface32& surface, uint32_t mark = 0);
    std::string saveFileName(int32_t n) const;
    std::string thumbnailFileName(int32_t n) const;
    // Whether slot n's thumbnail may be shown for the save the slot holds: its mark is that save
    // file's, or it has none (thumbnails of earlier versions, or of writeThumbnail alone). A
    // thumbnail marked for another save (a save cut off between putting its thumbnail and
    // itself in place) is none.
    bool thumbnailOfSave(int32_t n) const;
    // The thumbnail: the graphic layer without the message window, stretched over the target.
    void renderThumbnail(graphics::TSurface32& target);
    // Slot n's thumbnail as the resource store reads it; null when there is none or it shows
    // another save (thumbnailOfSave).
    std::unique_ptr<TImage> loadThumbnail(int32_t n) const;
    // The data all saves share, in up to three files (nothing unless useCommonSave). A file
    // that cannot be read is skipped; one that holds no whole common state leaves the common
    // data as it was before the load.
    void saveCommon();
    void loadCommon();
    // The common data of one file that holds all of it; false (nothing changed) when damaged.
    bool loadCommonFrom(const std::string& bytes);

    // The image table: which event pictures the player has seen.
    TG2ImgDisp& getImgDisp() { return imgDisp_; }

    // Read flags and skipping.
    TReadCheck* readCheckOp(const std::string& name, int32_t points) { return readChecks_.getOrCreate(name, points); }
    TReadCheckList& readChecks() { return readChecks_; }
    void setReadPoint(TReadCheck* check, int32_t point) override;
    bool isUnread() const { return unread_; }
    void setSuspendSkip(uint32_t bits, bool on) { suspendSkip_ = on ? suspendSkip_ | bits : suspendSkip_ & ~bits; }
    bool isSkipSuspended() const { return suspendSkip_ != 0; }
    bool isSkipAllowed();

    // Titles, confirmations, quitting.
    void setTitle(const std::string& text);
    const std::string& getTitle() const { return title_; }
    void setCursor(bool on) { cursor_ = on; }
    bool getCursor() const { return cursor_; }
    void requestReturnToTitle() { titleRequested_ = true; }
    int confirmReturnToTitle();
    void returnToTitle(bool ask);
    int confirmQuit();
    int quit(bool ask);
    bool isStopRequested() const { return stopRequested_; }

    // Small state.
    TG2Actor& getActor(int32_t n) { return actors_[n == -1 ? currentActor_ : n]; }
    TG2ActorMap& actors() { return actors_; }
    int32_t getCurrentActor() const { return currentActor_; }
    void setCurrentActor(int32_t n) { currentActor_ = n; }
    int32_t getResult() const { return result_; }
    void setResult(int32_t v) { result_ = v; }
    int32_t getSelect() const { return select_; }
    void setSelect(int32_t v) { select_ = v; }
    TRandom& getRandom() { return random_; }
    void requestBreak() { breakRequested_ = true; }
    bool isBreakRequested() const { return breakRequested_; }
    void setFastRun(bool on) { fastRun_ = on; }
    void setYieldOnDirty(bool on) { yieldOnDirty_ = on; }
    bool isYieldOnDirty() const { return yieldOnDirty_; }
    // For tests and tools: called at the end of every pass that asks whether the screen waits to
    // be drawn, with the answer, before the pass ends the frame or another follows.
    void setPassCheck(std::function<void(bool reported)> check) { passCheck_ = std::move(check); }
    void setSubmenuEnabled(bool on) { submenuEnabled_ = on; }
    bool isSubmenuEnabled() const { return submenuEnabled_; }
    void setRecordEnabled(int32_t v) { recordEnabled_ = v; }
    int32_t getRecordEnabled() const { return recordEnabled_; }
    // Takes ownership of both values (the previous ones are deleted).
    void setRecordInfo(std::unique_ptr<TValue> v1, std::unique_ptr<TValue> v2);
    void setRecordCode(int32_t c1, int32_t c2) { recordCode1_ = c1, recordCode2_ = c2; }
    int32_t playTime() const { return playTime_; }
    int32_t totalGameTime() const { return totalGameTime_; }
    // Shows a warning box through the host while showWarnings is set.
    TG2Warnings& warnings() { return warnings_; }

    // The thread's view of the engine.
    TG2Memory* memory() override;
    TScriptBank& scriptBank() override;
    void command(TG2Thread& thread, uint32_t code) override;
    void message(TG2Thread& thread, const std::string& text) override;

protected:
    // save (n), with the thumbnail's file written beside the save's when one is given. Both
    // are written before either is put in place, the thumbnail first: a failure leaves the slot
    // as it was, and a kill between the two leaves the old save with a thumbnail marked for the
    // new one, which is then shown as none (thumbnailOfSave). A save that stands in for another slot's (the preview of
    // a save over a used slot) names that slot's file when it fails: shownSlot, -1 for n itself.
    bool writeSave(int32_t n, const graphics::TSurface32* thumbnail, int32_t shownSlot = -1);

private:
    void stepThread(TG2Thread& thread, bool& alive);
    void stepDwarfs();
    bool ownsJob(const TDwarf* job) const;
    void deleteAllThreads();
    // A thread removed while it steps is destroyed when its step is over.
    void retire(std::unique_ptr<TG2Thread> thread);
    // A thread about to go: no job keeps its pointer, and with finishRunning the jobs still
    // running for it finish first.
    void releaseJobsOf(const TG2Thread* thread, bool finishRunning);
    uint32_t now() const;
    void exchangeValue(TValueExchange& x, const char* key, std::unique_ptr<TValue>& value);

    TG2Engine& engine_;
    bool stopRequested_ = false;
    bool titleRequested_ = false;
    std::array<std::unique_ptr<TG2Thread>, kMaxThreads> threads_;
    int32_t threadCount_ = 0;
    int32_t currentThread_ = 0;
    TG2Thread* stepping_ = nullptr;
    std::vector<std::unique_ptr<TG2Thread>> retired_;
    int32_t recordEnabled_ = 0;
    int32_t stockRequest_ = 0;
    bool snapshotPending_ = false;
    TMemoryStream snapshot_;
    std::unique_ptr<TValue> recordInfo1_, recordInfo2_;
    int32_t recordCode1_ = 0, recordCode2_ = 0;
    TG2DwarfGuild guild_;
    std::map<int32_t, std::unique_ptr<TDwarf>> standing_;
    std::unique_ptr<EngineMenu> menu_;
    bool submenuEnabled_ = false;
    void exchangeCommonParts(TValueExchange& x, unsigned parts);
    bool readCommonParts(const std::string& bytes, unsigned parts);

    TReadCheckList readChecks_;
    TG2ImgDisp imgDisp_;
    uint32_t suspendSkip_ = 2;
    bool unread_ = false;
    TReadCheck* readCheck_ = nullptr;
    int32_t readPoint_ = 0;
    TG2ActorMap actors_;
    int32_t currentActor_ = 0;
    bool pauseReasons_[5] = {};
    uint32_t resumeCount_ = 0;
    int32_t pausedAt_ = 0;
    int32_t lastTime_ = 0;
    bool yieldOnDirty_ = true;
    std::function<void(bool)> passCheck_;
    bool waiting_ = false;
    bool runFlag_ = false;
    uint32_t menuMode_ = 0;
    bool breakRequested_ = false;
    uint32_t timeBase_ = 0;
    bool fastRun_ = false;
    int32_t result_ = 0, select_ = 0;
    std::string title_;
    bool cursor_ = true;
    int32_t saveCount_ = 0;
    std::vector<TRecord> records_;
    std::string recordText1_, recordText2_, recordText3_;
    int32_t playTime_ = 0, totalGameTime_ = 0, timeStamp10s_ = 0;
    TRandom random_;
    TG2Warnings warnings_;
};

// The core of the game frame's engine: actors 0 and 1 speak at full voice volume, and every
// save leaves a thumbnail beside it.
class TG2CoreEx : public TG2Core {
public:
    static constexpr int32_t kThumbnailWidth = 96;
    static constexpr int32_t kThumbnailHeight = 72;

    using TG2Core::TG2Core;
    bool init() override;
    bool save(int32_t n) override;
    // The slot saved and its thumbnail written; the thumbnail, or null when the save was not
    // written (then no thumbnail is either). shownSlot as for writeSave.
    std::unique_ptr<graphics::TSurface32> saveWithThumbnail(int32_t n, int32_t shownSlot = -1);
};
