#pragma once
// The message transport: every message is one JSON object sent as a frame of a 32-bit
// little-endian length and the JSON text. The game controller polls its sockets on a thread of
// its own and tells its listener of connections and of each received message.
#include <picojson.h>

#include <boost/shared_ptr.hpp>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "framework/thread.h"
#include "net/socket.h"

namespace net {

// The longest JSON text a frame may carry; lobby messages are a few dozen bytes.
inline constexpr int32_t kMaxFrameText = 64 * 1024;

// What the front of a receive buffer holds.
struct TFrame {
    enum Status { NeedMore, Complete, Bad } status = NeedMore;
    size_t consumed = 0;         // head and text, for Complete
    const char* text = nullptr;  // the JSON text, for Complete
    size_t length = 0;
};

// Reads one frame from the front of data. A length of zero or less, or above maxText, can never
// become a message: Bad.
TFrame readFrame(const char* data, size_t size, int32_t maxText = kMaxFrameText);
// The head and text of one frame.
std::string makeFrame(const std::string& text);
// The message a JSON text holds, or the object {"error": message} when it does not parse.
picojson::value parseMessage(const char* text, size_t length);
// Members read with their types checked: false (out unchanged) when the value is not an object,
// the member is missing or of another kind. Numbers must be finite and in int range; they are
// truncated as the wire's readers always have.
bool getString(const picojson::value& message, const char* name, std::string& out);
bool getInt(const picojson::value& message, const char* name, int& out);

class TGameController;

class TGameSocket : public TBufferdSocket {
public:
    explicit TGameSocket(TBufferdController* controller) : TBufferdSocket(controller) {}

    virtual int sendJson(const picojson::value& value);
    virtual int sendAuth();
    virtual int sendAuthComplete();
    virtual int sendLogin(const std::string& name);
    virtual int sendLoginComplete(int userId);

    // The longest text a frame from this peer may carry (at most kMaxFrameText); a longer one
    // ends the connection unread.
    void setMaxFrameText(int32_t n) { maxFrameText_.store(n); }
    int32_t maxFrameText() const { return maxFrameText_.load(); }

private:
    std::atomic<int32_t> maxFrameText_{kMaxFrameText};
};

class TGameController : public TThread, public TBufferdController {
public:
    // The name and version that authentication carries.
    static constexpr const char* kAuthName = "mahjong";
    static constexpr const char* kAuthVersion = "2010/01/01";
    static constexpr uint16_t kDefaultPort = 7000;

    // Events arrive on the polling thread (accepts on the acceptor's thread).
    class TListener {
    public:
        virtual ~TListener() = default;
        virtual void onAccept(TGameController*, const boost::shared_ptr<TAcceptor>&,
                              const boost::shared_ptr<TBufferdSocket>&) {}
        virtual void onConnect(TGameController*, const boost::shared_ptr<TBufferdSocket>&) {}
        virtual void onDisconnect(TGameController*, const boost::shared_ptr<TBufferdSocket>&) {}
        virtual void onSended(TGameController*, const boost::shared_ptr<TBufferdSocket>&, const void*, int) {}
        virtual int onRecvJson(TGameController*, const boost::shared_ptr<TBufferdSocket>&, const picojson::value&) {
            return 0;
        }
    };

    explicit TGameController(TListener* listener) : listener_(listener) {}
    ~TGameController() override;

    void run() override;
    virtual int getMode() const { return mode_.load(); }
    virtual void setMode(int mode) { mode_.store(mode); }
    virtual void sendJson(const picojson::value& value);
    virtual void sendAddClient(int userId, const std::string& name);
    virtual void sendRemoveClient(int userId);
    virtual void sendChat(const std::string& name, const std::string& message);
    virtual void sendRule(int rule, const std::string& label);
    virtual int onRecvJson(const boost::shared_ptr<TBufferdSocket>& socket, const picojson::value& value);

    void onConnect(const boost::shared_ptr<TSocket>& socket) override;
    void onDisconnect(const boost::shared_ptr<TSocket>& socket) override;
    void onSended(const boost::shared_ptr<TSocket>& socket, const void* buffer, int n) override;
    void onAccept(const boost::shared_ptr<TAcceptor>& acceptor, const boost::shared_ptr<TSocket>& socket) override;
    boost::shared_ptr<TSocket> createSocket() override;
    int onReceive(const boost::shared_ptr<TBufferdSocket>& socket, const char* data, size_t size) override;

    // Ends the polling thread, the acceptor and every connection.
    void close();

private:
    std::atomic<int> mode_{0};
    [[maybe_unused]] uint8_t flag_ = 0;
    TListener* listener_;
    // A connection that joins the set cuts the polling thread's pause short, so that its first
    // answer is read at once.
    std::mutex wakeLock_;
    std::condition_variable wake_;
    bool joined_ = false;
};

// Serialises a message as it travels.
std::string toText(const picojson::value& value);

}  // namespace net
