#include "game/mode/match_sim.h"

#include <cstdio>
#include <numeric>

#include "framework/random.h"
#include "framework/task.h"
#include "game/mode/auto_client.h"
#include "game/mode/mode_task.h"
#include "game/mode/scripted_client.h"
#include "game/packets_round.h"
#include "game/packets_s.h"
#include "game/server/round_states.h"
#include "mahjong/error_sink.h"
#include "mahjong/notation.h"
#include "mahjong/player.h"
#include "mahjong/table.h"

using namespace game;
using namespace game::server;
using namespace game::mode;

namespace {

constexpr size_t kMaxErrors = 20;  // a broken match says what broke first; the rest is noise

struct TWatch {
    TMatchReport& report;
    const TMatchOptions& options;
    TTaskMahjongGame* server = nullptr;
    int tilesAtDeal = -1;
    bool resultSent = false;  // the hand's round result has reached the client

    void error(const std::string& text) {
        if (report.errors.size() < kMaxErrors) report.errors.push_back(text);
    }

    static int tilesOnTable(const mahjong::TTable& t) {
        int n = t.wallCount();
        for (const auto& p : t.seats) {
            if (!p) continue;
            n += static_cast<int>(p->hand.size());
            for (const auto& s : p->sutes) n += s.inPond ? 1 : 0;
        }
        return n;
    }

    void logHands(const std::string& head, const mahjong::TTable& t) {
        if (!options.handLog) return;
        std::string line = head;
        for (const auto& p : t.seats) {
            if (!p) continue;
            mahjong::TPaiArray hand = p->hand;
            hand.sortAlt();
            line += " | " + std::to_string(p->playerId) + " " + mahjong::formatTiles(hand);
        }
        report.handLog.push_back(line);
    }

    void onMessage(const mahjong::TTable* mirror, u32 code, const std::vector<u8>& bytes, bool queueEmpty) {
        ++report.messages;
        for (u8 b : bytes) report.digest = report.digest * 1099511628211ull + b;
        report.digest = report.digest * 1099511628211ull + code;
        const auto table = server ? server->mahjongTable() : boost::shared_ptr<TMahjongTable>();
        if (!mirror || !table) return;
        const mahjong::TTable& t = table->table();
        switch (code) {
            case S_DEAL:
                ++report.hands;
                resultSent = false;
                tilesAtDeal = tilesOnTable(t);
                logHands("deal " + std::to_string(report.hands), t);
                break;
            case S_RITI:
                ++report.riichi;
                break;
            case S_PON:
            case S_TI:
            case S_KAN:
                ++report.calls;
                break;
            case S_ROUNDRESULT: {
                resultSent = true;
                const TPacket_S_RoundResult m(bytes);
                if (mahjong::isWinCode(m.result.code)) ++report.wins;
                if (mahjong::isDrawCode(m.result.code)) ++report.draws;
                if (m.result.code == mahjong::RE_RYUKYOKU) ++report.exhaustive;
                logHands("result " + std::to_string(m.result.code), t);
                int sum = t.ritiDeposit;
                for (const auto& p : t.seats)
                    if (p) sum += p->points;
                const int expected = static_cast<int>(t.rule->startPoints) * static_cast<int>(t.seats.size());
                if (sum != expected)
                    error("points not conserved after hand " + std::to_string(report.hands) + ": " +
                          std::to_string(sum) + " instead of " + std::to_string(expected));
                break;
            }
            default:
                break;
        }
        if (!queueEmpty) return;
        // Once a hand is over, the winning tile joins the winner's hand for the settlement.
        const bool inPlay = code != S_ROUNDRESULT && code != S_NEXTROUND && code != S_RESULT;
        if (tilesAtDeal >= 0 && inPlay && tilesOnTable(t) != tilesAtDeal)
            error("tiles not conserved in hand " + std::to_string(report.hands) + " after message " +
                  std::to_string(code));
        // A four-winds abort puts the fourth wind in the pond at once, but the seats hear of that
        // discard only from the round result: until it comes, the tables rightly differ.
        const bool abortUntold =
            !resultSent && server->roundState() == ST_ROUND_END && t.lastResult.code == mahjong::RE_SUFON;
        if (options.compareTables && !abortUntold) {
            ++report.tableChecks;
            for (const std::string& d : compareTables(t, *mirror))
                error("client table differs after message " + std::to_string(code) + ": " + d);
        }
    }
};

// What the rules engine reports goes into the match's errors.
struct TEngineErrors : mahjong::TErrorSink {
    explicit TEngineErrors(TWatch& watch) : watch(watch) {}
    void report(const std::string& text) override { watch.error("engine: " + text); }
    TWatch& watch;
};

std::string stallText(const TTaskMahjongGame& server) {
    std::string s = "match stalled: step " + std::to_string(server.step()) + "/" + std::to_string(server.subStep()) +
                    "/" + std::to_string(server.subSubStep()) + ", round state " + std::to_string(server.roundState()) +
                    "/" + std::to_string(server.roundStep());
    if (const auto table = server.mahjongTable()) {
        const mahjong::TTable& t = table->table();
        s += ", round wind " + std::to_string(t.roundWind) + " hand " + std::to_string(t.handNumber) + " turn " +
             std::to_string(t.turn) + " wall " + std::to_string(t.wallCount());
    }
    if (server.hasCmd()) {
        s += ", queue front " + std::to_string(server.frontCmd()->code()) + " from " +
             std::to_string(server.frontCmd()->sender());
    } else {
        s += ", queue empty";
    }
    return s;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(c));
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string jsonInts(const std::vector<int>& v) {
    std::string out = "[";
    for (size_t i = 0; i < v.size(); ++i) {
        if (i) out += ',';
        out += std::to_string(v[i]);
    }
    out += ']';
    return out;
}

void field(std::string& out, const char* name, const std::string& value) {
    out += out.size() > 1 ? ",\"" : "\"";
    out += name;
    out += "\":";
    out += value;
}

std::string jsonStrings(const std::vector<std::string>& v) {
    std::string out = "[";
    for (size_t i = 0; i < v.size(); ++i) {
        if (i) out += ',';
        out += jsonString(v[i]);
    }
    return out + ']';
}

}  // namespace

std::string TMatchReport::toJson() const {
    char digestText[24];
    std::snprintf(digestText, sizeof digestText, "\"%016llx\"", static_cast<unsigned long long>(digest));
    std::string out = "{";
    field(out, "seed", std::to_string(seed));
    field(out, "serverSeed", std::to_string(serverSeed));
    field(out, "tieBreakSeed", std::to_string(tieBreakSeed));
    field(out, "rounds", eastSouth ? "\"east-south\"" : "\"east\"");
    if (network) field(out, "mode", "\"network\"");
    if (!ruleOptions.empty()) field(out, "ruleOptions", jsonInts(ruleOptions));
    field(out, "finished", finished ? "true" : "false");
    field(out, "frames", std::to_string(frames));
    field(out, "hands", std::to_string(hands));
    field(out, "points", jsonInts(points));
    field(out, "ranks", jsonInts(ranks));
    field(out, "deposit", std::to_string(deposit));
    field(out, "wins", std::to_string(wins));
    field(out, "riichi", std::to_string(riichi));
    field(out, "calls", std::to_string(calls));
    field(out, "draws", std::to_string(draws));
    field(out, "exhaustive", std::to_string(exhaustive));
    field(out, "digest", digestText);
    field(out, "errors", jsonStrings(errors));
    if (!handLog.empty()) field(out, "handLog", jsonStrings(handLog));
    out += '}';
    return out;
}

TMatchReport runMatch(const TMatchOptions& options) {
    TMatchReport report;
    report.seed = options.seed;
    report.eastSouth = options.eastSouth;
    report.ruleOptions = options.ruleOptions;
    report.network = options.network;
    TWatch watch{report, options};
    TEngineErrors engineErrors(watch);
    mahjong::TScopedErrorSink engineSink(engineErrors);

    report.serverSeed = options.seed;
    report.tieBreakSeed = options.seed * 2654435761u + 12345u;

    if (options.network) {
        initMahjongNet();
    } else {
        initMahjongAlone();
    }
    {
        TTaskManager manager(128, 128);
        TTaskMahjongMatch* mode = options.network ? static_cast<TTaskMahjongMatch*>(new TTaskMahjongNet)
                                                  : static_cast<TTaskMahjongMatch*>(new TTaskMahjongAlone);
        // The match plays on its own generators, seeded from the match's seed, whatever the
        // program's services hold.
        TRandom& tieBreak = mode->ownTieBreak();
        mode->ownRandom().seed(report.serverSeed);
        tieBreak.seed(report.tieBreakSeed);
        TMahjongModeServices& services = mode->services();
        services.random = nullptr;
        services.tieBreak = nullptr;
        services.errorSink = [&watch](const std::string& text) { watch.error("server: " + text); };
        services.makeHuman = [&watch, &tieBreak, &options](TTaskMahjongGame& server) -> game::client::TTaskGame* {
            watch.server = &server;
            if (options.tableClient) {
                auto* client = new TAutoClient(&server, &tieBreak);
                client->setObserver([&watch](TAutoClient& c, u32 code, bool queueEmpty) {
                    const std::vector<u8> bytes = c.lastMessage() ? c.lastMessage()->toBytes() : std::vector<u8>();
                    watch.onMessage(c.mirror(), code, bytes, queueEmpty);
                });
                return client;
            }
            auto* client = new TScriptedClient(&server, &tieBreak);
            client->setObserver([&watch](TScriptedClient& c, u32 code, bool queueEmpty) {
                watch.onMessage(c.mirror(), code, c.lastBytes(), queueEmpty);
            });
            return client;
        };
        for (int option : options.ruleOptions) mode->rule().applyOption(option);
        mode->rule().gameLength = options.eastSouth ? 0 : 1;
        mode->createProfiles(4);
        const uint32_t music = options.network ? 0 : 1;
        for (int i = 0; i < 4; ++i)
            mode->setProfile(i, std::to_string(i), options.characters[static_cast<size_t>(i)], music, music);
        manager.add(3, mode, 0);
        TScriptedClient* client = nullptr;
        TAutoClient* autoClient = nullptr;
        while (report.frames < options.frameCap) {
            manager.run();
            ++report.frames;
            if (!client) client = dynamic_cast<TScriptedClient*>(mode->client());
            if (!autoClient) autoClient = dynamic_cast<TAutoClient*>(mode->client());
            if (autoClient) autoClient->autoHost().nextFrame();
            if (mode->isFinished()) {
                report.finished = true;
                break;
            }
        }
        if (client)
            for (const std::string& p : client->problems()) watch.error("client: " + p);
        if (autoClient) {
            for (const std::string& p : autoClient->problems()) watch.error("client: " + p);
            report.choices = autoClient->choicesMade();
        }
        if (!report.finished) {
            watch.error(mode->server() ? stallText(*mode->server()) : std::string("match never started"));
        } else {
            for (int i = 0; i < 4; ++i) {
                report.points.push_back(mode->points(i));
                report.ranks.push_back(mode->standing(i));
            }
            TTaskMahjongGame* server = mode->server();
            report.deposit = server->mahjongTable()->table().ritiDeposit;
            // The ranks the mode task answers are the ones the seats were told.
            if (const auto result = boost::dynamic_pointer_cast<TPacket_S_Result>(server->lastMessage)) {
                // The final ranks the table client shows are the server's.
                if (autoClient && (!autoClient->finalResult() || autoClient->finalResult()->entries != result->entries))
                    watch.error("the client's final result differs from S_RESULT");
                for (int i = 0; i < 4; ++i) {
                    const auto it = result->entries.find(static_cast<i8>(mode->seatIds()[static_cast<size_t>(i)]));
                    if (it == result->entries.end() || it->second != report.ranks[static_cast<size_t>(i)])
                        watch.error("seat " + std::to_string(i) + " rank differs from S_RESULT");
                }
            } else {
                watch.error("the match ended without S_RESULT");
            }
            int sum = report.deposit;
            for (int p : report.points) sum += p;
            // The end of the game adds the difference between the target and the start points
            // of every seat to the top.
            if (sum != static_cast<int>(server->mahjongTable()->table().rule->targetPoints) * 4)
                watch.error("final points not conserved");
            mode->kill();
            manager.run();
            if (manager.count() != 0) watch.error("tasks left after the mode task was killed");
        }
    }
    return report;
}
