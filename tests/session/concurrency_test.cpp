// The window thread (the test thread) racing computer turns with its
// commands, a painter reading the display board throughout, and release in
// the middle of a turn. Meant for ThreadSanitizer as much as for the checks.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "session/verdict.h"
#include "session_fixture.h"

namespace {

// Texts the status may hold once no computer turn runs.
bool isIdleStatus(const std::string& text) {
    return text.empty() || text == kAiErrored || text.rfind("chains: ", 0) == 0 ||
           isVerdict(text.c_str());
}

// Paints and picks as fast as it can, as a window thread would on every
// repaint and click, and checks that each picture is whole.
class Painter {
public:
    explicit Painter(SessionHarness& harness) : h(harness), thread([this] { run(); }) {}
    ~Painter() {
        stop = true;
        thread.join();
    }

    std::atomic<int32_t> paints{0};
    std::atomic<int32_t> brokenPictures{0};

private:
    void run() {
        char picked[20];
        while (!stop.load()) {
            h.session.paintBoard();
            const std::vector<DrawCall> calls = h.window.takeDrawCalls();
            if (!wholePicture(calls)) ++brokenPictures;
            h.session.pickLine(picked, 150 + paints.load() % 600, 30 + paints.load() % 450);
            ++paints;
        }
    }

    // 2n labels, then per quad an optional fill and its lines, 2n(n - 1)
    // strokes in all, then the status text.
    static bool wholePicture(const std::vector<DrawCall>& calls) {
        int32_t labels = 0;
        while (labels < static_cast<int32_t>(calls.size()) &&
               std::holds_alternative<DrawLabel>(calls[labels]))
            ++labels;
        const int32_t n = labels / 2;
        int32_t strokes = 0, fills = 0;
        for (const DrawCall& call : calls) {
            strokes += std::holds_alternative<StrokeLine>(call);
            fills += std::holds_alternative<FillQuad>(call);
        }
        if (n < 2 || strokes != 2 * n * (n - 1) || fills > (n - 1) * (n - 1)) return false;
        const DrawLabel* status = std::get_if<DrawLabel>(&calls.back());
        return status != nullptr && (isIdleStatus(status->text) || status->text == kAiThinking);
    }

    SessionHarness& h;
    std::atomic<bool> stop{false};
    std::thread thread;
};

void expectConsistentIdleSession(SessionHarness& h, uint32_t seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    ASSERT_FALSE(h.session.busy.load());
    h.expectLogMatchesHistory();
    h.expectDisplayMatchesLive();
    const Board& live = *h.session.liveBoard;
    int32_t owned = 0;
    for (int32_t k = 0; k < live.quadCount; ++k) owned += live.quads[k].owner != 0;
    EXPECT_EQ(live.scores[0] + live.scores[1], owned);
    EXPECT_EQ(live.historyLength + live.availableCount, live.lineCount);
    EXPECT_TRUE(isIdleStatus(h.status())) << '"' << h.status() << '"';
}

}  // namespace

TEST(SessionThreads, CommandsRaceComputerTurnsWhilePainting) {
    const uint32_t seed = 20261208;
    std::mt19937 engine(seed);
    auto random = [&engine] { return static_cast<unsigned>(engine()); };
    SessionHarness h;
    h.window.setFieldText(MainWindow::DepthField, "3");
    h.window.setFieldText(MainWindow::TimeLimitField, "20");
    int32_t turnsStarted = 0;
    {
        Painter painter(h);
        for (int32_t step = 0; step < 400; ++step) {
            char text[20];
            switch (random() % 9) {
                case 0:
                case 1:
                case 2:  // any text, valid or not; the live board is not ours to read
                    std::snprintf(text, sizeof text, "%c%u-%c%u", 'A' + random() % 5,
                                  1 + random() % 5, 'A' + random() % 5, 1 + random() % 5);
                    h.session.executeMove(text);
                    break;
                case 3:
                    h.session.undoLast();
                    break;
                case 4:
                    h.session.newGame(static_cast<int32_t>(random() % 7));  // 0 and 1 refused
                    break;
                case 5:
                case 6:
                    turnsStarted += !h.session.busy.load();
                    h.session.startComputerTurn();
                    break;
                case 7:
                    h.session.toggleDebugInfo();
                    break;
                case 8:
                    std::snprintf(text, sizeof text, "%u", random() % 4);
                    h.window.setFieldText(MainWindow::DepthField, text);
                    break;
            }
            if (random() % 4 == 0) platform::sleepMilliseconds(1);
            if (step % 50 == 49) {
                h.waitIdle();
                expectConsistentIdleSession(h, seed);
            }
        }
        h.waitIdle();
        EXPECT_EQ(painter.brokenPictures.load(), 0) << "seed " << seed;
        EXPECT_GT(painter.paints.load(), 0);
    }
    expectConsistentIdleSession(h, seed);
    EXPECT_GT(turnsStarted, 0);
}

TEST(SessionThreads, PaintingThroughWholeComputerGames) {
    SessionHarness h;
    h.window.setFieldText(MainWindow::DepthField, "2");
    h.window.setFieldText(MainWindow::TimeLimitField, "50");
    Painter painter(h);
    for (int32_t n : {3, 4}) {
        h.session.newGame(n);
        // Ai Do Move each time the turn passes: the computer plays both sides.
        while (h.session.liveBoard->availableCount > 0) {
            h.session.startComputerTurn();
            h.waitIdle();
            ASSERT_NE(h.status(), kAiErrored);
        }
        expectConsistentIdleSession(h, 0);
        EXPECT_TRUE(isVerdict(h.status().c_str())) << h.status();
    }
    EXPECT_EQ(painter.brokenPictures.load(), 0);
}

TEST(SessionThreads, ReleaseDuringATurn) {
    for (uint32_t wait = 0; wait < 6; ++wait) {
        auto window = std::make_unique<MainWindow>();
        auto session = std::make_unique<GameSession>(window.get());
        window->create(session.get());
        session->newGame(2 + wait % 5 * 2);
        window->setFieldText(MainWindow::DepthField, "25");
        window->setFieldText(MainWindow::TimeLimitField, "600000");
        session->startComputerTurn();
        platform::sleepMilliseconds(wait * 3);
        session.reset();  // stops the search, waits for the turn, frees
        // The worker is gone: the window is left as it finished it.
        const size_t logged = window->moveLogEntries().size();
        platform::sleepMilliseconds(2);
        EXPECT_EQ(window->moveLogEntries().size(), logged);
    }
}

TEST(SessionThreads, ReleaseWhileIdleAfterTurns) {
    auto window = std::make_unique<MainWindow>();
    {
        GameSession session(window.get());
        window->create(&session);
        window->setFieldText(MainWindow::DepthField, "1");
        session.startComputerTurn();
    }
    EXPECT_GE(window->moveLogEntries().size(), 1u);
}
