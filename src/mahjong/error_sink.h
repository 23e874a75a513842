#pragma once
// Where the rules engine sends the errors it shows to the user. The engine never throws for a
// refused call or a bad round result: it hands the text to the sink and returns. The
// application plugs its OK message box in; tests plug in a recorder. Nothing here may block.
#include <string>
#include <vector>

namespace mahjong {

class TErrorSink {
public:
    virtual ~TErrorSink() = default;
    // text: Shift-JIS, shown as it stands in an OK box.
    virtual void report(const std::string& text) = 0;
};

// Keeps every reported text, in order.
class TRecordingErrorSink : public TErrorSink {
public:
    void report(const std::string& text) override { texts.push_back(text); }
    void clear() { texts.clear(); }
    std::vector<std::string> texts;
};

// The process-wide sink. Null restores the default, which writes the text to stderr.
void setErrorSink(TErrorSink* sink);
TErrorSink& errorSink();
inline void reportError(const std::string& text) { errorSink().report(text); }

// Installs a sink for the lifetime of the object and restores the previous one after.
class TScopedErrorSink {
public:
    explicit TScopedErrorSink(TErrorSink& sink);
    ~TScopedErrorSink();
    TScopedErrorSink(const TScopedErrorSink&) = delete;
    TScopedErrorSink& operator=(const TScopedErrorSink&) = delete;

private:
    TErrorSink* previous_;
};

// The error texts of the player and the table, byte-exact (Japanese parts in Shift-JIS).
namespace errtext {
inline constexpr const char* kPonDirMy = "[ERROR] TPlayer::pon dir == TD_MY";
inline constexpr const char* kPonNotEnough = "[ERROR] TPlayer::pon not enough pai";
inline constexpr const char* kTiNotKamicha = "[ERROR] TPlayer::ti not kamicha";
inline constexpr const char* kTiNotEnough = "[ERROR] TPlayer::ti not enough pai";
inline constexpr const char* kKanUnknown = "[ERROR] TPlayer::kan ???";
inline constexpr const char* kKanCount = "[ERROR] TPlayer::kan count!=4";
// "[ERROR] TTable::overRound 役がありません"
inline constexpr const char* kOverRoundNoYaku =
    "[ERROR] TTable::overRound \x96\xF0\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// "TTable::overRound 不正なコードです"
inline constexpr const char* kOverRoundBadCode =
    "TTable::overRound \x95\x73\x90\xB3\x82\xC8\x83\x52\x81\x5B\x83\x68\x82\xC5\x82\xB7";
}  // namespace errtext

}  // namespace mahjong
