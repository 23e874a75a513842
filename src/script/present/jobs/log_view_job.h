#pragma once
// The resident job that opens the backlog, pages through it by buttons, wheel and keys, replays
// the voice of a logged line from a button beside it, and closes it again.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "script/present/jobs/mode_jobs.h"

namespace present {

class TLogViewDwarf : public TButtonJob {
public:
    static constexpr int32_t kButtons = 5;
    static constexpr int32_t kPlaces = 6;  // the five buttons and the voice buttons

    explicit TLogViewDwarf(JobContext& ctx) : TButtonJob(ctx) { reset(); }
    int32_t getJobCode() const override { return kJobLogView; }
    void init() override;
    void reset() override;
    bool update() override;
    // Closes the backlog.
    void finish() override;
    // Section "LogViewDwarf": each place's "Align", "Offset X", "Offset Y".
    void exchange(TValueExchange& x) override;
    void placeButton(int32_t index, int32_t align, int32_t x, int32_t y) override { setPlace(index, align, x, y); }
    bool canOpen();
    void setPlace(int32_t index, int32_t align, int32_t x, int32_t y);
    void layoutButton(int32_t index);
    void layoutAll();
    void hideButtons();
    void showButtons();
    void rebuildVoiceButtons();
    void notify(int32_t id, int32_t event, int32_t param) override;

    const TGrCtrlButton& button(int32_t n) const { return buttons_[n].button; }
    const std::vector<std::unique_ptr<TVoiceButton>>& voiceButtons() const { return voices_; }
    int32_t ScrollRequest = 0;
    int32_t CloseRequest = 0;

private:
    graphics::RECT logRect();
    bool isOpen();
    void close();

    std::array<JobButton, kButtons> buttons_;
    std::array<TAnisObjEx, 4> voicePictures_;
    graphics::SIZE voiceSize_{};
    std::array<int32_t, kPlaces> aligns_{};
    std::array<graphics::POINT, kPlaces> offsets_{};
    std::vector<std::unique_ptr<TVoiceButton>> voices_;
};

}  // namespace present
