// The stop race: changes come faster than the solves they stop, and no value
// of an earlier position may ever be shown on a later one.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "picture/picture.h"
#include "study/study_session.h"

namespace {

constexpr int64_t kSettleMs = 600000;  // a deadline only: sanitizers are slow

// Values shown belong to the lines shown: a drawn line has none, every
// undrawn one has one, and best lines are undrawn.
void expectViewConsistent(const StudyView& view) {
    const size_t lines = size_t(2 * view.dotsPerSide * (view.dotsPerSide - 1));
    ASSERT_EQ(view.lineOwners.size(), lines);
    if (view.solve != StudySolve::Proved) {
        EXPECT_TRUE(view.lineValues.empty());
        return;
    }
    ASSERT_EQ(view.lineValues.size(), lines);
    ASSERT_EQ(view.best.size(), lines);
    for (size_t l = 0; l < lines; ++l) {
        EXPECT_EQ(view.lineValues[l] == SolveResult::kDrawn, view.lineOwners[l] != 0) << l;
        if (view.best[l]) {
            EXPECT_EQ(view.lineOwners[l], 0) << l;
        }
    }
}

// Runs the session's destructor and fails, ending the program, when it has
// not returned by the deadline: a hung join would hang the test for good.
void destroyWithin(std::unique_ptr<StudySession>& session, std::chrono::seconds deadline) {
    auto done = std::async(std::launch::async, [&session] { session.reset(); });
    if (done.wait_for(deadline) != std::future_status::ready) {
        std::fprintf(stderr, "the session's destructor did not return in %lld s\n",
                     static_cast<long long>(deadline.count()));
        std::_Exit(1);
    }
}

MoveIndex randomOpenLine(const StudyView& view, std::mt19937& random) {
    std::vector<MoveIndex> open;
    for (size_t l = 0; l < view.lineOwners.size(); ++l)
        if (view.lineOwners[l] == 0) open.push_back(MoveIndex(l));
    if (open.empty()) return -1;
    return open[std::uniform_int_distribution<size_t>(0, open.size() - 1)(random)];
}

}  // namespace

TEST(StudyThreads, QuickChangesNeverShowAStaleValue) {
    const uint32_t seed = 3307;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    auto session = std::make_unique<StudySession>();
    int32_t changes = 0;
    session->changedContext = &changes;
    session->changed = [](void* context) { ++*static_cast<int32_t*>(context); };
    ASSERT_TRUE(session->newBoard("5"));
    for (int32_t step = 0; step < 300; ++step) {
        const StudyView view = session->view();
        expectViewConsistent(view);
        if (HasFatalFailure()) return;
        switch (std::uniform_int_distribution<int32_t>(0, 19)(random)) {
            case 0:
                session->newBoard(random() % 4 ? "5" : "3");
                break;
            case 1:
            case 2:
                session->undo();
                break;
            case 3:
                session->redo();
                break;
            case 4:
                session->setTimeLimit(random() % 2 ? "5000" : "20");
                break;
            case 5:
                session->setComputerSide(int32_t(random() % 3) - 1);
                break;
            case 6:
                session->pastePicture(drawPicture(Board(4, 2)));
                break;
            default:
                if (const MoveIndex line = randomOpenLine(view, random); line >= 0)
                    session->clickLine(line);
        }
        // Varies where the changes fall in the solves they stop.
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
    }

    // The last position is one a solve proves quickly.
    session->setComputerSide(-1);
    ASSERT_TRUE(session->setTimeLimit("3600000"));
    ASSERT_TRUE(session->newBoard("5"));
    for (int32_t left = 40; left > 14; --left) {
        ASSERT_TRUE(session->clickLine(randomOpenLine(session->view(), random)));
        expectViewConsistent(session->view());
    }
    ASSERT_TRUE(session->waitSettled(kSettleMs));
    const StudyView view = session->view();
    expectViewConsistent(view);
    Board board;
    std::string fault;
    ASSERT_TRUE(readPicture(session->picture(), 0, board, fault)) << fault;
    Solver solver(64, 1);
    const SolveResult expected = solver.solve(board, -1, SolveDetail::Values);
    ASSERT_EQ(view.solve, StudySolve::Proved);
    EXPECT_EQ(view.value, expected.value);
    EXPECT_EQ(view.lineValues, expected.values);
    EXPECT_EQ(session->valuesPicture(), solvedPicture(board, expected, true));
    destroyWithin(session, std::chrono::seconds(20));
    EXPECT_GT(changes, 0);
}

TEST(StudyThreads, DestructionStopsASolveOrAComputerMove) {
    const uint32_t seed = 3308;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    for (int32_t round = 0; round < 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        auto session = std::make_unique<StudySession>();
        // A long solve, or the computer's move after a short one.
        if (round % 2 == 0) {
            ASSERT_TRUE(session->newBoard("5"));
        } else {
            ASSERT_TRUE(session->setTimeLimit("200"));
            ASSERT_TRUE(session->newBoard("10"));
            session->setComputerSide(0);
        }
        session->view();
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 500));
        destroyWithin(session, std::chrono::seconds(10));
    }
}
