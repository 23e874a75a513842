// The lobby's frame while peers flood it with chat: one update of the lobby task, with four
// logged-in peers sending as fast as loopback carries. The lobby's frame must stay within a
// 60-Hz frame (16 ms) whatever the peers send.
#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/lobby.h"
#include "platform/clock.h"
#include "platform/socket.h"

namespace {

struct QuietHost : net::TLobbyHost {
    bool askServe() override { return true; }
    void report(const std::string&) override {}
    int ruleChoice() override { return -1; }
    int characterChoice() override { return -1; }
    bool chatRequested(std::string&) override { return false; }
    void startMatch(const mahjong::TRule&, const std::vector<int>&) override {}
    bool matchFinished(bool& cont) override {
        cont = false;
        return true;
    }
    void returnToTitle() override {}
};

void sendAll(platform::SocketHandle h, const std::string& bytes, const std::atomic<bool>& stop) {
    size_t done = 0;
    while (done < bytes.size() && !stop) {
        const int n = platform::socketSend(h, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n == platform::kSocketError)
            return;
        else
            platform::realSleepMs(1);
    }
}

void BM_LobbyFrameUnderChatFlood(benchmark::State& state) {
    QuietHost host;
    net::TLog log;
    net::TTaskNet lobby(host, log);
    lobby.listenHost = "127.0.0.1";
    lobby.port = 0;
    if (!lobby.Start()) {
        state.SkipWithError("the lobby cannot serve");
        return;
    }
    for (int i = 0; i < 1000 && lobby.subStep() < 200; ++i) lobby.update();
    const uint16_t port = lobby.controller()->listeningPort();

    std::vector<platform::SocketHandle> peers;
    std::atomic<bool> stop{false};
    for (int p = 0; p < 4; ++p) {
        platform::SocketHandle h = platform::socketCreate();
        if (!platform::socketConnect(h, "127.0.0.1", port, 2000)) {
            state.SkipWithError("a peer cannot connect");
            return;
        }
        sendAll(h,
                net::makeFrame(R"({"code":"auth","name":"mahjong","version":"2010/01/01"})") +
                    net::makeFrame(R"({"code":"login","name":"f"})"),
                stop);
        peers.push_back(h);
    }
    for (int i = 0; i < 2000 && lobby.users().size() < 5; ++i) {
        lobby.update();
        platform::realSleepMs(1);
    }

    std::string burst;
    for (int i = 0; i < 1000; ++i) burst += net::makeFrame(R"({"code":"chat","name":"f","message":"flood"})");
    std::vector<std::thread> senders;
    for (platform::SocketHandle h : peers)
        senders.emplace_back([&, h] {
            // 25 bursts of 1,000 frames each: 100,000 frames from the four peers.
            for (int i = 0; i < 25 && !stop; ++i) sendAll(h, burst, stop);
        });
    // Frames paced as the program paces them, so that the flood piles up between them.
    for (auto _ : state) {
        lobby.update();
        state.PauseTiming();
        platform::realSleepMs(5);
        state.ResumeTiming();
    }
    stop = true;
    for (std::thread& t : senders) t.join();
    state.counters["users"] = static_cast<double>(lobby.users().size());
    lobby.End();
    for (platform::SocketHandle h : peers) platform::socketClose(h);
}
BENCHMARK(BM_LobbyFrameUnderChatFlood)->Unit(benchmark::kMicrosecond)->Iterations(400);

}  // namespace
