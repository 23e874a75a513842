#include "net/lobby_peers.h"

#include <algorithm>
#include <unordered_map>

#include "platform/clock.h"

namespace net {

namespace {

const char* const kTextMembers[] = {"code", "name", "version", "message", "label"};
const char* const kNumberMembers[] = {"user_id", "rule"};
// What a kept message costs besides its texts: the object, its map and its entries.
constexpr size_t kNoteOverhead = 256;
constexpr size_t kMemberOverhead = 64;

}  // namespace

TNote makeNote(const picojson::value& message) {
    TNote note;
    picojson::object kept;
    note.bytes = kNoteOverhead;
    if (message.is<picojson::object>()) {
        const picojson::object& o = message.get<picojson::object>();
        for (const char* name : kTextMembers) {
            const auto it = o.find(name);
            if (it == o.end() || !it->second.is<std::string>()) continue;
            const std::string& text = it->second.get<std::string>();
            kept[name] = picojson::value(text.substr(0, TNote::kMaxNoteText));
            note.bytes += kMemberOverhead + std::min(text.size(), TNote::kMaxNoteText);
        }
        for (const char* name : kNumberMembers) {
            const auto it = o.find(name);
            if (it == o.end() || !it->second.is<double>()) continue;
            kept[name] = it->second;
            note.bytes += kMemberOverhead;
        }
    }
    note.value = picojson::value(std::move(kept));
    return note;
}

// ---------------------------------------------------------------------------------------------

void TLobbyPeers::setLimits(const TLimits& limits) {
    std::lock_guard<std::mutex> lock(lock_);
    limits_ = limits;
}

TLobbyPeers::TPeer* TLobbyPeers::find(const Socket& socket) {
    for (auto& p : peers_)
        if (p->socket == socket) return p.get();
    return nullptr;
}

bool TLobbyPeers::pending(const TPeer& p) const { return p.guarded && !p.gone && p.stage != LoggedIn; }

size_t TLobbyPeers::pendingOf(const std::string* address) const {
    size_t n = 0;
    for (const auto& p : peers_)
        if (pending(*p) && (!address || p->address == *address)) ++n;
    return n;
}

TLobbyPeers::TPeer* TLobbyPeers::victimFor(const std::string& address, uint32_t now) {
    std::unordered_map<std::string, size_t> held;
    for (const auto& p : peers_)
        if (pending(*p)) ++held[p->address];
    const size_t mine = held.count(address) ? held[address] : 0;
    const bool full = mine >= limits_.pendingPerAddress;
    struct Candidate {
        TPeer* peer;
        int32_t silentMs;  // since the lobby's last question, -1 when it has answered
        size_t held;
    };
    std::vector<Candidate> candidates;
    TPeer* askedFirst = nullptr;
    for (auto& p : peers_) {
        if (!pending(*p)) continue;
        const size_t h = held[p->address];
        // An address at its cap replaces its own. Any other newcomer may take a place from an
        // address holding at least as many as its own, never from one holding fewer: however
        // many addresses share the places a newcomer finds one, and one from a peer's own
        // address has others' places to take besides that peer's.
        if (full ? p->address != address : h < mine) continue;
        candidates.push_back({p.get(), p->spoke ? -1 : std::max(0, platform::timeDiff(now, p->askedAt)), h});
        if (!askedFirst || platform::timeDiff(askedFirst->askedAt, p->askedAt) > 0) askedFirst = p.get();
    }
    // The one silent longest goes first, of the address holding the most on a tie, the oldest
    // after that (the list is oldest first). A well-behaved peer is silent only for as long as
    // its answer takes to come, and safe once its answer is on its way.
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.silentMs != b.silentMs ? a.silentMs > b.silentMs : a.held > b.held;
    });
    for (const Candidate& c : candidates)
        if (c.silentMs >= 0 && !(unread_ && unread_(c.peer->socket))) return c.peer;
    // Bytes on their way may be only part of an answer; a whole answer is surer.
    for (const Candidate& c : candidates)
        if (c.silentMs >= 0) return c.peer;
    // Every one has answered: the one asked longest ago.
    return askedFirst;
}

TLobbyPeers::Admission TLobbyPeers::add(const Socket& socket, const std::string& address, uint32_t now, bool guarded,
                                        Socket* evicted) {
    std::lock_guard<std::mutex> lock(lock_);
    auto peer = std::make_unique<TPeer>();
    peer->serial = nextSerial_++;
    peer->socket = socket;
    peer->address = address;
    peer->guarded = guarded;
    peer->since = peer->askedAt = now;
    if (guarded && (pendingOf(nullptr) >= limits_.pending || pendingOf(&address) >= limits_.pendingPerAddress)) {
        if (!evicted) return Refused;
        TPeer* victim = victimFor(address, now);
        if (!victim) return Refused;
        *evicted = victim->socket;
        forget(*victim);
    }
    peers_.push_back(std::move(peer));
    return Admitted;
}

TLobbyPeers::Receipt TLobbyPeers::receive(const Socket& socket, const std::string& code, TNote note, uint32_t) {
    std::lock_guard<std::mutex> lock(lock_);
    TPeer* p = find(socket);
    if (!p || p->gone) return Unknown;
    if (p->guarded && p->heard < 2) {
        if (code != (p->heard == 0 ? "auth" : "login")) return Forbidden;
        ++p->heard;
    }
    p->spoke = true;
    const size_t cap = !p->guarded || p->heard >= 2 ? limits_.queueBytes : limits_.pendingQueueBytes;
    if (p->bytes + note.bytes > cap) {
        if (p->fullSaid) return Dropped;
        p->fullSaid = true;
        return Full;
    }
    p->bytes += note.bytes;
    p->notes.push_back(std::move(note));
    return Kept;
}

void TLobbyPeers::disconnected(const Socket& socket) {
    std::lock_guard<std::mutex> lock(lock_);
    if (TPeer* p = find(socket)) forget(*p);
}

void TLobbyPeers::forget(TPeer& p) {
    // Only a user's or a client's end matters to the lobby; a guest's is forgotten at once, so
    // that connections that come and go fast leave nothing behind.
    if (p.guarded && p.stage != LoggedIn) {
        std::erase_if(peers_, [&](const std::unique_ptr<TPeer>& q) { return q.get() == &p; });
        return;
    }
    p.gone = true;
    p.notes.clear();
    p.bytes = 0;
}

std::vector<TLobbyPeers::TItem> TLobbyPeers::take(size_t max) {
    std::lock_guard<std::mutex> lock(lock_);
    std::vector<TItem> out;
    while (out.size() < max && !peers_.empty()) {
        // Serials grow along the list: the round starts at the first peer after the last served.
        size_t start = 0;
        while (start < peers_.size() && peers_[start]->serial <= lastServed_) ++start;
        if (start == peers_.size()) start = 0;
        bool served = false;
        const size_t n = peers_.size();
        for (size_t k = 0; k < n && out.size() < max; ++k) {
            TPeer& p = *peers_[(start + k) % n];
            if (!p.notes.empty()) {
                out.push_back(TItem{p.socket, false, std::move(p.notes.front().value)});
                p.bytes -= p.notes.front().bytes;
                p.notes.pop_front();
                if (p.notes.empty()) p.fullSaid = false;
            } else if (p.gone && !p.goneTaken) {
                out.push_back(TItem{p.socket, true, {}});
                p.goneTaken = true;
            } else {
                continue;
            }
            lastServed_ = p.serial;
            served = true;
        }
        std::erase_if(peers_, [](const std::unique_ptr<TPeer>& p) { return p->goneTaken; });
        if (!served) break;
    }
    return out;
}

std::vector<TLobbyPeers::Socket> TLobbyPeers::expired(uint32_t now, uint32_t handshakeMs) {
    std::lock_guard<std::mutex> lock(lock_);
    std::vector<Socket> out;
    for (const auto& p : peers_)
        if (pending(*p) &&
            platform::timeDiff(now, p->since) > static_cast<int32_t>(std::min<uint32_t>(handshakeMs, INT32_MAX)))
            out.push_back(p->socket);
    return out;
}

void TLobbyPeers::setStage(const Socket& socket, Stage stage) {
    std::lock_guard<std::mutex> lock(lock_);
    if (TPeer* p = find(socket)) p->stage = stage;
}

bool TLobbyPeers::stage(const Socket& socket, Stage& out) {
    std::lock_guard<std::mutex> lock(lock_);
    TPeer* p = find(socket);
    if (!p || p->gone) return false;
    out = p->stage;
    return true;
}

void TLobbyPeers::asked(const Socket& socket, uint32_t now) {
    std::lock_guard<std::mutex> lock(lock_);
    if (TPeer* p = find(socket)) {
        p->askedAt = now;
        p->spoke = false;
    }
}

void TLobbyPeers::setUser(const Socket& socket, int id) {
    std::lock_guard<std::mutex> lock(lock_);
    if (TPeer* p = find(socket)) p->user = id;
}

int TLobbyPeers::user(const Socket& socket) {
    std::lock_guard<std::mutex> lock(lock_);
    TPeer* p = find(socket);
    return p ? p->user : -1;
}

std::vector<TLobbyPeers::Socket> TLobbyPeers::inStage(Stage stage) {
    std::lock_guard<std::mutex> lock(lock_);
    std::vector<Socket> out;
    for (const auto& p : peers_)
        if (p->stage == stage && !p->gone) out.push_back(p->socket);
    return out;
}

void TLobbyPeers::clear() {
    std::lock_guard<std::mutex> lock(lock_);
    peers_.clear();
}

size_t TLobbyPeers::size() {
    std::lock_guard<std::mutex> lock(lock_);
    return peers_.size();
}

size_t TLobbyPeers::queuedBytes(const Socket& socket) {
    std::lock_guard<std::mutex> lock(lock_);
    TPeer* p = find(socket);
    return p ? p->bytes : 0;
}

// ---------------------------------------------------------------------------------------------

void TLogBudget::setBudget(size_t lines, uint32_t windowMs) {
    std::lock_guard<std::mutex> lock(lock_);
    lines_ = lines;
    windowMs_ = windowMs;
}

void TLogBudget::roll(uint32_t now) {
    if (!started_) {
        started_ = true;
        windowStart_ = now;
        return;
    }
    if (platform::timeDiff(now, windowStart_) < static_cast<int32_t>(windowMs_)) return;
    windowStart_ = now;
    used_ = 0;
    ended_ += skipped_;
    skipped_ = 0;
}

bool TLogBudget::allow(uint32_t now) {
    std::lock_guard<std::mutex> lock(lock_);
    roll(now);
    if (used_ < lines_) {
        ++used_;
        return true;
    }
    ++skipped_;
    return false;
}

size_t TLogBudget::leftOut(uint32_t now) {
    std::lock_guard<std::mutex> lock(lock_);
    roll(now);
    const size_t n = ended_;
    ended_ = 0;
    return n;
}

}  // namespace net
