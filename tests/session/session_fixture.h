// A session on a headless window, as the program builds them: the session
// first, then the window that points back at it.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

#include "main_window.h"
#include "platform/platform.h"
#include "session/game_session.h"

struct SessionHarness {
    MainWindow window;
    GameSession session{&window};

    SessionHarness() {
        window.create(&session);
        window.setClientSize(734, 521);
    }

    std::string notation(MoveIndex move) {
        char text[kMoveTextBuffer];
        session.liveBoard->formatMove(text, move);
        return text;
    }

    // Plays lines by index through Execute Move, as typed into the move field.
    void play(std::initializer_list<MoveIndex> moves) {
        for (MoveIndex move : moves) session.executeMove(notation(move).c_str());
    }

    std::string status() { return session.snapshot().status; }

    // A wait between two looks: sleeps a millisecond, and says false once a
    // minute has passed since it was made.
    static auto withinAMinute() {
        const uint32_t start = platform::millisecondClock();
        return [start] {
            if (platform::millisecondClock() - start > 60000) return false;
            platform::sleepMilliseconds(1);
            return true;
        };
    }

    // Commands and the worker hand over through busy alone; the test thread
    // plays the window thread and polls it. A turn that does not end within
    // a minute is a failure, and is then stopped so that the test goes on.
    void waitIdle() {
        if (session.waitIdle(withinAMinute())) return;
        ADD_FAILURE() << "the computer turn did not end";
        session.stopAndWait([] { platform::sleepMilliseconds(1); });
    }

    // Polls condition until it holds or a minute has passed.
    template <typename Condition>
    static bool eventually(Condition condition) {
        auto wait = withinAMinute();
        while (!condition())
            if (!wait()) return false;
        return true;
    }

    // The move log, newest first, names the live board's history. Entries
    // are compared as moves: the log keeps each text as it was typed.
    void expectLogMatchesHistory() {
        const Board& board = *session.liveBoard;
        const std::vector<std::string> log = window.moveLogEntries();
        ASSERT_EQ(log.size(), static_cast<size_t>(board.historyLength));
        for (size_t at = 0; at < log.size(); ++at)
            EXPECT_EQ(board.parseMove(log[at].c_str()), board.history[log.size() - 1 - at])
                << "log entry " << at << " \"" << log[at] << '"';
    }

    // What painting reads matches the live board.
    void expectDisplayMatchesLive() {
        std::lock_guard<std::mutex> hold(session.displayLock);
        const Board& live = *session.liveBoard;
        const Board& display = *session.displayBoard;
        ASSERT_EQ(display.dotsPerSide, live.dotsPerSide);
        for (int32_t i = 0; i < live.lineCount; ++i)
            ASSERT_EQ(display.lines[i].owner, live.lines[i].owner) << "line " << i;
        for (int32_t k = 0; k < live.quadCount; ++k)
            ASSERT_EQ(display.quads[k].owner, live.quads[k].owner) << "quad " << k;
        EXPECT_EQ(session.displayLastMove, live.lastMove());
    }
};
