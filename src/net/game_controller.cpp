#include "net/game_controller.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <chrono>
#include <cmath>
#include <exception>
#include <limits>

#include "platform/clock.h"
#include "platform/little_endian.h"

namespace net {

namespace {

picojson::value errorObject(const std::string& message) {
    picojson::object o;
    o["error"] = picojson::value(message);
    return picojson::value(o);
}

picojson::value message(const char* code) {
    picojson::object o;
    o["code"] = picojson::value(std::string(code));
    return picojson::value(o);
}

void setMember(picojson::value& v, const char* name, const std::string& s) {
    v.get<picojson::object>()[name] = picojson::value(s);
}

void setMember(picojson::value& v, const char* name, int n) {
    v.get<picojson::object>()[name] = picojson::value(static_cast<double>(n));
}

}  // namespace

TFrame readFrame(const char* data, size_t size, int32_t maxText) {
    TFrame f;
    if (size < 4) return f;
    const int64_t n = le::load<int32_t>(reinterpret_cast<const uint8_t*>(data));
    if (n <= 0 || n > std::min(maxText, kMaxFrameText)) {
        f.status = TFrame::Bad;
        return f;
    }
    if (static_cast<int64_t>(size) < n + 4) return f;
    f.status = TFrame::Complete;
    f.consumed = static_cast<size_t>(n) + 4;
    f.text = data + 4;
    f.length = static_cast<size_t>(n);
    return f;
}

std::string makeFrame(const std::string& text) {
    uint8_t head[4];
    le::store<int32_t>(head, static_cast<int32_t>(text.size()));
    std::string frame(reinterpret_cast<const char*>(head), 4);
    frame += text;
    return frame;
}

picojson::value parseMessage(const char* text, size_t length) {
    // The parser throws on numbers out of a double's range; any failure is a parse error.
    try {
        picojson::value v;
        std::string err;
        picojson::parse(v, text, text + length, &err);
        if (!err.empty()) return errorObject(err);
        return v;
    } catch (const std::exception& e) {
        return errorObject(e.what()[0] ? e.what() : "bad number");
    }
}

bool getString(const picojson::value& message, const char* name, std::string& out) {
    if (!message.is<picojson::object>()) return false;
    const auto& o = message.get<picojson::object>();
    const auto it = o.find(name);
    if (it == o.end() || !it->second.is<std::string>()) return false;
    out = it->second.get<std::string>();
    return true;
}

bool getInt(const picojson::value& message, const char* name, int& out) {
    if (!message.is<picojson::object>()) return false;
    const auto& o = message.get<picojson::object>();
    const auto it = o.find(name);
    if (it == o.end() || !it->second.is<double>()) return false;
    const double d = it->second.get<double>();
    if (!std::isfinite(d) || d <= static_cast<double>(std::numeric_limits<int>::min()) - 1.0 ||
        d >= static_cast<double>(std::numeric_limits<int>::max()) + 1.0)
        return false;
    out = static_cast<int>(d);
    return true;
}

std::string toText(const picojson::value& value) { return value.serialize(); }

// ---------------------------------------------------------------------------------------------

int TGameSocket::sendJson(const picojson::value& value) {
    const std::string text = toText(value);
    if (text.empty() || text.size() > static_cast<size_t>(kMaxFrameText)) return -1;
    return sendString(text);
}

int TGameSocket::sendAuth() {
    picojson::value v = message("auth");
    setMember(v, "name", std::string(TGameController::kAuthName));
    setMember(v, "version", std::string(TGameController::kAuthVersion));
    return sendJson(v);
}

int TGameSocket::sendAuthComplete() { return sendJson(message("auth_complete")); }

int TGameSocket::sendLogin(const std::string& name) {
    picojson::value v = message("login");
    setMember(v, "name", name);
    return sendJson(v);
}

int TGameSocket::sendLoginComplete(int userId) {
    picojson::value v = message("login_complete");
    setMember(v, "user_id", userId);
    return sendJson(v);
}

// ---------------------------------------------------------------------------------------------

TGameController::~TGameController() { close(); }

void TGameController::close() {
    stop();
    shutdown();
}

void TGameController::run() {
    if (!init()) return;
    while (!isStopRequested()) {
        poll();
        std::unique_lock<std::mutex> lock(wakeLock_);
        wake_.wait_for(lock, std::chrono::milliseconds(10), [this] { return joined_; });
        joined_ = false;
    }
}

void TGameController::sendJson(const picojson::value& value) {
    const std::string text = toText(value);
    if (text.empty() || text.size() > static_cast<size_t>(kMaxFrameText)) return;
    sendStringAll(text);
}

void TGameController::sendAddClient(int userId, const std::string& name) {
    picojson::value v = message("add_client");
    setMember(v, "user_id", userId);
    setMember(v, "name", name);
    sendJson(v);
}

void TGameController::sendRemoveClient(int userId) {
    picojson::value v = message("remove_client");
    setMember(v, "user_id", userId);
    sendJson(v);
}

void TGameController::sendChat(const std::string& name, const std::string& text) {
    picojson::value v = message("chat");
    setMember(v, "name", name);
    setMember(v, "message", text);
    sendJson(v);
}

void TGameController::sendRule(int rule, const std::string& label) {
    picojson::value v = message("rule");
    setMember(v, "rule", rule);
    setMember(v, "label", label);
    sendJson(v);
}

int TGameController::onRecvJson(const boost::shared_ptr<TBufferdSocket>& socket, const picojson::value& value) {
    if (listener_) listener_->onRecvJson(this, socket, value);
    return 0;
}

void TGameController::onConnect(const boost::shared_ptr<TSocket>& socket) {
    TBufferdController::onConnect(socket);
    if (listener_) listener_->onConnect(this, boost::static_pointer_cast<TBufferdSocket>(socket));
    {
        std::lock_guard<std::mutex> lock(wakeLock_);
        joined_ = true;
    }
    wake_.notify_one();
}

void TGameController::onDisconnect(const boost::shared_ptr<TSocket>& socket) {
    TBufferdController::onDisconnect(socket);
    if (listener_) listener_->onDisconnect(this, boost::static_pointer_cast<TBufferdSocket>(socket));
}

void TGameController::onSended(const boost::shared_ptr<TSocket>& socket, const void* buffer, int n) {
    TBufferdController::onSended(socket, buffer, n);
    if (listener_) listener_->onSended(this, boost::static_pointer_cast<TBufferdSocket>(socket), buffer, n);
}

void TGameController::onAccept(const boost::shared_ptr<TAcceptor>& acceptor, const boost::shared_ptr<TSocket>& socket) {
    TBufferdController::onAccept(acceptor, socket);
    if (listener_) listener_->onAccept(this, acceptor, boost::static_pointer_cast<TBufferdSocket>(socket));
}

boost::shared_ptr<TSocket> TGameController::createSocket() { return boost::make_shared<TGameSocket>(this); }

int TGameController::onReceive(const boost::shared_ptr<TBufferdSocket>& socket, const char* data, size_t size) {
    const auto* game = dynamic_cast<const TGameSocket*>(socket.get());
    const TFrame f = readFrame(data, size, game ? game->maxFrameText() : kMaxFrameText);
    if (f.status == TFrame::NeedMore) return 0;
    if (f.status == TFrame::Bad) return -1;
    onRecvJson(socket, parseMessage(f.text, f.length));
    return static_cast<int>(f.consumed);
}

}  // namespace net
