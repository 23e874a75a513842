#include "net/lobby.h"

#include <algorithm>
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

picojson::value message(const char* code) {
    picojson::object o;
    o["code"] = picojson::value(std::string(code));
    return picojson::value(o);
}

// Whether a handshake message carries what its step needs: "auth" the program's name and
// version, "login" a name. Anything else is left to the table of connections to judge.
bool handshakeStepWellFormed(const std::string& code, const picojson::value& value) {
    std::string name, version;
    if (code == "auth")
        return getString(value, "name", name) && getString(value, "version", version) &&
               name == TGameController::kAuthName && version == TGameController::kAuthVersion;
    if (code == "login") return getString(value, "name", name);
    return true;
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

bool parseHostPort(const std::string& text, std::string& host, uint16_t& port) {
    const size_t colon = text.rfind(':');
    const std::string name = colon == std::string::npos ? text : text.substr(0, colon);
    if (name.empty() || name.size() > 255) return false;
    for (unsigned char c : name)
        if (c <= 0x20 || c == 0x7F || c == ':') return false;
    uint32_t number = port;
    if (colon != std::string::npos) {
        const std::string digits = text.substr(colon + 1);
        if (digits.empty() || digits.size() > 5) return false;
        number = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') return false;
            number = number * 10 + static_cast<uint32_t>(c - '0');
        }
        if (number < 1 || number > 65535) return false;
    }
    host = name;
    port = static_cast<uint16_t>(number);
    return true;
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
    peers_.setLimits(limits);
    guestLines_.setBudget(guestLogLines, guestLogWindowMs);
    controller_ = boost::make_shared<TGameController>(this);
    controller_->setListenHost(listenHost);
    controller_->setConnectTimeout(static_cast<int>(connectTimeoutMs));
    controller_->setMaxConnections(kMaxConnections);
    return controller_->start();
}

void TTaskNet::End() {
    log_.log("TTaskNet::End()");
    if (controller_) controller_->close();
    TTask::End();
}

bool TTaskNet::accept() {
    log_.log("TTaskNet::accept()");
    return controller_->listen(port, static_cast<int>(kListenBacklog));
}

bool TTaskNet::connect() {
    log_.log("TTaskNet::connect()");
    // The connection joins the table before the polling thread can read from it.
    auto socket = boost::dynamic_pointer_cast<TGameSocket>(controller_->createSocket());
    if (!socket || !socket->create() || !socket->connect(host, port, static_cast<int>(connectTimeoutMs))) return false;
    peers_.add(socket, host, platform::timeGetTime(), false, nullptr);
    socket->notifyConnect();
    return true;
}

int TTaskNet::sendAddClient(const Socket& socket, const std::string& name) {
    const int id = nextUserId_++;
    addClient(id, name);
    users_[id].socket = socket;
    log_.log("sendAddClient");
    picojson::value v = message("add_client");
    v.get<picojson::object>()["user_id"] = picojson::value(static_cast<double>(id));
    v.get<picojson::object>()["name"] = picojson::value(name);
    broadcast(v);
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
        picojson::value v = message("remove_client");
        v.get<picojson::object>()["user_id"] = picojson::value(static_cast<double>(id));
        broadcast(v);
    }
    return true;
}

void TTaskNet::sendRule(int option, bool fromHere) {
    const bool server = controller_->getMode() == 0;
    if (server || fromHere) {
        log_.log("sendRule");
        if (option >= 0 && option < mahjong::RO_COUNT) broadcast(ruleMessage(option));
    }
    if (server || !fromHere) {
        if (rule_.applyOption(option)) host_.redraw();
    }
}

void TTaskNet::sendLobby() { broadcast(message("lobby")); }

void TTaskNet::broadcast(const picojson::value& value) {
    // Serialised once; only connections that have logged in hear what the lobby says.
    const std::string text = toText(value);
    if (text.empty() || text.size() > static_cast<size_t>(kMaxFrameText)) return;
    for (const Socket& s : peers_.inStage(TLobbyPeers::LoggedIn)) s->sendString(text);
}

void TTaskNet::logGuest(const std::string& line) {
    if (guestLines_.allow(platform::timeGetTime())) log_.log(line);
}

std::string TTaskNet::nameFor(const std::string& asked, int id) const {
    // Nobody logs in under another user's name (the server's own included).
    const std::string base = asked.empty() ? "guest" : asked;
    bool taken = asked.empty();
    for (const auto& [other, user] : users_) taken |= user.name == base;
    return taken ? (boost::format("%1%(%2%)") % base % id).str() : base;
}

// ---- network threads: log and hand over --------------------------------------------------------

void TTaskNet::onAccept(TGameController*, const boost::shared_ptr<TAcceptor>&,
                        const boost::shared_ptr<TBufferdSocket>& socket) {
    logGuest("TTaskNet::onAccept()");
    auto game = boost::dynamic_pointer_cast<TGameSocket>(socket);
    if (!game) return;
    // A connection whose peer has already gone (one opened and closed at once) takes no one's
    // place: the system may hold many such for the acceptor.
    if (game->waiting() == platform::SocketWaiting::End) {
        logGuest("TTaskNet: a connection from " + game->peerAddress() + " ended before it was served");
        game->notifyDisconnect();
        return;
    }
    // Until its login a connection may only shake hands, in frames of a handshake's size.
    game->setMaxFrameText(kMaxHandshakeFrame);
    Socket evicted;
    if (peers_.add(game, game->peerAddress(), platform::timeGetTime(), true, &evicted) == TLobbyPeers::Refused) {
        logGuest("TTaskNet: a connection from " + game->peerAddress() + " is refused: the lobby keeps no place for it");
        game->notifyDisconnect();
        return;
    }
    if (evicted) {
        logGuest("TTaskNet: a connection from " + evicted->peerAddress() + " gives its place to one from " +
                 game->peerAddress());
        evicted->notifyDisconnect();
    }
    // Out at once rather than at the next poll: the sooner the peer can answer, the sooner its
    // place is its own.
    game->sendAuth();
    game->flush();
}

void TTaskNet::onConnect(TGameController*, const boost::shared_ptr<TBufferdSocket>&) {
    logGuest("TTaskNet::onConnect()");
}

void TTaskNet::onDisconnect(TGameController*, const boost::shared_ptr<TBufferdSocket>& socket) {
    auto game = boost::dynamic_pointer_cast<TGameSocket>(socket);
    TLobbyPeers::Stage stage = TLobbyPeers::AwaitAuth;
    if (game && peers_.stage(game, stage) && stage == TLobbyPeers::LoggedIn)
        log_.log("TTaskNet::onDisconnect()");
    else
        logGuest("TTaskNet::onDisconnect()");
    if (game) peers_.disconnected(game);
}

int TTaskNet::onRecvJson(TGameController*, const boost::shared_ptr<TBufferdSocket>& socket,
                         const picojson::value& value) {
    auto game = boost::dynamic_pointer_cast<TGameSocket>(socket);
    if (!game) return 0;
    TLobbyPeers::Stage stage = TLobbyPeers::AwaitAuth;
    const bool member = peers_.stage(game, stage) && stage == TLobbyPeers::LoggedIn;
    const auto say = [&](const std::string& line) { member ? log_.log(line) : logGuest(line); };
    std::string code;
    const bool hasCode = getString(value, "code", code);
    code = cleanChatText(code, kMaxName);
    say(hasCode ? "TTaskNet::onRecvJson() + " + code : "TTaskNet::onRecvJson() without a code");
    if (!hasCode && member) return 0;
    if (!member && controller_->getMode() == 0 && !handshakeStepWellFormed(code, value)) {
        logGuest(code + " error: a connection that has not logged in is closed");
        game->notifyDisconnect();
        return 0;
    }
    const uint32_t now = platform::timeGetTime();
    switch (peers_.receive(game, code, makeNote(value), now)) {
        case TLobbyPeers::Kept:
            // A server answers authentication as it arrives: it touches only this connection,
            // and a peer that has answered is no longer one of those that give their place up
            // first.
            if (!member && code == "auth" && controller_->getMode() == 0) {
                peers_.setStage(game, TLobbyPeers::Authed);
                logGuest("sendAuthComplete");
                peers_.asked(game, now);
                game->sendAuthComplete();
                game->flush();
            }
            break;
        case TLobbyPeers::Full:
            say("TTaskNet: a connection sends faster than the lobby reads: its messages are dropped");
            break;
        case TLobbyPeers::Forbidden:
            logGuest("TTaskNet: a connection that has not logged in sent \"" + code + "\": it is closed");
            game->notifyDisconnect();
            break;
        default:
            break;
    }
    return 0;
}

// ---- main thread ----------------------------------------------------------------------------

void TTaskNet::handleEvents() {
    for (TLobbyPeers::TItem& item : peers_.take(kMessagesPerFrame)) {
        if (!item.gone) {
            handleMessage(item.socket, item.value);
            continue;
        }
        if (controller_->getMode() == 0) {
            // A user whose machine has gone leaves the lobby, so that its place is free.
            for (const auto& [id, user] : users_) {
                if (user.socket == item.socket) {
                    sendRemoveClient(id);
                    break;
                }
            }
        } else {
            serverLost_ = true;
        }
    }
}

void TTaskNet::handleMessage(const Socket& socket, const picojson::value& value) {
    TLobbyPeers::Stage stage = TLobbyPeers::AwaitAuth;
    if (!peers_.stage(socket, stage) || socket->isClosed()) return;  // a connection already given up
    const bool server = controller_->getMode() == 0;
    const bool member = stage == TLobbyPeers::LoggedIn;
    const auto say = [&](const std::string& line) { member ? log_.log(line) : logGuest(line); };
    std::string code;
    getString(value, "code", code);

    if (code == "auth") {
        // A server answered a guest's as it arrived; a user does not authenticate again.
        if (server) {
            if (member) dropConnection(socket, "auth error");
            return;
        }
        std::string name, version;
        if (!getString(value, "name", name) || !getString(value, "version", version) ||
            name != TGameController::kAuthName || version != TGameController::kAuthVersion ||
            stage != TLobbyPeers::AwaitAuth) {
            dropConnection(socket, "auth error");
            return;
        }
        peers_.setStage(socket, TLobbyPeers::Authed);
        say("sendAuth");
        socket->sendAuth();
    } else if (code == "auth_complete") {
        if (server || stage != TLobbyPeers::Authed) {
            say("auth_complete error");
            return;
        }
        say("sendLogin");
        peers_.setStage(socket, TLobbyPeers::LoggingIn);
        socket->sendLogin(loginName);
    } else if (code == "login") {
        handleLogin(socket, value);
    } else if (code == "login_complete") {
        int id = 0;
        if (server || stage != TLobbyPeers::LoggingIn || !getInt(value, "user_id", id)) {
            say("login_complete error");
            return;
        }
        peers_.setStage(socket, TLobbyPeers::LoggedIn);
        ownUserId_ = id;
        loggedIn_ = true;
    } else if (code == "add_client") {
        int id = 0;
        std::string name;
        // The server tells a newcomer of itself before its login is complete.
        if (server || stage < TLobbyPeers::LoggingIn || !getInt(value, "user_id", id) ||
            !getString(value, "name", name) || (users_.size() >= static_cast<size_t>(kMaxUsers) && !users_.count(id))) {
            say("add_client error");
            return;
        }
        addClient(id, cleanChatText(name, kMaxName));
    } else if (code == "remove_client") {
        int id = 0;
        if (server || !member || !getInt(value, "user_id", id)) {
            say("remove_client error");
            return;
        }
        sendRemoveClient(id);
    } else if (code == "chat" || code == "rule") {
        // Chat and rule changes count only from connections that have logged in.
        if (!member) {
            say(code + " error");
            return;
        }
        if (code == "chat") {
            std::string name, text;
            if (!getString(value, "name", name) || !getString(value, "message", text)) {
                log_.log("chat error");
                return;
            }
            // A server shows a user's line under the name that user logged in with.
            if (server) {
                const auto user = users_.find(peers_.user(socket));
                name = user != users_.end() ? user->second.name : "?";
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

void TTaskNet::handleLogin(const Socket& socket, const picojson::value& value) {
    TLobbyPeers::Stage stage = TLobbyPeers::AwaitAuth;
    std::string name;
    const bool known = peers_.stage(socket, stage);
    if (controller_->getMode() != 0 || !known || stage == TLobbyPeers::LoggedIn) {
        if (stage == TLobbyPeers::LoggedIn)
            log_.log("login error");
        else
            logGuest("login error");
        return;
    }
    // A guest whose login fails gives its place up at once, not at the handshake's time-out.
    if (stage != TLobbyPeers::Authed || !getString(value, "name", name)) {
        dropConnection(socket, "login error: a connection that has not logged in is closed");
        return;
    }
    if (users_.size() >= static_cast<size_t>(kMaxUsers)) {
        dropConnection(socket, "login error: the lobby is full");
        return;
    }
    // Logged in before "add_client" goes out, so that the newcomer hears of itself.
    peers_.setStage(socket, TLobbyPeers::LoggedIn);
    socket->setMaxFrameText(kMaxFrameText);
    const int id = sendAddClient(socket, nameFor(cleanChatText(name, kMaxName), nextUserId_));
    peers_.setUser(socket, id);
    log_.log("sendLoginComplete");
    socket->sendLoginComplete(id);
    sendLobby();
    // The newcomer learns the rule as it stands, so both machines start alike.
    for (int option : optionsOf(rule_)) socket->sendJson(ruleMessage(option));
}

void TTaskNet::dropConnection(const Socket& socket, const std::string& why) {
    TLobbyPeers::Stage stage = TLobbyPeers::AwaitAuth;
    if (peers_.stage(socket, stage) && stage == TLobbyPeers::LoggedIn)
        log_.log(why);
    else
        logGuest(why);
    socket->notifyDisconnect();
}

void TTaskNet::checkConnections() {
    if (!controller_ || controller_->getMode() != 0) return;
    const uint32_t now = platform::timeGetTime();
    for (const Socket& s : peers_.expired(now, handshakeTimeoutMs)) dropConnection(s, "handshake time-out");
    if (const size_t n = guestLines_.leftOut(now))
        log_.log(
            (boost::format("TTaskNet: %1% lines about connections that had not logged in were left out") % n).str());
}

void TTaskNet::pump() {
    if (!controller_) return;
    handleEvents();
    checkConnections();
}

void TTaskNet::failBackToQuestion(const std::string& why) {
    log_.log(why);
    host_.report(why);
    controller_->shutdown();
    peers_.clear();
    users_.clear();
    loggedIn_ = false;
    serverLost_ = false;
    retryWaits_ = true;
    failedAt_ = platform::timeGetTime();
    setSubStep(100);
}

void TTaskNet::update() {
    pump();
    if (serverLost_) {
        serverLost_ = false;
        if (subStep() == 131) failBackToQuestion("The server closed the connection.");
    }
    // Lines logged on any thread ask for the screen here, on the frame's own thread.
    if (log_.takeChanged()) host_.redraw();
    std::string text;
    if (host_.chatRequested(text)) {
        text = cleanChatText(text, kMaxChat);
        if (!text.empty()) {
            picojson::value v = message("chat");
            v.get<picojson::object>()["name"] = picojson::value(std::string("guest"));
            v.get<picojson::object>()["message"] = picojson::value(text);
            broadcast(v);
        }
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
            if (retryWaits_ &&
                platform::timeDiff(platform::timeGetTime(), failedAt_) < static_cast<int32_t>(retryWaitMs))
                break;
            retryWaits_ = false;
            // The question stands over the lobby's own screen, not over a fade.
            if (host_.readyToAsk()) setSubStep(110);
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
            host_.resetCursor();
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
            host_.resetCursor();
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
                    TRandom& r = random ? *random : ownRandom_;
                    do {
                        k = static_cast<int>(r.next() % 14);
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
