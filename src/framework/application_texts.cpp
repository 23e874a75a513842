#include "framework/application_texts.h"

#include "platform/codepage.h"

namespace texts {

const std::string& applicationErrorPrefix() {
    static const std::string s = platform::toSjis("アプリケーションエラー (CODE:0x");
    return s;
}

const std::string& chatPrompt() {
    static const std::string s = platform::toSjis("相手に送りつけるメッセージを入力して下さい。");
    return s;
}

const std::string& chatCaption() {
    static const std::string s = platform::toSjis("メッセージ送信");
    return s;
}

const std::string& chatPlaceholder() {
    static const std::string s = platform::toSjis("スタティック");
    return s;
}

const std::string& cancelLabel() {
    static const std::string s = platform::toSjis("キャンセル");
    return s;
}

}  // namespace texts
