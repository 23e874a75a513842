#include "script/engine_texts.h"

#include <array>
#include <utility>

#include "platform/codepage.h"

namespace g2texts {

namespace {

// A table of UTF-8 rows converted once; the converted strings live as long as the table.
template <size_t N>
class SjisTable {
public:
    explicit SjisTable(const std::array<std::pair<uint32_t, const char*>, N>& rows) {
        for (size_t i = 0; i < N; ++i) texts_[i] = platform::toSjis(rows[i].second);
        for (size_t i = 0; i < N; ++i) entries_[i] = {rows[i].first, texts_[i].c_str()};
        entries_[N] = {0, nullptr};
    }
    const TErrorEntry* entries() const { return entries_.data(); }

private:
    std::array<std::string, N> texts_;
    std::array<TErrorEntry, N + 1> entries_;
};

constexpr std::array<std::pair<uint32_t, const char*>, 22> kErrors{{
    {0x1001, "未実装のコマンドが実行されました"},
    {0x1002, "不正なコードが実行されました"},
    {0x1003, "文字列メモリへの不正なアクセスです"},
    {0x1004, "定数への不正なアクセスです"},
    {0x1012, "不正な変数へのアクセスです"},
    {0x1005, "不正なシステム変数へのアクセスです"},
    {0x1006, "数値メモリへの不正なアクセスです"},
    {0x1007, "未対応の機能"},
    {0x1008, "スレッド\"%s\"の読み込みに失敗しました"},
    {0x1009, "#sel.closeが多いです。"},
    {0x100a, "メモリアクセスエラー"},
    {0x100b, "メモリマップファイル\"%s\"に問題があります"},
    {0x100c, "エクスチェンジにエラー"},
    {0x100d, "エクスチェンジコードにエラー"},
    {0x100e, "不正なイメージの解放"},
    {0x100f, "Bankの不正操作"},
    {0x1010, "Bank検索に失敗"},
    {0x1011, "不正な場所でアイコンが指定されている"},
    {0x2001, "システムのリソースが不足しています。"},
    {0x2002, "システムのリソースが不足しています。"},
    {0x2003, "システムのリソースが不足しています。"},
    {0x2004, "システムのリソースが不足しています。"},
}};

constexpr std::array<std::pair<uint32_t, const char*>, 15> kWarnings{{
    {0x1000, "#filegoto で指定された\"%s\"を開くことができません。"},
    {0x1001, "#filecall で指定された\"%s\"を開くことができません。"},
    {0x1002, "#spr.image で指定された\"%s\"を開くことができません。"},
    {0x1003, "#menu.icon.def で指定された\"%s\"を開くことができません。"},
    {0x1004, "画像ファイル\"%s\"の指定に誤りがあります。"},
    {0x1005, "#menu.image で指定された\"%s\"を開くことができません。"},
    {0x1006, "画像ファイル\"%s\"を開くことができません。"},
    {0x1007, "#se.play で指定された\"%s\"を開くことができません。"},
    {0x1008, "#voice で指定された\"%s\"を開くことができません。"},
    {0x1009, "#bgm.play で指定された\"%s\"を開くことができません。"},
    {0x100a, "#media.play で指定された\"%s\"を開くことができません。"},
    {0x100b, "#act.voice で指定された\"%s\"を開くことができません。"},
    {0x100c, "#sgoto で指定された\"%s\"を開くことができません。"},
    {0x100d, "#scall で指定された\"%s\"を開くことができません。"},
    {0x100e, "エフェクトスタイル\"%s\"は使えません。スタイル0を使います。"},
}};

}  // namespace

const TErrorEntry* errorTable() {
    static const SjisTable<kErrors.size()> table(kErrors);
    return table.entries();
}

const TErrorEntry* warningTable() {
    static const SjisTable<kWarnings.size()> table(kWarnings);
    return table.entries();
}

const std::string& warningBoxTail() {
    static const std::string s =
        platform::toSjis("\n\n今後，このメッセージを表示しない場合は，CANCELを押してください。");
    return s;
}

const std::string& brokenSaveText() {
    static const std::string s = platform::toSjis("セーブデータが壊れています。タイトルに戻ります。");
    return s;
}

const std::string& defaultFontFace() {
    static const std::string s = platform::toSjis("ＭＳ ゴシック");
    return s;
}

}  // namespace g2texts
