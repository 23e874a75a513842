// Network play over loopback: two controllers talking, raw peers sending malformed frames, the
// frame reader fed in every split, the log, and two lobbies agreeing on a rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <boost/make_shared.hpp>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <tuple>

#include "net/game_controller.h"
#include "net/log.h"
#include "platform/clock.h"
#include "platform/socket.h"
#include "support/free_port.h"
#include "support/test_support.h"

using namespace net;

namespace {

// Waits (in real time, bounded) for a condition that other threads make true.
bool eventually(const std::function<bool()>& ready, int ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (ready()) return true;
        platform::realSleepMs(2);
    }
    return ready();
}

struct Recorder : TGameController::TListener {
    std::mutex m;
    std::vector<std::string> messages;  // serialised, in arrival order
    int accepts = 0, connects = 0, disconnects = 0;
    bool authOnAccept = false;

    void onAccept(TGameController*, const boost::shared_ptr<TAcceptor>&,
                  const boost::shared_ptr<TBufferdSocket>& s) override {
        std::lock_guard<std::mutex> l(m);
        ++accepts;
        if (authOnAccept) boost::static_pointer_cast<TGameSocket>(s)->sendAuth();
    }
    void onConnect(TGameController*, const boost::shared_ptr<TBufferdSocket>&) override {
        std::lock_guard<std::mutex> l(m);
        ++connects;
    }
    void onDisconnect(TGameController*, const boost::shared_ptr<TBufferdSocket>&) override {
        std::lock_guard<std::mutex> l(m);
        ++disconnects;
    }
    int onRecvJson(TGameController*, const boost::shared_ptr<TBufferdSocket>&, const picojson::value& v) override {
        std::lock_guard<std::mutex> l(m);
        messages.push_back(v.serialize());
        return 0;
    }
    size_t count() {
        std::lock_guard<std::mutex> l(m);
        return messages.size();
    }
    std::string at(size_t i) {
        std::lock_guard<std::mutex> l(m);
        return i < messages.size() ? messages[i] : "";
    }
    int disconnected() {
        std::lock_guard<std::mutex> l(m);
        return disconnects;
    }
};

boost::shared_ptr<TGameController> server(Recorder& r) {
    auto c = boost::make_shared<TGameController>(&r);
    c->setListenHost("127.0.0.1");
    c->setMode(0);
    EXPECT_TRUE(c->start());
    EXPECT_TRUE(c->listen(0, 10));
    return c;
}

// A peer that speaks raw bytes, as another program would.
struct RawPeer {
    platform::SocketHandle h = platform::socketCreate();
    explicit RawPeer(uint16_t port) { EXPECT_TRUE(platform::socketConnect(h, "127.0.0.1", port, 2000)); }
    ~RawPeer() { platform::socketClose(h); }
    void send(const std::string& bytes) {
        size_t done = 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (done < bytes.size() && std::chrono::steady_clock::now() < end) {
            const int n = platform::socketSend(h, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += static_cast<size_t>(n);
            else if (n == platform::kSocketError)
                return;
            else
                platform::realSleepMs(1);
        }
    }
    // True once the other side has closed the connection.
    // True once the other side has closed the connection.
    bool closedNow() {
        char b[256];
        int n;
        while ((n = platform::socketRecv(h, b, sizeof b)) > 0) {}
        return n == 0 || n == platform::kSocketError;
    }
    bool closedByPeer() {
        return eventually([&] { return closedNow(); });
    }
    // What has arrived so far, without waiting.
    std::string available() {
        std::string out;
        char b[4096];
        int got;
        while ((got = platform::socketRecv(h, b, sizeof b)) > 0) out.append(b, static_cast<size_t>(got));
        return out;
    }
    std::string receive(size_t n) {
        std::string out;
        eventually([&] {
            char b[256];
            const int got = platform::socketRecv(h, b, std::min(sizeof b, n - out.size()));
            if (got > 0) out.append(b, static_cast<size_t>(got));
            return out.size() >= n;
        });
        return out;
    }
};

std::string le32(int32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return s;
}

}  // namespace

TEST(Transport, TwoControllersExchangeFramesBothWays) {
    Recorder sr, cr;
    sr.authOnAccept = true;
    auto s = server(sr);
    auto c = boost::make_shared<TGameController>(&cr);
    c->setMode(1);
    ASSERT_TRUE(c->start());
    auto sock = c->connect("127.0.0.1", s->listeningPort());
    ASSERT_TRUE(sock);
    ASSERT_TRUE(eventually([&] { return cr.count() == 1; }));
    // The slash travels escaped, as the writer has always sent it.
    EXPECT_EQ(cr.at(0), R"({"code":"auth","name":"mahjong","version":"2010\/01\/01"})");

    boost::static_pointer_cast<TGameSocket>(sock)->sendLoginComplete(2);
    s->sendRule(3, "hanchan");
    s->sendChat("guest", "hello");
    ASSERT_TRUE(eventually([&] { return sr.count() == 1 && cr.count() == 3; }));
    int id = 0;
    EXPECT_TRUE(getInt(picojson::value(parseMessage(sr.at(0).data(), sr.at(0).size())), "user_id", id));
    EXPECT_EQ(id, 2);
    EXPECT_EQ(cr.at(1), R"({"code":"rule","label":"hanchan","rule":3})");
    EXPECT_EQ(cr.at(2), R"({"code":"chat","message":"hello","name":"guest"})");

    c->close();
    EXPECT_TRUE(eventually([&] { return sr.disconnected() == 1 && s->socketCount() == 0; }));
}

TEST(Transport, FramesAreByteExactAndNumbersReadAsWritten) {
    Recorder sr;
    sr.authOnAccept = true;
    auto s = server(sr);
    RawPeer peer(s->listeningPort());
    const std::string auth = R"({"code":"auth","name":"mahjong","version":"2010\/01\/01"})";
    EXPECT_EQ(peer.receive(auth.size() + 4), le32(static_cast<int32_t>(auth.size())) + auth);
    // Numbers as an older writer printed them.
    peer.send(makeFrame(R"({"code":"login_complete","user_id":2.000000})"));
    ASSERT_TRUE(eventually([&] { return sr.count() == 1; }));
    const std::string got = sr.at(0);
    int id = 0;
    EXPECT_TRUE(getInt(parseMessage(got.data(), got.size()), "user_id", id));
    EXPECT_EQ(id, 2);
}

TEST(Transport, MalformedFramesDropOnlyTheirConnection) {
    Recorder sr;
    auto s = server(sr);
    RawPeer good(s->listeningPort());
    const std::vector<std::string> bad = {le32(0), le32(-5), le32(kMaxFrameText + 1), le32(INT32_MIN) + "xx"};
    for (const std::string& frame : bad) {
        RawPeer peer(s->listeningPort());
        peer.send(frame);
        EXPECT_TRUE(peer.closedByPeer());
    }
    // Bad text is reported and the connection goes on.
    good.send(makeFrame("{\"code\":") + makeFrame("[1e999]") + makeFrame(R"({"code":7})") +
              makeFrame(R"({"code":"chat","name":"a","message":"b"})") + "\x05\x00");
    ASSERT_TRUE(eventually([&] { return sr.count() == 4; }));
    EXPECT_EQ(sr.at(0).rfind("{\"error\":", 0), 0u);
    EXPECT_EQ(sr.at(1).rfind("{\"error\":", 0), 0u);
    EXPECT_EQ(sr.at(2), R"({"code":7})");
    EXPECT_EQ(s->socketCount(), 1u);
    std::string code = "unchanged";
    EXPECT_FALSE(getString(parseMessage(R"({"code":7})", 10), "code", code));
    int n = 0;
    EXPECT_FALSE(getInt(parseMessage(R"({"user_id":1e300})", 18), "user_id", n));
    EXPECT_FALSE(getInt(parseMessage(R"({"user_id":"2"})", 15), "user_id", n));
    EXPECT_EQ(code, "unchanged");
}

TEST(Transport, FramesSplitAtEveryByteArriveOnceAndWhole) {
    Recorder r;
    auto c = boost::make_shared<TGameController>(&r);
    const std::string stream = makeFrame(R"({"code":"auth"})") + makeFrame(R"({"code":"chat","message":"x"})") +
                               makeFrame(R"({"code":"lobby"})");
    for (size_t a = 0; a <= stream.size(); ++a) {
        for (size_t b = a; b <= stream.size(); b += 7) {
            auto sock = boost::static_pointer_cast<TBufferdSocket>(c->createSocket());
            r.messages.clear();
            sock->notifyRecv(stream.data(), static_cast<int>(a));
            sock->notifyRecv(stream.data() + a, static_cast<int>(b - a));
            sock->notifyRecv(stream.data() + b, static_cast<int>(stream.size() - b));
            ASSERT_EQ(r.messages.size(), 3u) << a << " " << b;
            EXPECT_EQ(r.messages[1], R"({"code":"chat","message":"x"})");
            EXPECT_EQ(sock->pendingRecv(), 0u);
        }
    }
}

TEST(Transport, AFloodFromSeveralPeersStaysWithinTheCaps) {
    Recorder sr;
    auto s = server(sr);
    constexpr int kPeers = 4, kFrames = 25000;
    std::string burst;
    for (int i = 0; i < 1000; ++i) burst += makeFrame(R"({"code":"chat","name":"f","message":"flood"})");
    std::vector<std::unique_ptr<RawPeer>> peers;
    for (int p = 0; p < kPeers; ++p) peers.push_back(std::make_unique<RawPeer>(s->listeningPort()));
    std::vector<std::thread> senders;
    for (auto& p : peers)
        senders.emplace_back([&burst, peer = p.get()] {
            for (int i = 0; i < kFrames / 1000; ++i) peer->send(burst);
        });
    for (auto& t : senders) t.join();
    ASSERT_TRUE(eventually([&] { return sr.count() == size_t{kPeers} * kFrames; }, 60000));
    EXPECT_EQ(s->socketCount(), size_t{kPeers});
}

TEST(Sockets, ABufferedSocketRefusesSendsOnceClosedAndCapsItsBuffer) {
    auto c = boost::make_shared<TBufferdController>();
    auto s = boost::static_pointer_cast<TBufferdSocket>(c->createSocket());
    std::string big(TBufferdSocket::kMaxSendBuffer, 'x');
    EXPECT_EQ(s->send(big.data(), static_cast<int>(big.size())), static_cast<int>(big.size()));
    EXPECT_EQ(s->send("y", 1), -1);  // past the cap: the peer does not read
    EXPECT_TRUE(s->isClosed());
    EXPECT_EQ(s->send("y", 1), -1);
    EXPECT_EQ(s->pendingSend(), big.size());
}

TEST(Sockets, ListenFailsOnAPortInUseAndConnectFailsWithoutAServer) {
    Recorder r;
    auto a = server(r);
    auto b = boost::make_shared<TGameController>(&r);
    b->setListenHost("127.0.0.1");
    // A second listener on a port in use is reported, not silently lost.
    const uint16_t port = a->listeningPort();
    const uint16_t freePort = mjtest::freePort();
    EXPECT_NE(freePort, 0);
    EXPECT_TRUE(b->connect("127.0.0.1", port) != nullptr);
    b->setConnectTimeout(500);
    EXPECT_FALSE(b->connect("127.0.0.1", freePort));
    EXPECT_FALSE(b->connect("no.such.host.invalid", port));
}

TEST(Log, LinesAreStampedAppendedAndTheNewestTenDrawn) {
    mjtest::TempDir dir;
    const auto path = dir.path() / "net.log";
    { std::ofstream(path) << "earlier run\n"; }
    TLog log;
    log.setTime([] { return platform::localToUnixTime(2010, 1, 1, 12, 0, 0, -1); });
    ASSERT_TRUE(log.open(path.string()));
    log.log("TTaskNet::Start()");
    EXPECT_EQ(log.history().back(), "2010/01/01 12:00:00 - TTaskNet::Start()");
    for (int i = 0; i < 1200; ++i) log.log("line " + std::to_string(i));
    EXPECT_EQ(log.history().size(), TLog::kMaxHistory);
    std::vector<std::pair<std::string, int>> drawn;
    log.setTextOut([&](const std::string& t, int x, int y, uint32_t colour, int depth) {
        EXPECT_EQ(x, 20);
        EXPECT_EQ(colour, 0xFFC8C8C8u);
        EXPECT_EQ(depth, 255);
        drawn.emplace_back(t, y);
    });
    log.draw(20, 20, 255);
    ASSERT_EQ(drawn.size(), 10u);
    EXPECT_EQ(drawn.front(), std::make_pair(std::string("2010/01/01 12:00:00 - line 1190"), 20));
    EXPECT_EQ(drawn.back().second, 200);

    // Lines from several threads never interleave in the file.
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&log] {
            for (int i = 0; i < 200; ++i) log.log(std::string(40, 'z'));
        });
    for (auto& t : threads) t.join();
    std::ifstream in(path);
    std::string first, line;
    std::getline(in, first);
    EXPECT_EQ(first, "earlier run");
    int lines = 0;
    while (std::getline(in, line)) {
        ++lines;
        EXPECT_EQ(line.rfind("2010/01/01 12:00:00 - ", 0), 0u);
    }
    EXPECT_EQ(lines, 1 + 1200 + 600);
    std::filesystem::remove(path);
}

// ---- the lobby ----------------------------------------------------------------------------------

#include "net/lobby.h"
#include "net/lobby_peers.h"

namespace {

struct ScriptedHost : TLobbyHost {
    bool serve = true;
    std::function<int()> rule = [] { return -1; };
    std::function<int()> character = [] { return -1; };
    std::vector<std::string> chats, reports;
    std::vector<std::vector<int>> matches;
    mahjong::TRule matchRule;
    bool atTitle = false;

    bool askServe() override { return serve; }
    void report(const std::string& text) override { reports.push_back(text); }
    int ruleChoice() override { return rule(); }
    int characterChoice() override { return character(); }
    bool chatRequested(std::string& text) override {
        if (chats.empty()) return false;
        text = chats.front();
        chats.erase(chats.begin());
        return true;
    }
    void startMatch(const mahjong::TRule& r, const std::vector<int>& seats) override {
        matchRule = r;
        matches.push_back(seats);
    }
    bool matchFinished(bool& cont) override {
        cont = false;
        return true;
    }
    void returnToTitle() override { atTitle = true; }
};

// Runs the lobbies' frames until done() or a bounded time has passed.
bool runFrames(std::vector<TTaskNet*> lobbies, const std::function<bool()>& done, int ms = 5000) {
    return eventually(
        [&] {
            for (TTaskNet* l : lobbies) l->update();
            return done();
        },
        ms);
}

bool logged(TLog& log, const std::string& text) {
    for (const std::string& line : log.history())
        if (line.find(text) != std::string::npos) return true;
    return false;
}

struct Server {
    ScriptedHost host;
    TLog log;
    TTaskNet lobby{host, log};
    Server() {
        lobby.listenHost = "127.0.0.1";
        lobby.port = 0;
        EXPECT_TRUE(lobby.Start());
        runFrames({&lobby}, [&] { return lobby.subStep() >= 200; });
    }
    uint16_t port() { return lobby.controller()->listeningPort(); }
};

}  // namespace

TEST(Lobby, TwoMachinesLogInChatAgreeOnTheRuleAndStartAlike) {
    Server s;
    // The server changes the rule before anyone joins; the client must still learn it.
    int serverRuleClicks = 0;
    s.host.rule = [&] { return serverRuleClicks++ == 0 ? 3 : -1; };  // kuitan off
    runFrames({&s.lobby}, [&] { return !s.lobby.rule().openTanyao; });

    ScriptedHost ch;
    ch.serve = false;
    TLog clog;
    TTaskNet client(ch, clog);
    client.port = s.port();
    ASSERT_TRUE(client.Start());
    int clientClicks = 0;
    ch.rule = [&] { return clientClicks++ == 0 ? 0 : (client.rule().gameLength == 0 ? 4 : -1); };
    ch.character = [&] { return client.chosen().size() < 4 ? 4 + 14 : 0; };
    s.host.rule = [&] { return s.lobby.rule().gameLength == 0 ? 4 : -1; };
    s.host.character = [&] { return s.lobby.chosen().size() < 4 ? 4 + static_cast<int>(s.lobby.chosen().size()) : 0; };

    // Chat typed before joining goes nowhere; once logged in it reaches the server.
    ASSERT_TRUE(runFrames({&s.lobby, &client}, [&] { return client.loggedIn(); }));
    ch.chats = {"hello\x01\x7f", std::string("\x82\xa0\x82", 3)};
    ASSERT_TRUE(runFrames({&s.lobby, &client}, [&] { return !s.host.matches.empty() && !ch.matches.empty(); }));
    EXPECT_EQ(client.ownUserId(), 2);
    EXPECT_EQ(s.lobby.users().size(), 2u);
    EXPECT_EQ(s.lobby.users().at(2).name, "name test ");
    EXPECT_TRUE(s.host.matchRule == ch.matchRule);
    EXPECT_EQ(ch.matchRule.gameLength, 0);
    EXPECT_FALSE(ch.matchRule.openTanyao);
    EXPECT_EQ(s.host.matches[0], (std::vector<int>{0, 1, 2, 3}));
    std::vector<int> picked = ch.matches[0];
    std::sort(picked.begin(), picked.end());
    EXPECT_EQ(std::unique(picked.begin(), picked.end()), picked.end());  // random picks differ
    // Chat carries the name the server gave the user, whatever name the line claims.
    ASSERT_TRUE(runFrames({&s.lobby}, [&] { return logged(s.log, "<chat> name test :\x82\xa0"); }));
    EXPECT_TRUE(logged(s.log, "<chat> name test :hello"));
    EXPECT_FALSE(logged(s.log, "hello\x01"));
    // After the match both go back to the title.
    ASSERT_TRUE(runFrames({&s.lobby, &client}, [&] { return s.host.atTitle && ch.atTitle; }));
    client.End();
    s.lobby.End();
}

TEST(Lobby, AServerRefusesPeersThatBreakTheProtocol) {
    Server s;
    s.lobby.handshakeTimeoutMs = 300;
    const auto frame = [](const std::string& t) { return makeFrame(t); };
    const std::string auth = R"({"code":"auth","name":"mahjong","version":"2010/01/01"})";

    RawPeer silent(s.port());
    RawPeer wrongVersion(s.port());
    wrongVersion.send(frame(R"({"code":"auth","name":"mahjong","version":"1999"})"));
    RawPeer early(s.port());
    early.send(frame(auth) + frame(R"({"code":"rule","rule":0,"label":"player_2"})"));
    auto member = std::make_unique<RawPeer>(s.port());
    member->send(frame(auth) + frame(R"({"code":"login","name":"m\u0001e"})") +
                 frame(R"({"code":"rule","rule":99,"label":""})") + frame(R"({"code":"rule","rule":"2"})") +
                 frame(R"({"code":"rule","rule":1e300})") + frame(R"({"code":"add_client","user_id":5,"name":"x"})") +
                 frame(R"({"code":"chat","name":7,"message":"x"})") + frame(R"({"code":"login","name":"again"})"));
    EXPECT_TRUE(runFrames({&s.lobby}, [&] { return logged(s.log, "auth error"); }));
    EXPECT_TRUE(wrongVersion.closedByPeer());
    // The silent peer and the one that authenticated but never logged in are timed out.
    EXPECT_TRUE(runFrames({&s.lobby}, [&] { return silent.closedNow() && early.closedNow(); }));
    EXPECT_TRUE(runFrames({&s.lobby}, [&] { return logged(s.log, "login error"); }));
    EXPECT_TRUE(logged(s.log, "rule error"));
    EXPECT_TRUE(logged(s.log, "add_client error"));
    EXPECT_TRUE(logged(s.log, "chat error"));
    EXPECT_EQ(s.lobby.rule().players, 4);  // nothing from the early peer or the bad options
    ASSERT_EQ(s.lobby.users().size(), 2u);
    EXPECT_EQ(s.lobby.users().at(2).name, "me");

    // The member leaves: its place in the lobby is freed and the others are told.
    member.reset();
    EXPECT_TRUE(runFrames({&s.lobby}, [&] { return s.lobby.users().size() == 1; }));
    s.lobby.End();
}

TEST(Lobby, AClientWithoutAServerOrAnswerGoesBackToTheQuestion) {
    platform::SocketHandle mute = platform::socketCreate();
    ASSERT_TRUE(platform::socketBind(mute, "127.0.0.1", 0));
    ASSERT_TRUE(platform::socketListen(mute, 1));
    const uint16_t port = platform::socketLocalPort(mute);

    ScriptedHost h;
    h.serve = false;
    TLog log;
    TTaskNet client(h, log);
    client.port = port;
    client.loginTimeoutMs = 200;
    ASSERT_TRUE(client.Start());
    // Accepted by the kernel, never answered: the login wait ends.
    EXPECT_TRUE(runFrames({&client}, [&] { return h.reports.size() == 1; }));
    EXPECT_EQ(client.subStep(), 100);
    platform::socketClose(mute);
    EXPECT_TRUE(runFrames({&client}, [&] { return h.reports.size() == 2; }));
    EXPECT_EQ(h.reports[1], "The server cannot be reached.");

    // A server that cannot listen says so.
    Server s;
    ScriptedHost h2;
    TLog log2;
    TTaskNet second(h2, log2);
    second.listenHost = "127.0.0.1";
    second.port = s.port();
    ASSERT_TRUE(second.Start());
    EXPECT_TRUE(runFrames({&second}, [&] { return h2.reports.size() == 1; }));
    EXPECT_EQ(h2.reports[0], "This machine cannot serve the lobby.");
    second.End();
    client.End();
    s.lobby.End();
}

// A question answered at once (as when no message box can be shown) and a server that is not
// there: the lobby asks again only after its retry wait, not every frame.
TEST(Lobby, AFailedConnectionIsTriedAgainOnlyAfterTheRetryWait) {
    const uint16_t port = mjtest::freePort();  // nobody listens there: every connection is refused
    ASSERT_NE(port, 0);

    struct CountingHost : ScriptedHost {
        int asked = 0;
        bool askServe() override {
            ++asked;
            return false;
        }
    } h;
    TLog log;
    TTaskNet client(h, log);
    client.port = port;
    client.retryWaitMs = 300;
    ASSERT_TRUE(client.Start());
    const uint32_t start = platform::timeGetTime();
    runFrames(
        {&client}, [] { return false; }, 1000);
    const uint32_t elapsed = platform::timeGetTime() - start;
    EXPECT_GE(h.asked, 2);
    EXPECT_LE(h.asked, static_cast<int>(elapsed / client.retryWaitMs) + 1);
    EXPECT_EQ(h.reports.size(), static_cast<size_t>(h.asked) - (client.subStep() == 100 ? 0 : 1));
    client.End();
}

TEST(Lobby, ChatTextIsWholeShiftJisWithoutControlsAndCapped) {
    EXPECT_EQ(cleanChatText("a\tb\x1b[31mc\x7f", 100), "ab[31mc");
    EXPECT_EQ(cleanChatText(std::string("\x82\xa0\x82", 3), 100), "\x82\xa0");  // a lead byte alone
    EXPECT_EQ(cleanChatText(std::string("\x82\x0a\xb1", 3), 100), "\xb1");      // half-width kana stays
    EXPECT_EQ(cleanChatText("ab\x82\xa0", 3), "ab");                            // never half a character
    EXPECT_EQ(cleanChatText(std::string(2000, 'x'), TTaskNet::kMaxChat).size(), TTaskNet::kMaxChat);
    EXPECT_STREQ(ruleLabel(8), "red_5each+");
    EXPECT_STREQ(ruleLabel(18), "");
}

TEST(Lobby, APeerWrittenApartExchangesByteExactFrames) {
    Server s;
    const std::string script = (mjtest::sourceDir() / "tests/net/peer.py").string();
    int rc = -1;
    std::atomic<bool> done{false};
    std::thread peer([&] {
        rc = std::system(("python3 '" + script + "' " + std::to_string(s.port())).c_str());
        done = true;
    });
    runFrames(
        {&s.lobby}, [&] { return done.load(); }, 20000);
    peer.join();
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(s.lobby.rule().gameLength, 0);
    EXPECT_FALSE(s.lobby.rule().openTanyao);
    EXPECT_TRUE(logged(s.log, "<chat> py:hi"));
    s.lobby.End();
}

TEST(Lobby, AFloodFromSeveralPeersKeepsTheLobbyServingWithinItsCaps) {
    // 100,000 chat frames from four logged-in peers; the frame time under such a flood is
    // measured by the lobby flood benchmark.
    constexpr int kPeers = 4;
    constexpr int kBursts = 25;
    Server s;
    std::vector<std::unique_ptr<RawPeer>> peers;
    for (int p = 0; p < kPeers; ++p) {
        peers.push_back(std::make_unique<RawPeer>(s.port()));
        peers.back()->send(makeFrame(R"({"code":"auth","name":"mahjong","version":"2010/01/01"})") +
                           makeFrame(R"({"code":"login","name":"f"})"));
    }
    ASSERT_TRUE(runFrames({&s.lobby}, [&] { return s.lobby.users().size() == kPeers + 1; }));
    std::string burst;
    for (int i = 0; i < 1000; ++i) burst += makeFrame(R"({"code":"chat","name":"f","message":"flood"})");
    std::atomic<int> finished{0};
    std::vector<std::thread> senders;
    for (auto& peer : peers)
        senders.emplace_back([&, raw = peer.get()] {
            for (int i = 0; i < kBursts; ++i) raw->send(burst);
            ++finished;
        });
    size_t longestHistory = 0;
    runFrames(
        {&s.lobby},
        [&] {
            longestHistory = std::max(longestHistory, s.log.history().size());
            return finished.load() == kPeers;
        },
        60000);
    for (std::thread& t : senders) t.join();
    // What was queued drains, and the lobby still hears a peer afterwards.
    for (int i = 0; i < 64; ++i) s.lobby.update();
    EXPECT_EQ(finished.load(), kPeers);
    EXPECT_EQ(s.lobby.users().size(), static_cast<size_t>(kPeers + 1)) << "nobody was dropped";
    EXPECT_LE(longestHistory, TLog::kMaxHistory);
    // The rule change queues behind what is left of that peer's flood, which a thread-checked
    // build drains slowly: the wait is long, the order is what counts.
    peers[2]->send(makeFrame(R"({"code":"rule","rule":13,"label":"kuitan_nasi"})"));
    EXPECT_TRUE(runFrames(
        {&s.lobby}, [&] { return !s.lobby.rule().openTanyao; }, 60000));
    s.lobby.End();
}

// ---- the table of connections, against a model of its rules ------------------------------------

TEST(LobbyPeers, RandomTrafficKeepsEveryCapGivesPlacesFairlyAndServesConnectionsInTurn) {
    using P = TLobbyPeers;
    P::TLimits lim;
    lim.pendingPerAddress = 3, lim.pending = 7, lim.pendingQueueBytes = 900, lim.queueBytes = 1800;
    auto controller = boost::make_shared<TGameController>(nullptr);
    struct Conn {
        P::Socket s;
        std::string address;
        P::Stage stage = P::AwaitAuth;
        int heard = 0;
        uint32_t since = 0, askedAt = 0;
        bool spoke = false, unread = false, gone = false, fullSaid = false, goneTaken = false;
        std::deque<std::string> queue;
        size_t bytes = 0;
    };
    std::mt19937 rng(7);
    const auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
    for (int round = 0; round < 150; ++round) {
        std::vector<Conn> m;  // oldest first, as the table keeps them
        P peers(lim, [&](const P::Socket& s) {
            return std::any_of(m.begin(), m.end(), [&](const Conn& k) { return k.s == s && k.unread; });
        });
        const auto held = [&](const std::string* a) {
            return std::count_if(m.begin(), m.end(), [&](const Conn& c) {
                return !c.gone && c.stage != P::LoggedIn && (!a || c.address == *a);
            });
        };
        uint32_t now = 1000;
        for (int op = 0; op < 150; ++op) {
            now += pick(4) == 0 ? 0 : 1 + pick(40);  // some in the same millisecond
            Conn* c = m.empty() ? nullptr : &m[pick(m.size())];
            const size_t kind = pick(12);
            switch (kind > 8 ? 0 : kind > 5 ? 1 : kind) {  // newcomers and messages most often
                case 0: {  // a newcomer, from more addresses than there are places: a free place, or another's
                    Conn n;
                    n.s = boost::static_pointer_cast<TGameSocket>(controller->createSocket());
                    n.address = "10.0.0." + std::to_string(pick(12));
                    n.since = n.askedAt = now;
                    const long mine = held(&n.address);
                    Conn* victim = nullptr;
                    bool admitted = held(nullptr) < 7 && mine < 3;
                    if (!admitted) {
                        // Its own address's at the cap, else any of an address holding as many or
                        // more: silent with nothing unread, then silent, then answered; silent
                        // longest (asked longest ago), of the address holding most, oldest.
                        using Key = std::tuple<int, uint32_t, long, size_t>;
                        std::optional<Key> best;
                        for (size_t i = 0; i < m.size(); ++i) {
                            const Conn& k = m[i];
                            if (k.gone || k.stage == P::LoggedIn) continue;
                            if (mine >= 3 ? k.address != n.address : held(&k.address) < mine) continue;
                            const int group = k.spoke ? 2 : k.unread ? 1 : 0;
                            const Key key{group, k.askedAt, group < 2 ? -held(&k.address) : 0, i};
                            if (!best || key < *best) best = key, victim = &m[i];
                        }
                        admitted = victim != nullptr;
                        EXPECT_TRUE(admitted) << "a newcomer always finds a place";
                    }
                    P::Socket evicted;
                    ASSERT_EQ(peers.add(n.s, n.address, now, true, &evicted), admitted ? P::Admitted : P::Refused);
                    ASSERT_EQ(evicted, victim ? victim->s : nullptr);
                    if (victim) m.erase(m.begin() + (victim - m.data()));
                    if (admitted) m.push_back(n);
                    for (const Conn& k : m) ASSERT_LE(held(&k.address), 3);
                    ASSERT_LE(held(nullptr), 7);
                    break;
                }
                case 1: {  // a message: only the handshake's next step before the login
                    if (!c) break;
                    const char* codes[] = {"auth", "login", "chat"};
                    const std::string code = codes[pick(3)];
                    const std::string text = code + std::to_string(op);
                    TNote note = makeNote(picojson::value(
                        picojson::object{{"code", picojson::value(code)},
                                         {"message", picojson::value(text + std::string(pick(400), 'x'))}}));
                    int heard = c->heard;
                    P::Receipt want = P::Kept;
                    if (c->gone)
                        want = P::Unknown;
                    else if (heard < 2 && code != (heard++ == 0 ? "auth" : "login"))
                        want = P::Forbidden;
                    else if (c->bytes + note.bytes > (heard >= 2 ? 1800u : 900u))
                        want = c->fullSaid ? P::Dropped : P::Full;
                    const size_t bytes = note.bytes;
                    ASSERT_EQ(peers.receive(c->s, code, std::move(note), now), want) << code << " " << c->heard;
                    if (want == P::Unknown || want == P::Forbidden) break;
                    c->heard = heard;
                    c->spoke = true;
                    c->unread = false;
                    if (want == P::Kept) c->queue.push_back(text), c->bytes += bytes;
                    if (want == P::Full) c->fullSaid = true;
                    break;
                }
                case 2:  // a connection ends: what it sent goes with it, and a guest with it
                    if (c && !c->gone) peers.disconnected(c->s), c->gone = true, c->queue.clear(), c->bytes = 0;
                    if (c && c->stage != P::LoggedIn) m.erase(m.begin() + (c - m.data()));
                    break;
                case 3: {  // the frame takes messages: one from each connection in turn
                    const size_t max = pick(8);
                    const auto items = peers.take(max);
                    std::map<TGameSocket*, int> served;
                    for (const auto& item : items) {
                        auto it = std::find_if(m.begin(), m.end(), [&](const Conn& k) { return k.s == item.socket; });
                        ASSERT_NE(it, m.end());
                        ++served[item.socket.get()];
                        if (item.gone) {
                            EXPECT_TRUE(it->gone && !it->goneTaken);
                            it->goneTaken = true;
                            continue;
                        }
                        std::string text;
                        ASSERT_TRUE(getString(item.value, "message", text) && !it->queue.empty());
                        EXPECT_EQ(text.substr(0, it->queue.front().size()), it->queue.front()) << "in arrival order";
                        it->bytes -= makeNote(item.value).bytes;
                        it->queue.pop_front();
                        if (it->queue.empty()) it->fullSaid = false;
                    }
                    for (const Conn& k : m) {
                        if (k.queue.empty()) continue;
                        EXPECT_EQ(items.size(), max) << "nothing is left behind";
                        for (const auto& [s, n] : served) EXPECT_LE(n, served[k.s.get()] + 1) << "one each in turn";
                    }
                    std::erase_if(m, [](const Conn& k) { return k.goneTaken; });
                    break;
                }
                case 4: {  // the lobby asks its next question; those too slow to log in go
                    if (c && !c->gone) peers.asked(c->s, now), c->askedAt = now, c->spoke = false;
                    std::vector<P::Socket> late;
                    for (const Conn& k : m)
                        if (!k.gone && k.stage != P::LoggedIn && now - k.since > 1500) late.push_back(k.s);
                    ASSERT_EQ(peers.expired(now, 1500), late);
                    break;
                }
                case 5:  // bytes arrive, not read yet; or a connection that sent its login is logged in
                    if (c && pick(2))
                        c->unread = true;
                    else if (c && !c->gone && c->heard >= 2)
                        peers.setStage(c->s, P::LoggedIn), c->stage = P::LoggedIn;
                    break;
            }
            for (const Conn& k : m) ASSERT_LE(k.bytes, k.heard >= 2 ? 1800u : 900u);
        }
    }
}

// ---- hostile peers ----------------------------------------------------------------------------

TEST(Lobby, PeersThatHaveNotLoggedInMayOnlyShakeHandsAndHearNothingElse) {
    Server s;
    const std::string auth = makeFrame(R"({"code":"auth","name":"mahjong","version":"2010/01/01"})");
    const std::string serverAuth = makeFrame(R"({"code":"auth","name":"mahjong","version":"2010\/01\/01"})");
    // One answers "auth" and goes no further; it must hear nothing the lobby says to its users.
    RawPeer halfway(s.port());
    halfway.send(auth);
    EXPECT_TRUE(runFrames({&s.lobby}, [&] { return s.lobby.peers().size() == 1; }));
    // Anything but the handshake's next step, a step without what it must carry, or a frame
    // larger than a handshake's, closes the connection at once (before any time-out).
    RawPeer early(s.port()), big(s.port()), nameless(s.port());
    early.send(makeFrame(R"({"code":"chat","name":"x","message":"y"})"));
    big.send(le32(64 * 1024) + std::string(64 * 1024, '['));
    nameless.send(auth + makeFrame(R"({"code":"login"})"));
    EXPECT_TRUE(early.closedByPeer());
    EXPECT_TRUE(big.closedByPeer());
    EXPECT_TRUE(runFrames(
        {&s.lobby}, [&] { return nameless.closedNow(); }, 1000));
    // A user who logs in as the server gets a name of its own, and its chat carries that name.
    RawPeer member(s.port());
    member.send(auth + makeFrame(R"({"code":"login","name":"server"})") +
                makeFrame(R"({"code":"chat","name":"server","message":"obey"})"));
    ASSERT_TRUE(runFrames({&s.lobby}, [&] { return logged(s.log, "obey"); }));
    EXPECT_TRUE(logged(s.log, "<chat> server(2):obey"));
    EXPECT_EQ(s.lobby.users().at(2).name, "server(2)");
    for (int i = 0; i < 10; ++i) s.lobby.update(), platform::realSleepMs(5);
    const std::string heard = halfway.available();
    EXPECT_EQ(heard, serverAuth + makeFrame(R"({"code":"auth_complete"})")) << "no add_client, lobby or rule";
    s.lobby.End();
}

TEST(Lobby, AWellBehavedPeerKeepsLoggingInWhileHostilePeersBesiegeTheLobby) {
    // A well-behaved peer logs in every quarter second, from an address of its own and from the
    // first hostile one, while hostile peers reconnect as they are dropped: from eight addresses
    // they hold silent connections, send logins without a name and flood 64 KB frames of nested
    // JSON, and the first of them opens 200 silent connections a second; then from 128
    // addresses, far more than the lobby has places, two connections each stay silent, answer
    // only "auth", trickle a login or send a handshake a byte a packet.
    const std::string script = (mjtest::sourceDir() / "tests/net/siege.py").string();
    const mjtest::TempDir dir;
    const auto besiege = [&](const std::string& arguments, const std::string& report) {
        Server s;
        std::atomic<int> rc{-1};
        std::thread siege([&] {
            rc = std::system(("python3 '" + script + "' " + std::to_string(s.port()) + " --seconds 4 --max-login-s 3 " +
                              arguments + " > '" + report + "'")
                                 .c_str());
        });
        size_t most = 0;
        runFrames(
            {&s.lobby},
            [&] {
                most = std::max(most, s.lobby.peers().size());
                return rc.load() >= 0;
            },
            30000);
        siege.join();
        s.lobby.End();
        return rc.load() == 0 && most <= TTaskNet::kMaxConnections && s.log.history().size() <= TLog::kMaxHistory;
    };
    const auto figures = [](const std::string& report) {
        std::ifstream out(report);
        return std::string((std::istreambuf_iterator<char>(out)), std::istreambuf_iterator<char>());
    };
    // The lobby under the flood runs apart, so that its peak memory is its own. (Only there: a
    // sanitizer holds back what the many addresses' connections free.)
    const std::string flood = (dir.path() / "siege.out").string(), many = (dir.path() / "siege_many.out").string();
    const mjtest::MemoryUse use = mjtest::measureMemory([&] { return besiege("", flood); });
    EXPECT_TRUE(use.finished);
    EXPECT_TRUE(use.result) << figures(flood);
    EXPECT_LT(use.peakGrowth, 128 << 20) << figures(flood);
    // How soon a peer must answer to keep its place is about the places over the connections
    // opened a second; here, with sanitizers on a busy machine, the hostile peers reconnect at a
    // pace a slowed well-behaved peer can answer within (the lobby check keeps the full pace).
    EXPECT_TRUE(besiege(
        "--addresses 128 --holders 0 --keepers 0 --flooders 0 --mixed 2 --silent-rate 0 --reconnect-ms 500", many))
        << figures(many);
}

TEST(Log, TheFileStopsAtItsCapAFullOneIsSetAsideAndASecondLogTakesTheNextName) {
    mjtest::TempDir dir;
    const std::string path = (dir.path() / "net.log").string();
    // The logs hold their own files: no lock file is left anywhere when they end.
    std::filesystem::create_directory(dir.path() / "locks");
    platform::NamedLock::setFolder((dir.path() / "locks").string());
    { std::ofstream(path) << std::string(TLog::kMaxFileBytes + 10, 'o') << "\nnewest\n"; }
    {
        TLog first, second;
        ASSERT_TRUE(first.open(path));
        ASSERT_TRUE(second.open(path));
        EXPECT_EQ(first.fileName(), path);
        EXPECT_EQ(second.fileName(), (dir.path() / "net2.log").string()) << "the first is in use";
        const std::string line(100, 'z');
        for (size_t i = 0; i < TLog::kMaxFileBytes / 100 + 10; ++i) first.log(line);
        EXPECT_EQ(first.history().size(), TLog::kMaxHistory) << "the screen's lines go on";
    }
    EXPECT_LE(std::filesystem::file_size(path), TLog::kMaxFileBytes);
    std::ifstream in(path);
    std::string line, last;
    int full = 0;
    while (std::getline(in, line)) full += line.find("full") != std::string::npos, last = line;
    EXPECT_EQ(full, 1);
    EXPECT_NE(last.find("the log file is full"), std::string::npos);
    std::ifstream old(path + ".old");
    const std::string kept((std::istreambuf_iterator<char>(old)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept.size(), TLog::kMaxFileBytes);
    EXPECT_EQ(kept.substr(kept.size() - 8), "\nnewest\n") << "the newest part is kept";
    EXPECT_EQ(TLog::numberedName("save\\net.log", 3), "save\\net3.log");
    EXPECT_EQ(TLog::numberedName("a.b/net", 2), "a.b/net2");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "locks"));
    platform::NamedLock::setFolder("");
}

TEST(Lobby, AddressesAreAHostAndAnOptionalPort) {
    const std::vector<std::pair<std::string, std::string>> cases = {{"example.org", "example.org:7000"},
                                                                    {"10.0.0.2:7123", "10.0.0.2:7123"},
                                                                    {"h:1", "h:1"},
                                                                    {"h:65535", "h:65535"},
                                                                    {"h:0", ""},
                                                                    {"h:65536", ""},
                                                                    {":7000", ""},
                                                                    {"h:", ""},
                                                                    {"h:7x", ""},
                                                                    {"a b", ""},
                                                                    {"h\n", ""},
                                                                    {"", ""},
                                                                    {"h:007000", ""},
                                                                    {std::string(256, 'h'), ""}};
    for (const auto& [text, want] : cases) {
        std::string host = "unchanged";
        uint16_t port = 7000;
        const bool ok = parseHostPort(text, host, port);
        EXPECT_EQ(ok ? host + ":" + std::to_string(port) : "", want) << text;
        if (!ok) {
            EXPECT_EQ(host, "unchanged");
        }
    }
}
