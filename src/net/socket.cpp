#include "net/socket.h"

#include <boost/make_shared.hpp>
#include <cstring>

#include "platform/little_endian.h"

namespace net {

// How long the accept thread waits for a connection before it looks at its stop flag again.
static constexpr int kAcceptWaitMs = 20;

TSocket::~TSocket() {
    const platform::SocketHandle h = handle_.exchange(platform::kInvalidSocket);
    if (h != platform::kInvalidSocket) platform::socketClose(h);
}

bool TSocket::create() {
    if (handle_.load() != platform::kInvalidSocket) return false;
    const platform::SocketHandle h = platform::socketCreate();
    if (h == platform::kInvalidSocket) return false;
    handle_.store(h);
    closed_.store(false);
    return true;
}

int TSocket::close() {
    const platform::SocketHandle h = handle_.exchange(platform::kInvalidSocket);
    if (h == platform::kInvalidSocket) return 0;
    return platform::socketClose(h);
}

bool TSocket::connect(const std::string& host, uint16_t port, int timeoutMs) {
    const platform::SocketHandle h = handle_.load();
    return h != platform::kInvalidSocket && platform::socketConnect(h, host, port, timeoutMs);
}

bool TSocket::listen(const std::string& host, uint16_t port, int backlog) {
    return create() && bind(host, port) && platform::socketListen(handle_.load(), backlog);
}

boost::shared_ptr<TSocket> TSocket::accept() {
    const platform::SocketHandle h = platform::socketAccept(handle_.load());
    if (h == platform::kInvalidSocket) return {};
    boost::shared_ptr<TSocket> s = controller_->createSocket();
    if (!s || !s->attach(h)) {
        platform::socketClose(h);
        return {};
    }
    s->peerAddress_ = platform::socketPeerAddress(h);
    return s;
}

bool TSocket::attach(platform::SocketHandle handle) {
    if (handle == platform::kInvalidSocket || !platform::socketSetNonBlocking(handle, true)) return false;
    handle_.store(handle);
    closed_.store(false);
    return true;
}

int TSocket::send(const void* buffer, int length) {
    const platform::SocketHandle h = handle_.load();
    if (h == platform::kInvalidSocket || !buffer || length < 0) return -1;
    const int n = platform::socketSend(h, buffer, static_cast<size_t>(length));
    if (n < 0) return -1;
    notifySended(buffer, n);
    return n;
}

int TSocket::recv(void* buffer, int length) {
    const platform::SocketHandle h = handle_.load();
    if (h == platform::kInvalidSocket || length <= 0) return -1;
    const int n = platform::socketRecv(h, buffer, static_cast<size_t>(length));
    if (n > 0) return notifyRecv(buffer, n);
    if (n == platform::kSocketWouldBlock) return 0;
    notifyDisconnect();
    return n == 0 ? 0 : -1;
}

platform::SocketWaiting TSocket::waiting() const {
    const platform::SocketHandle h = handle_.load();
    return h == platform::kInvalidSocket ? platform::SocketWaiting::End : platform::socketWaiting(h);
}

int TSocket::sendString(const std::string& text) {
    if (text.size() > 0x7FFFFFFF) return -1;
    uint8_t head[4];
    le::store<int32_t>(head, static_cast<int32_t>(text.size()));
    // One append keeps the head and the text together for a buffered socket.
    std::string frame(reinterpret_cast<const char*>(head), 4);
    frame += text;
    return send(frame.data(), static_cast<int>(frame.size()));
}

void TSocket::notifyConnect() { controller_->onConnect(shared_from_this()); }

void TSocket::notifyDisconnect() {
    if (!closed_.exchange(true)) controller_->onDisconnect(shared_from_this());
}

void TSocket::notifySended(const void* buffer, int n) { controller_->onSended(shared_from_this(), buffer, n); }

int TSocket::notifyRecv(const void* buffer, int n) { return controller_->onRecv(shared_from_this(), buffer, n); }

bool TSocket::bind(const std::string& host, uint16_t port) {
    const platform::SocketHandle h = handle_.load();
    return h != platform::kInvalidSocket && platform::socketBind(h, host, port);
}

// ---------------------------------------------------------------------------------------------

TBufferdSocket::TBufferdSocket(TBufferdController* controller) : TSocket(controller), bufferdController_(controller) {}

TBufferdSocket::~TBufferdSocket() = default;

int TBufferdSocket::send(const void* buffer, int length) {
    if (!buffer || length < 0 || closed_.load()) return -1;
    bool overflow = false;
    {
        TCriticalLock lock(sendLock_);
        if (sendBuffer_.size() + static_cast<size_t>(length) > kMaxSendBuffer) {
            overflow = true;
        } else {
            const char* p = static_cast<const char*>(buffer);
            sendBuffer_.insert(sendBuffer_.end(), p, p + length);
        }
    }
    if (overflow) {
        notifyDisconnect();
        return -1;
    }
    return length;
}

int TBufferdSocket::flush() {
    TCriticalLock lock(sendLock_);
    if (sendBuffer_.empty()) return 0;
    const platform::SocketHandle h = handle_.load();
    const int n = h == platform::kInvalidSocket ? platform::kSocketError
                                                : platform::socketSend(h, sendBuffer_.data(), sendBuffer_.size());
    if (n == platform::kSocketWouldBlock || n == 0) return 0;
    if (n < 0) {
        notifyDisconnect();
        return -1;
    }
    notifySended(sendBuffer_.data(), n);
    sendBuffer_.erase(sendBuffer_.begin(), sendBuffer_.begin() + n);
    return n;
}

int TBufferdSocket::notifyRecv(const void* buffer, int n) {
    controller_->onRecv(shared_from_this(), buffer, n);
    TCriticalLock lock(recvLock_);
    if (n > 0) {
        if (recvBuffer_.size() + static_cast<size_t>(n) > kMaxRecvBuffer) {
            recvBuffer_.clear();
            notifyDisconnect();
            return n;
        }
        const char* p = static_cast<const char*>(buffer);
        recvBuffer_.insert(recvBuffer_.end(), p, p + n);
    }
    size_t offset = 0;
    while (offset < recvBuffer_.size() && !closed_.load()) {
        const int used = consume(recvBuffer_.data() + offset, recvBuffer_.size() - offset);
        if (used < 0 || static_cast<size_t>(used) > recvBuffer_.size() - offset) {
            recvBuffer_.clear();
            offset = 0;
            notifyDisconnect();
            break;
        }
        if (used == 0) break;
        offset += static_cast<size_t>(used);
    }
    // One erase per read, however many messages it held.
    recvBuffer_.erase(recvBuffer_.begin(), recvBuffer_.begin() + static_cast<std::ptrdiff_t>(offset));
    return n;
}

int TBufferdSocket::consume(const char* data, size_t size) {
    return bufferdController_->onReceive(boost::static_pointer_cast<TBufferdSocket>(shared_from_this()), data, size);
}

size_t TBufferdSocket::pendingSend() {
    TCriticalLock lock(sendLock_);
    return sendBuffer_.size();
}

size_t TBufferdSocket::pendingRecv() {
    TCriticalLock lock(recvLock_);
    return recvBuffer_.size();
}

// ---------------------------------------------------------------------------------------------

TController::~TController() { shutdown(); }

void TController::shutdown() {
    boost::shared_ptr<TAcceptor> acceptor;
    {
        TCriticalLock lock(lock_);
        acceptor.swap(acceptor_);
    }
    if (acceptor) acceptor->stop();
    acceptor.reset();
    std::set<boost::shared_ptr<TSocket>> sockets;
    {
        TCriticalLock lock(lock_);
        sockets.swap(sockets_);
    }
    for (const auto& s : sockets) s->close();
}

boost::shared_ptr<TSocket> TController::connect(const std::string& host, uint16_t port) {
    boost::shared_ptr<TSocket> s = createSocket();
    if (!s || !s->create()) return {};
    if (!s->connect(host, port, connectTimeout_)) return {};
    s->notifyConnect();
    return s;
}

bool TController::listen(uint16_t port, int backlog) {
    boost::shared_ptr<TAcceptor> acceptor = createAcceptor(port, backlog);
    if (!acceptor || !acceptor->open(listenHost_)) return false;
    boost::shared_ptr<TAcceptor> old;
    {
        TCriticalLock lock(lock_);
        old.swap(acceptor_);
        acceptor_ = acceptor;
    }
    if (old) old->stop();
    return acceptor->start();
}

bool TController::poll() {
    std::vector<boost::shared_ptr<TSocket>> polled;
    std::vector<platform::SocketHandle> handles;
    {
        TCriticalLock lock(lock_);
        for (auto it = sockets_.begin(); it != sockets_.end();) {
            if ((*it)->isClosed()) {
                (*it)->close();
                it = sockets_.erase(it);
            } else {
                ++it;
            }
        }
        for (const auto& s : sockets_) {
            if (handles.size() >= kMaxPolled) break;
            const platform::SocketHandle h = s->handle();
            if (h == platform::kInvalidSocket) continue;
            polled.push_back(s);
            handles.push_back(h);
        }
    }
    if (handles.empty()) {
        // Nothing to wait on: still pace the cycle as a poll would.
        std::vector<bool> none;
        platform::socketPollRead({}, none, pollTime_);
        return true;
    }
    std::vector<bool> readable;
    const int rc = platform::socketPollRead(handles, readable, pollTime_);
    if (rc < 0) return false;
    if (rc == 0) return true;
    char buffer[8192];
    TCriticalLock lock(lock_);
    for (size_t i = 0; i < polled.size(); ++i) {
        if (readable[i] && !polled[i]->isClosed()) polled[i]->recv(buffer, sizeof buffer);
    }
    return true;
}

void TController::sendAll(const void* buffer, int length) {
    TCriticalLock lock(lock_);
    for (const auto& s : sockets_) s->send(buffer, length);
}

void TController::sendStringAll(const std::string& text) {
    if (text.size() > 0x7FFFFFFF) return;
    uint8_t head[4];
    le::store<int32_t>(head, static_cast<int32_t>(text.size()));
    std::string frame(reinterpret_cast<const char*>(head), 4);
    frame += text;
    sendAll(frame.data(), static_cast<int>(frame.size()));
}

void TController::onConnect(const boost::shared_ptr<TSocket>& socket) {
    TCriticalLock lock(lock_);
    sockets_.insert(socket);
}

void TController::onDisconnect(const boost::shared_ptr<TSocket>&) {}
void TController::onSended(const boost::shared_ptr<TSocket>&, const void*, int) {}
int TController::onRecv(const boost::shared_ptr<TSocket>&, const void*, int) { return 0; }
void TController::onAccept(const boost::shared_ptr<TAcceptor>&, const boost::shared_ptr<TSocket>&) {}

boost::shared_ptr<TSocket> TController::createSocket() { return boost::make_shared<TSocket>(this); }

boost::shared_ptr<TAcceptor> TController::createAcceptor(uint16_t port, int backlog) {
    return boost::make_shared<TAcceptor>(this, port, backlog);
}

size_t TController::socketCount() {
    TCriticalLock lock(lock_);
    size_t n = 0;
    for (const auto& s : sockets_) n += !s->isClosed();
    return n;
}

uint16_t TController::listeningPort() {
    TCriticalLock lock(lock_);
    return acceptor_ ? acceptor_->port() : 0;
}

// ---------------------------------------------------------------------------------------------

bool TBufferdController::poll() {
    const bool result = TController::poll();
    TCriticalLock lock(lock_);
    for (const auto& s : sockets_) {
        if (auto* b = dynamic_cast<TBufferdSocket*>(s.get()); b && !b->isClosed()) b->flush();
    }
    return result;
}

boost::shared_ptr<TSocket> TBufferdController::createSocket() { return boost::make_shared<TBufferdSocket>(this); }

int TBufferdController::onReceive(const boost::shared_ptr<TBufferdSocket>&, const char*, size_t) { return 0; }

// ---------------------------------------------------------------------------------------------

TAcceptor::~TAcceptor() {
    // The loop never blocks longer than one short wait, so stopping first is prompt; closing the
    // handle only afterwards keeps it from being reused under a running accept.
    stop();
    if (socket_) socket_->close();
}

bool TAcceptor::open(const std::string& host) {
    // A plain socket: the listening handle never carries messages.
    socket_ = boost::make_shared<TSocket>(controller_);
    if (!socket_->listen(host, port_, backlog_) || !platform::socketSetNonBlocking(socket_->handle(), true)) {
        socket_->close();
        return false;
    }
    return true;
}

void TAcceptor::run() {
    if (!socket_) return;
    std::vector<bool> readable;
    while (!isStopRequested()) {
        if (platform::socketPollRead({socket_->handle()}, readable, kAcceptWaitMs) <= 0) continue;
        boost::shared_ptr<TSocket> s = socket_->accept();
        if (!s) continue;
        if (controller_->socketCount() >= controller_->maxConnections()) {
            s->close();
            continue;
        }
        onAccept(s);
    }
}

void TAcceptor::onAccept(const boost::shared_ptr<TSocket>& socket) {
    controller_->onAccept(shared_from_this(), socket);
    socket->notifyConnect();
}

uint16_t TAcceptor::port() const { return socket_ ? platform::socketLocalPort(socket_->handle()) : 0; }

}  // namespace net
