// Self-play soak: "Ai Do Move" pressed again each time the turn passes, so the
// computer plays both sides, with the session's worker thread, its window
// operations and its display refresh all in use. One JSON line per game.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "cli.h"
#include "commands.h"
#include "main_window.h"
#include "model/move_text.h"
#include "platform/platform.h"
#include "session/game_session.h"
#include "session/verdict.h"

namespace {

struct GameResult {
    int32_t moves = 0;
    int32_t scores[2] = {};
    std::string status;
    int32_t turns = 0;
    int64_t ms = 0;
    std::vector<std::string> faults;
};

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + '"';
}

// A few random lines, through Execute Move, so that games of different seeds
// differ. At least two lines stay undrawn, so the computer always has a turn.
void playOpening(GameSession& session, std::mt19937& random) {
    Board& live = *session.liveBoard;
    const int32_t count = static_cast<int32_t>(random() % (live.lineCount / 4 + 1));
    for (int32_t i = 0; i < count && live.availableCount > 2; ++i) {
        const MoveIndex move = live.available[random() % live.availableCount]->index;
        session.executeMove(moveText(live, move).c_str());
    }
}

void checkGame(GameSession& session, MainWindow& window, GameResult& result) {
    const Board& live = *session.liveBoard;
    if (live.availableCount != 0) result.faults.push_back("lines left undrawn");
    {
        std::lock_guard<std::mutex> hold(session.displayLock);
        for (int32_t i = 0; i < live.lineCount; ++i) {
            if (live.lines[i].owner == 0 || session.displayBoard->lines[i].owner == 0) {
                result.faults.push_back("line " + std::to_string(i) + " not drawn");
                break;
            }
        }
        for (int32_t k = 0; k < live.quadCount; ++k) {
            if (session.displayBoard->quads[k].owner != live.quads[k].owner) {
                result.faults.push_back("display board differs from the game");
                break;
            }
        }
    }
    if (live.scores[0] + live.scores[1] != live.quadCount)
        result.faults.push_back("scores do not add up to the quads");
    const std::vector<std::string> log = window.moveLogEntries();
    if (static_cast<int32_t>(log.size()) != live.lineCount) {
        result.faults.push_back("move log holds " + std::to_string(log.size()) + " entries");
    } else {
        for (size_t at = 0; at < log.size(); ++at) {
            if (live.parseMove(log[at].c_str()) != live.history[log.size() - 1 - at]) {
                result.faults.push_back("move log entry " + std::to_string(at) + " is wrong");
                break;
            }
        }
    }
    if (!isVerdict(result.status.c_str())) result.faults.push_back("status is no verdict");
}

// The opening comes from the seed alone, so "--seed S --games 1" replays the
// game that was printed with seed S (the searches too, when no time limit cuts
// them).
GameResult playGame(const CommandLine& options, uint32_t seed) {
    GameResult result;
    MainWindow window;
    GameSession session(&window);
    window.create(&session);
    window.setFieldText(MainWindow::DepthField, std::to_string(options.depth).c_str());
    window.setFieldText(MainWindow::TimeLimitField, std::to_string(options.timeLimitMs).c_str());
    session.newGame(options.size);
    std::mt19937 random(seed);
    playOpening(session, random);

    const auto start = std::chrono::steady_clock::now();
    while (session.liveBoard->availableCount > 0) {
        session.startComputerTurn();
        ++result.turns;
        // No deadline: a turn ends within its time limit, however long that is.
        session.waitIdle([] {
            platform::sleepMilliseconds(1);
            return true;
        });
        if (session.snapshot().status == kAiErrored) {
            result.faults.push_back("a computer turn ended in AI-Errored");
            break;
        }
    }
    result.ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - start)
                    .count();
    result.moves = session.liveBoard->historyLength;
    result.scores[0] = session.liveBoard->scores[0];
    result.scores[1] = session.liveBoard->scores[1];
    result.status = session.snapshot().status;
    checkGame(session, window, result);
    return result;
}

}  // namespace

int runSelfplay(const CommandLine& options) {
    // Unseeded runs differ from one another, yet every game can be replayed.
    const uint32_t first = options.seeded ? options.seed : std::random_device{}();
    bool sound = true;
    for (int32_t game = 0; game < options.games; ++game) {
        const uint32_t seed = first + static_cast<uint32_t>(game);  // wraps, as it may
        const GameResult r = playGame(options, seed);
        std::fprintf(cliOutput,
                     "{\"size\":%i,\"seed\":%lu,\"moves\":%i,\"scores\":[%i,%i],\"status\":%s,"
                     "\"turns\":%i,\"ms\":%lld}\n",
                     options.size, static_cast<unsigned long>(seed), r.moves, r.scores[0],
                     r.scores[1], jsonString(r.status).c_str(), r.turns,
                     static_cast<long long>(r.ms));
        std::fflush(cliOutput);
        for (const std::string& fault : r.faults) {
            std::fprintf(cliErrors, "selfplay: game %i (seed %lu): %s\n", game + 1,
                         static_cast<unsigned long>(seed), fault.c_str());
            sound = false;
        }
    }
    return sound ? 0 : 1;
}
