#include "net/lobby.h"

#include <boost/format.hpp>
#include <boost/make_shared.hpp>

#include "platform/clock.h"
#include "platform/codepage.h"

namespace net {

namespace {

const char* const kLabels[mahjong::RO_COUNT] = {
    "player_2",   "player_3",    "player_4",   "hanchan",     "toufu",      "red_none",
    "red_5pin",   "red_5each",   "red_5each+", "moti_25000",  "moti_27000", "moti_30000",
    "kuitan_ari", "kuitan_nasi", "wareme_ari", "wareme_nasi", "tori_ari",   "tori_nasi",
};

// The options that carry a whole rule to a newly logged-in machine.
std::vector<int> optionsOf(const mahjong::TRule& r) {
    std::vector<int> out;
    if (r.players >= 2 && r.players <= 4) out.push_back(mahjong::RO_PLAYER_2 + r.players - 2);
    out.push_back(r.gameLength == 0 ? mahjong::RO_HANCHAN : mahjong::RO_TOUFU);
    if (r.redFives >= 0 && r.redFives <= 3) out.push_back(mahjong::RO_RED_NONE + r.redFives);
    if (r.startPoints == 25000)
        out.push_back(mahjong::RO_MOTI_25000);
    else if (r.startPoints == 27000)
        out.push_back(mahjong::RO_MOTI_27000);
    else if (r.startPoints == 30000)
        out.push_back(mahjong::RO_MOTI_30000);
    out.push_back(r.openTanyao ? mahjong::RO_KUITAN_ARI : mahjong::RO_KUITAN_NASI);
    out.push_back(r.splitWall ? mahjong::RO_WAREME_ARI : mahjong::RO_WAREME_NASI);
    out.push_back(r.noWinPenalty ? mahjong::RO_TORI_ARI : mahjong::RO_TORI_NASI);
    return out;
}

picojson::value ruleMessage(int option) {
    picojson::object o;
    o["code"] = picojson::value(std::string("rule"));
    o["rule"] = picojson::value(static_cast<double>(option));
    o["label"] = picojson::value(std::string(ruleLabel(option)));
    return picojson::value(o);
}

}  // namespace

const char* ruleLabel(int option) { return option >= 0 && option < mahjong::RO_COUNT ? kLabels[option] : ""; }

std::string cleanChatText(const std::string& text, size_t maxBytes) {
    std::string out;
    const auto* p = reinterpret_cast<const uint8_t*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const uint8_t b = p[i];
        if (platform::isSjisLead(b)) {
            if (i + 1 < n && platform::isSjisTrail(p[i + 1])) {
                if (out.size() + 2 > maxBytes) break;
                out.append(text, i, 2);
                i += 2;
            } else {
                ++i;  // a lead byte without its trail
            }
            continue;
        }
        const bool printable = (b >= 0x20 && b < 0x7F) || (b >= 0xA1 && b <= 0xDF);
        if (printable) {
            if (out.size() + 1 > maxBytes) break;
            out.push_back(static_cast<char>(b));
        }
        ++i;
    }
    return out;
}

// ---------------------------------------------------------------------------------------------

TTaskNet::TTaskNet(TLobbyHost& host, TLog& log) : host_(host), log_(log) {}

TTaskNet::~TTaskNet() {
    if (controller_) controller_->close();
}

bool TTaskNet::Start() {
    log_.log("TTaskNet::Start()");
    if (!TTask::Start()) return false;
    screenMode_ = 0;
    nextUserId_ = 1;
    ownUserId_ = -1;
    controller_ = boost::make_shared<TGameController>(this);
    controller_->setListenHost(listenHost);
    controller_->setConnectTimeout(static_cast<int>(connectTimeoutMs));
    // Room for every user and a few connections still shaking hands.
    controller_->setMaxConnections(kMaxUsers + 4);
    return controller_->start();
}

void TTaskNet::End() {
    log_.log("TTaskNet::End()");
    if (controller_) controller_->close();
    TTask::End();
}

bool TTaskNet::accept() {
    log_.log("TTaskNet::accept()");
    return controller_->listen(port, 10);
}

bool TTaskNet::connect() {
    log_.log("TTaskNet::connect()");
    auto socket = boost::dynamic_pointer_cast<TGameSocket>(controller_->connect(host, port));
    if (!socket) return false;
    connections_[socket] = TConnection{AwaitAuth, platform::timeGetTime()};
    return true;
}

int TTaskNet::sendAddClient(const boost::shared_ptr<TGameSocket>& socket, const std::string& name) {
    const int id = nextUserId_++;
    addClient(id, name);
    users_[id].socket = socket;
    log_.log("sendAddClient");
    controller_->sendAddClient(id, name);
    return id;
}

void TTaskNet::addClient(int id, const std::string& name) {
    TUser user;
    user.id = id;
    user.name = name;
    users_[id] = user;
    log_.log((boost::format("addClient %1% %2%") % id % name).str());
}

bool TTaskNet::sendRemoveClient(int id) {
    users_.erase(id);
    if (controller_->getMode() == 0) {
        log_.log("sendRemoveClient");
        controller_->sendRemoveClient(id);
    }
    return true;
}

void TTaskNet::sendRule(int option, bool fromHere) {
    const bool server = controller_->getMode() == 0;
    if (server || fromHere) {
        log_.log("sendRule");
        if (option >= 0 && option < mahjong::RO_COUNT) controller_->sendRule(option, ruleLabel(option));
    }
    if (server || !fromHere) {
        if (rule_.applyOption(option)) host_.redraw();
    }
}

void TTaskNet::sendLobby() {
    picojson::object o;
    o["code"] = picojson::value(std::string("lobby"));
    controller_->sendJson(picojson::value(o));
}

// ---- network threads: log and hand over --------------------------------------------------------

void TTaskNet::onAccept(TGameController*, const boost::shared_ptr<TAcceptor>&,
                        const boost::shared_ptr<TBufferdSocket>& socket) {
    log_.log("TTaskNet::onAccept()");
    auto game = boost::dynamic_pointer_cast<TGameSocket>(socket);
    if (!game) return;
    game->sendAuth();
    queue(TEvent{TEvent::Accepted, game, {}});
}

void TTaskNet::onConnect(TGameController*, const boost::shared_ptr<TBufferdSocket>&) {
    log_.log("TTaskNet::onConnect()");
}

void TTaskNet::onDisconnect(TGameController*, const boost::shared_ptr<TBufferdSocket>& socket) {
    log_.log("TTaskNet::onDisconnect()");
    if (auto game = boost::dynamic_pointer_cast<TGameSocket>(socket)) queue(TEvent{TEvent::Disconnected, game, {}});
}

int TTaskNet::onRecvJson(TGameController*, const boost::shared_ptr<TBufferdSocket>& socket,
                         const picojson::value& value) {
    std::string code;
    if (!getString(value, "code", code)) {
        log_.log("TTaskNet::onRecvJson() without a code");
        return 0;
    }
    log_.log("TTaskNet::onRecvJson() + " + cleanChatText(code, kMaxName));
    if (auto game = boost::dynamic_pointer_cast<TGameSocket>(socket)) queue(TEvent{TEvent::Message, game, value});
    return 0;
}

void TTaskNet::queue(TEvent event) {
    std::lock_guard<std::mutex> lock(queueLock_);
    // Messages beyond the bound are dropped; connection events are few (the connection cap).
    if (event.kind == TEvent::Message && queue_.size() >= kMaxQueued) {
        if (!overflowLogged_) {
            overflowLogged_ = true;
            log_.log("TTaskNet: too many messages, some dropped");
        }
        return;
    }
    queue_.push_back(std::move(event));
}

// ---- main thread ----------------------------------------------------------------------------

void TTaskNet::handleEvents() {
    std::vector<TEvent> events;
    {
        std::lock_guard<std::mutex> lock(queueLock_);
        while (!queue_.empty() && events.size() < static_cast<size_t>(kMessagesPerFrame)) {
            events.push_back(std::move(queue_.front()));
            queue_.pop_front();
        }
        if (queue_.empty()) overflowLogged_ = false;
    }
    for (TEvent& e : events) {
        switch (e.kind) {
            case TEvent::Accepted:
                connections_[e.socket] = TConnection{AwaitAuth, platform::timeGetTime()};
                break;
            case TEvent::Disconnected: {
                connections_.erase(e.socket);
                if (controller_->getMode() == 0) {
                    // A user whose machine has gone leaves the lobby, so that its place is free.
                    for (const auto& [id, user] : users_) {
                        if (user.socket == e.socket) {
                            sendRemoveClient(id);
                            break;
                        }
                    }
                } else if (subStep() == 131) {
                    failBackToQuestion("The server closed the connection.");
                }
                break;
            }
            case TEvent::Message:
                handleMessage(e.socket, e.value);
                break;
        }
    }
}

void TTaskNet::handleMessage(const boost::shared_ptr<TGameSocket>& socket, const picojson::value& value) {
    const auto found = connections_.find(socket);
    if (found == connections_.end() || socket->isClosed()) return;  // a connection already given up
    TConnection& conn = found->second;
    const bool server = controller_->getMode() == 0;
    std::string code;
    getString(value, "code", code);

    if (code == "auth") {
        std::string name, version;
        if (!getString(value, "name", name) || !getString(value, "version", version) ||
            name != TGameController::kAuthName || version != TGameController::kAuthVersion || conn.stage != AwaitAuth) {
            log_.log("auth error");
            dropConnection(socket);
            return;
        }
        conn.stage = Authed;
        if (server) {
            log_.log("sendAuthComplete");
            socket->sendAuthComplete();
        } else {
            log_.log("sendAuth");
            socket->sendAuth();
        }
    } else if (code == "auth_complete") {
        if (server || conn.stage != Authed) {
            log_.log("auth_complete error");
            return;
        }
        log_.log("sendLogin");
        conn.stage = LoggedIn;
        socket->sendLogin(loginName);
    } else if (code == "login") {
        std::string name;
        if (!server || conn.stage != Authed || !getString(value, "name", name)) {
            log_.log("login error");
            return;
        }
        if (users_.size() >= static_cast<size_t>(kMaxUsers)) {
            log_.log("login error: the lobby is full");
            dropConnection(socket);
            return;
        }
        conn.stage = LoggedIn;
        const int id = sendAddClient(socket, cleanChatText(name, kMaxName));
        log_.log("sendLoginComplete");
        socket->sendLoginComplete(id);
        sendLobby();
        // The newcomer learns the rule as it stands, so both machines start alike.
        for (int option : optionsOf(rule_)) socket->sendJson(ruleMessage(option));
    } else if (code == "login_complete") {
        int id = 0;
        if (server || !getInt(value, "user_id", id)) {
            log_.log("login_complete error");
            return;
        }
        ownUserId_ = id;
        loggedIn_ = true;
    } else if (code == "add_client") {
        int id = 0;
        std::string name;
        if (server || !getInt(value, "user_id", id) || !getString(value, "name", name) ||
            (users_.size() >= static_cast<size_t>(kMaxUsers) && !users_.count(id))) {
            log_.log("add_client error");
            return;
        }
        addClient(id, cleanChatText(name, kMaxName));
    } else if (code == "remove_client") {
        int id = 0;
        if (server || !getInt(value, "user_id", id)) {
            log_.log("remove_client error");
            return;
        }
        sendRemoveClient(id);
    } else if (code == "chat" || code == "rule") {
        // A server hears chat and rule changes only from machines that have logged in.
        if (server && conn.stage != LoggedIn) {
            log_.log(code + " error");
            return;
        }
        if (code == "chat") {
            std::string name, text;
            if (!getString(value, "name", name) || !getString(value, "message", text)) {
                log_.log("chat error");
                return;
            }
            log_.log("<chat> " + cleanChatText(name, kMaxName) + ":" + cleanChatText(text, kMaxChat));
        } else {
            int option = -1;
            if (!getInt(value, "rule", option)) {
                log_.log("rule error");
                return;
            }
            sendRule(option, false);
        }
    }
}

void TTaskNet::dropConnection(const boost::shared_ptr<TGameSocket>& socket) {
    connections_.erase(socket);
    socket->notifyDisconnect();
}

void TTaskNet::checkTimeouts() {
    if (!controller_ || controller_->getMode() != 0) return;
    const uint32_t now = platform::timeGetTime();
    std::vector<boost::shared_ptr<TGameSocket>> late;
    for (const auto& [socket, conn] : connections_) {
        if (conn.stage != LoggedIn && platform::timeDiff(now, conn.since) > static_cast<int32_t>(handshakeTimeoutMs))
            late.push_back(socket);
    }
    for (const auto& socket : late) {
        log_.log("handshake time-out");
        dropConnection(socket);
    }
}

void TTaskNet::failBackToQuestion(const std::string& why) {
    log_.log(why);
    host_.report(why);
    controller_->shutdown();
    connections_.clear();
    users_.clear();
    loggedIn_ = false;
    setSubStep(100);
}

void TTaskNet::update() {
    handleEvents();
    checkTimeouts();
    std::string text;
    if (host_.chatRequested(text)) {
        text = cleanChatText(text, kMaxChat);
        if (!text.empty()) controller_->sendChat("guest", text);
    }

    switch (subStep()) {
        case 0:
            rule_.setDefault();
            chosen_.clear();
            setSubStep(-1);
            break;
        case 1:
            setSubStep(100);
            break;
        case 100:
            screenMode_ = 1;
            setSubStep(110);
            break;
        case 110:
            setSubStep(host_.askServe() ? 120 : 130);
            break;
        case 120:
            controller_->setMode(0);
            if (!accept()) {
                failBackToQuestion("This machine cannot serve the lobby.");
                break;
            }
            ownUserId_ = sendAddClient(nullptr, "server");
            setSubStep(140);
            break;
        case 130:
            loggedIn_ = false;
            controller_->setMode(1);
            if (!connect()) {
                failBackToQuestion("The server cannot be reached.");
                break;
            }
            loginSince_ = platform::timeGetTime();
            setSubStep(131);
            break;
        case 131:
            host_.redraw();
            if (loggedIn_)
                setSubStep(140);
            else if (platform::timeDiff(platform::timeGetTime(), loginSince_) > static_cast<int32_t>(loginTimeoutMs))
                failBackToQuestion("The server did not answer the login.");
            break;
        case 140:
            setSubStep(200);
            break;
        case 200:
            screenMode_ = 2;
            setSubStep(210);
            break;
        case 210:
            host_.redraw();
            setSubStep(211);
            break;
        case 211: {
            static const int kOptions[4] = {mahjong::RO_HANCHAN, mahjong::RO_TOUFU, mahjong::RO_KUITAN_ARI,
                                            mahjong::RO_KUITAN_NASI};
            const int c = host_.ruleChoice();
            if (c >= 0 && c < 4) {
                sendRule(kOptions[c], true);
                setSubStep(210);
            } else if (c == 4) {
                setSubStep(300);
            } else if (c == 5) {
                setSubStep(500);
            }
            break;
        }
        case 300:
            screenMode_ = 3;
            setSubStep(310);
            break;
        case 310:
            host_.redraw();
            setSubStep(311);
            break;
        case 311: {
            const int c = host_.characterChoice();
            const size_t players = static_cast<size_t>(rule_.players);
            if (c == -2) {  // right click: the last pick goes, or back to the rule
                if (chosen_.empty())
                    setSubStep(200);
                else
                    chosen_.pop_back(), host_.redraw();
            } else if (c == 0 && chosen_.size() >= players) {
                setSubStep(400);
            } else if (c == 1) {
                setSubStep(310);
            } else if (c == 2) {
                setSubStep(200);
            } else if (c == 3) {
                setSubStep(500);
            } else if (c >= 4 && c < 4 + 15 && chosen_.size() < players) {
                int k = c - 4;
                if (k == 14) {
                    do {
                        k = static_cast<int>(random.next() % 14);
                    } while (std::find(chosen_.begin(), chosen_.end(), k) != chosen_.end());
                }
                chosen_.push_back(k);
                setSubStep(310);
            }
            break;
        }
        case 400:
            setSubStep(401);
            break;
        case 401: {
            screenMode_ = 4;
            // Seats past the rule's player count, or not chosen, get no character from here.
            std::vector<int> seats(4, -1);
            for (size_t i = 0; i < seats.size() && i < chosen_.size() && i < static_cast<size_t>(rule_.players); ++i)
                seats[i] = chosen_[i];
            host_.startMatch(rule_, seats);
            setSubStep(402);
            break;
        }
        case 402: {
            bool cont = false;
            if (host_.matchFinished(cont)) {
                continueFlag_ = cont;
                setSubStep(404);
            }
            break;
        }
        case 404:
            setSubStep(continueFlag_ ? 200 : 500);
            break;
        case 500:
            setSubStep(501);
            break;
        case 501:
            host_.returnToTitle();
            kill();
            setSubStep(502);
            break;
        default:
            break;
    }
}

}  // namespace net
