#pragma once
// The program's TCP layer: sockets that report what happens to them to their controller, buffered
// sockets whose sends only append to a buffer, a controller that polls its sockets, and the
// accept thread of a listening controller. Network failures come back as false, -1 or null;
// nothing here throws.
#include <atomic>
#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "framework/critical_section.h"
#include "framework/thread.h"
#include "platform/socket.h"

namespace net {

class TController;
class TBufferdController;
class TAcceptor;

class TSocket : public boost::enable_shared_from_this<TSocket> {
public:
    explicit TSocket(TController* controller) : controller_(controller) {}
    virtual ~TSocket();
    TSocket(const TSocket&) = delete;
    TSocket& operator=(const TSocket&) = delete;

    virtual bool create();
    virtual int close();
    // Resolves host and tries each address for at most timeoutMs; the socket is non-blocking
    // afterwards.
    virtual bool connect(const std::string& host, uint16_t port, int timeoutMs);
    // Binds to host (empty: every address) and listens.
    virtual bool listen(const std::string& host, uint16_t port, int backlog);
    // A waiting connection adopted by a socket of the controller's kind, or null.
    virtual boost::shared_ptr<TSocket> accept();
    virtual bool attach(platform::SocketHandle handle);
    virtual int send(const void* buffer, int length);
    virtual int recv(void* buffer, int length);
    // The text's 32-bit little-endian length, then its bytes.
    virtual int sendString(const std::string& text);
    virtual void notifyConnect();
    // Flags the socket closed and tells the controller, once however often it is called.
    virtual void notifyDisconnect();
    virtual void notifySended(const void* buffer, int n);
    virtual int notifyRecv(const void* buffer, int n);
    virtual bool bind(const std::string& host, uint16_t port);

    bool isClosed() const { return closed_.load(); }
    // What the peer has sent that no one has read yet: nothing, bytes, or its end of the
    // connection. A look at the system's queue, which reads nothing.
    platform::SocketWaiting waiting() const;
    platform::SocketHandle handle() const { return handle_.load(); }
    TController* controller() const { return controller_; }
    // The peer's dotted address, for accepted sockets; empty otherwise.
    const std::string& peerAddress() const { return peerAddress_; }

protected:
    TController* controller_;
    std::atomic<platform::SocketHandle> handle_{platform::kInvalidSocket};
    // Written by whichever thread sees the failure, read by the polling thread.
    std::atomic<bool> closed_{false};
    // Set before the socket is handed to other threads, constant afterwards.
    std::string peerAddress_;
};

// Sends only append to the send buffer, which the polling thread flushes; received bytes are
// gathered and handed to the controller's onReceive until it consumes no more.
class TBufferdSocket : public TSocket {
public:
    // More than this waiting to go out means the peer does not read: the connection is dropped.
    static constexpr size_t kMaxSendBuffer = 1024 * 1024;
    // Received bytes not yet consumed; the controller's frames are far smaller.
    static constexpr size_t kMaxRecvBuffer = 256 * 1024;

    TBufferdSocket(TBufferdController* controller);
    ~TBufferdSocket() override;

    // Appends to the send buffer: the length, or -1 (null buffer, negative length, closed socket,
    // or the buffer would pass its cap, which also closes the connection).
    int send(const void* buffer, int length) override;
    int notifyRecv(const void* buffer, int n) override;
    // Writes what the network takes of the send buffer: bytes sent, 0 when nothing could go (the
    // rest waits for the next flush), -1 when the connection failed.
    virtual int flush();
    // The controller's onReceive: bytes consumed from the front, 0 to wait for more, negative
    // when the bytes can never form a message (the connection is then dropped).
    virtual int consume(const char* data, size_t size);

    size_t pendingSend();
    size_t pendingRecv();

protected:
    TBufferdController* bufferdController_;
    std::vector<char> sendBuffer_;
    std::vector<char> recvBuffer_;
    TCriticalSection sendLock_;
    TCriticalSection recvLock_;
};

class TController : public boost::enable_shared_from_this<TController> {
public:
    // Handles polled in one cycle.
    static constexpr size_t kMaxPolled = 64;

    TController() = default;
    virtual ~TController();
    TController(const TController&) = delete;
    TController& operator=(const TController&) = delete;

    virtual bool init() { return true; }
    virtual void idle() {}
    // A connected socket that has joined the set, or null.
    virtual boost::shared_ptr<TSocket> connect(const std::string& host, uint16_t port);
    // Binds and listens at once (so a failure is the caller's to report), then accepts on the
    // acceptor's thread.
    virtual bool listen(uint16_t port, int backlog);
    virtual bool poll();
    virtual void sendAll(const void* buffer, int length);
    virtual void sendStringAll(const std::string& text);
    virtual void onConnect(const boost::shared_ptr<TSocket>& socket);
    virtual void onDisconnect(const boost::shared_ptr<TSocket>& socket);
    virtual void onSended(const boost::shared_ptr<TSocket>& socket, const void* buffer, int n);
    virtual int onRecv(const boost::shared_ptr<TSocket>& socket, const void* buffer, int n);
    virtual void onAccept(const boost::shared_ptr<TAcceptor>& acceptor, const boost::shared_ptr<TSocket>& socket);
    virtual boost::shared_ptr<TSocket> createSocket();
    virtual boost::shared_ptr<TAcceptor> createAcceptor(uint16_t port, int backlog);

    // Stops accepting (the acceptor's thread is joined), then closes and drops every socket.
    void shutdown();

    // The address listen binds to (empty: every address).
    void setListenHost(const std::string& host) { listenHost_ = host; }
    void setConnectTimeout(int ms) { connectTimeout_ = ms; }
    // Connections beyond this many are closed as they are accepted.
    void setMaxConnections(size_t n) { maxConnections_.store(n); }
    size_t maxConnections() const { return maxConnections_.load(); }
    // Sockets in the set that have not ended (an ended one stays until the next poll).
    size_t socketCount();
    // The port the acceptor listens on (after listening on port 0), 0 when none.
    uint16_t listeningPort();

protected:
    std::set<boost::shared_ptr<TSocket>> sockets_;
    boost::shared_ptr<TAcceptor> acceptor_;
    std::string listenHost_;
    int connectTimeout_ = 1000;
    int pollTime_ = 1;
    std::atomic<size_t> maxConnections_{16};
    TCriticalSection lock_;
};

class TBufferdController : public TController {
public:
    bool poll() override;
    boost::shared_ptr<TSocket> createSocket() override;
    virtual int onReceive(const boost::shared_ptr<TBufferdSocket>& socket, const char* data, size_t size);
};

class TAcceptor : public TThread, public boost::enable_shared_from_this<TAcceptor> {
public:
    TAcceptor(TController* controller, uint16_t port, int backlog)
        : controller_(controller), port_(port), backlog_(backlog) {}
    ~TAcceptor() override;

    // Binds and listens on the calling thread; false when either fails.
    bool open(const std::string& host);
    void run() override;
    virtual void onAccept(const boost::shared_ptr<TSocket>& socket);
    uint16_t port() const;

private:
    TController* controller_;
    uint16_t port_;
    int backlog_;
    boost::shared_ptr<TSocket> socket_;
};

}  // namespace net
