// The study session against the solver run directly, and its refusals.
#include "study/study_session.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "picture/picture.h"

namespace {

constexpr int64_t kSettleMs = 600000;  // a deadline only: sanitizers are slow

// What valueText must say of a proved position, worked out from the board.
std::string provedText(const Board& board, int32_t value) {
    const int32_t side = board.sideToMove;
    const int32_t margin = board.scores[side] - board.scores[1 - side] + value;
    if (margin == 0) return "a tie";
    std::string text = "P";
    text += std::to_string(side + 1);
    text += margin > 0 ? " to move: wins by " : " to move: loses by ";
    return text + std::to_string(margin > 0 ? margin : -margin);
}

void expectViewIsSolve(const StudySession& session, const Board& board, Solver& solver) {
    const StudyView view = session.view();
    EXPECT_EQ(session.picture(), drawPicture(board));
    if (board.availableCount == 0) {
        EXPECT_EQ(view.solve, StudySolve::Over);
        EXPECT_EQ(view.valueText(), "game over");
        return;
    }
    const SolveResult expected = solver.solve(board, -1, SolveDetail::Values);
    ASSERT_TRUE(expected.solved);
    ASSERT_EQ(view.solve, StudySolve::Proved);
    EXPECT_EQ(view.value, expected.value);
    EXPECT_EQ(view.lineValues, expected.values);
    std::vector<uint8_t> best(size_t(board.lineCount), 0);
    for (MoveIndex line : expected.best) best[size_t(line)] = 1;
    EXPECT_EQ(view.best, best);
    EXPECT_EQ(view.valueText(), provedText(board, expected.value));
    EXPECT_EQ(view.sideToMove, board.sideToMove);
    EXPECT_EQ(view.scores[0], board.scores[0]);
    EXPECT_EQ(view.scores[1], board.scores[1]);
}

// One quad open, closed by the side to move's last line: 2-2.
const char* const kTiePicture =
    "+---+---+\n"
    "| 1 | 2 |\n"
    "+---+---+\n"
    "| 2 |\n"
    "+---+---+\n"
    "P1 to move, 1-2\n";

}  // namespace

TEST(StudySession, ValuesAreTheSolversOnRandomPositions) {
    const uint32_t seed = 3305;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    StudySession session;
    ASSERT_TRUE(session.setTimeLimit("3600000"));
    Solver solver(64, 1);
    // Dots, most lines left, positions: few lines left on the larger boards.
    const int32_t sizes[][3] = {{3, 12, 16}, {4, 16, 8}, {5, 14, 4}, {6, 12, 3}};
    for (const auto& size : sizes) {
        for (int32_t i = 0; i < size[2]; ++i) {
            const std::string dots = std::to_string(size[0]);
            SCOPED_TRACE(dots + " dots, position " + std::to_string(i));
            ASSERT_TRUE(session.newBoard(dots));
            Board board(size[0], 2);
            const int32_t left = std::uniform_int_distribution<int32_t>(0, size[1])(random);
            while (board.availableCount > left) {
                const int32_t pick =
                    std::uniform_int_distribution<int32_t>(0, board.availableCount - 1)(random);
                const MoveIndex line = board.available[pick]->index;
                ASSERT_TRUE(session.clickLine(line));
                board.playMove(line);
            }
            ASSERT_TRUE(session.waitSettled(kSettleMs));
            expectViewIsSolve(session, board, solver);
        }
    }
}

TEST(StudySession, TwoDotsReadAsTheGameGoes) {
    StudySession session;
    ASSERT_TRUE(session.newBoard("2"));
    ASSERT_TRUE(session.waitSettled(kSettleMs));
    EXPECT_EQ(session.view().valueText(), "P1 to move: loses by 1");
    ASSERT_TRUE(session.clickLine(0));
    ASSERT_TRUE(session.waitSettled(kSettleMs));
    EXPECT_EQ(session.view().valueText(), "P2 to move: wins by 1");
    for (MoveIndex line : {1, 2, 3}) ASSERT_TRUE(session.clickLine(line));
    ASSERT_TRUE(session.waitSettled(kSettleMs));
    const StudyView over = session.view();
    EXPECT_EQ(over.valueText(), "game over");
    EXPECT_EQ(over.scores[1], 1);
    EXPECT_EQ(session.valuesPicture(), "");

    // Undo goes back to the empty board, redo forward again, a click drops the rest.
    for (int32_t i = 0; i < 4; ++i) ASSERT_TRUE(session.undo());
    EXPECT_FALSE(session.undo());
    EXPECT_EQ(session.view().message, "Nothing to undo.");
    EXPECT_EQ(session.picture(), drawPicture(Board(2, 2)));
    ASSERT_TRUE(session.redo());
    ASSERT_TRUE(session.redo());
    EXPECT_EQ(session.view().lastMove, 1);
    ASSERT_TRUE(session.clickLine(3));
    EXPECT_FALSE(session.view().canRedo);
    EXPECT_FALSE(session.redo());
}

TEST(StudySession, PastedPictureWithCrLfIsTheSamePosition) {
    StudySession session;
    ASSERT_TRUE(session.pastePicture(kTiePicture));
    const std::string lf = session.picture();
    ASSERT_TRUE(session.waitSettled(kSettleMs));
    EXPECT_EQ(session.view().valueText(), "a tie");
    EXPECT_EQ(session.view().value, 1);
    EXPECT_FALSE(session.view().canUndo);  // a picture has no moves to take back

    std::string crlf;
    for (const char c : std::string(kTiePicture))
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ASSERT_TRUE(session.newBoard("4"));
    ASSERT_TRUE(session.pastePicture(crlf));
    EXPECT_EQ(session.picture(), lf);
    ASSERT_TRUE(session.waitSettled(kSettleMs));
    EXPECT_EQ(session.view().valueText(), "a tie");
}

TEST(StudySession, RefusalsChangeNothing) {
    StudySession session;
    for (MoveIndex line : {0, 5, 7}) ASSERT_TRUE(session.clickLine(line));
    ASSERT_TRUE(session.waitSettled(kSettleMs));
    const std::string picture = session.picture();
    const StudyView before = session.view();
    auto expectUnchanged = [&](const std::string& message) {
        const StudyView after = session.view();
        EXPECT_EQ(after.message, message);
        EXPECT_EQ(session.picture(), picture);
        EXPECT_EQ(after.generation, before.generation);
        EXPECT_EQ(after.solve, before.solve);
        EXPECT_EQ(after.lineValues, before.lineValues);
        EXPECT_EQ(after.timeLimitMs, before.timeLimitMs);
    };

    const std::string bad = "+---+---+\n| 3 |\n+---+---+\n";
    Board scratch;
    std::string fault;
    ASSERT_FALSE(readPicture(bad, 0, scratch, fault));
    EXPECT_FALSE(session.pastePicture(bad));
    expectUnchanged(fault);
    EXPECT_EQ(fault.rfind("board line ", 0), 0u) << fault;

    for (const char* size : {"27", "1", "abc", "", "4.5", "-4", "99999999"}) {
        EXPECT_FALSE(session.newBoard(size)) << size;
        expectUnchanged("The size must be a whole number of dots from 2 to 26.");
    }
    for (const char* time : {"abc", "0", "3600001", "1e3", ""}) {
        EXPECT_FALSE(session.setTimeLimit(time)) << time;
        expectUnchanged("The time limit must be a whole number of milliseconds from 1 to 3600000.");
    }
    EXPECT_FALSE(session.clickLine(5));
    expectUnchanged("That line is already drawn.");
    EXPECT_FALSE(session.clickLine(24));
    expectUnchanged("There is no such line on this board.");

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("paxlet_study_refusals_" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(dir);
    EXPECT_FALSE(session.openFile((dir / "missing.txt").string()));
    expectUnchanged("Cannot open \"" + (dir / "missing.txt").string() +
                    "\": No such file or directory.");
    const std::string large = (dir / "large.txt").string();
    std::ofstream(large) << std::string(kStudyPictureLimit + 1, ' ');
    EXPECT_FALSE(session.openFile(large));
    expectUnchanged("\"" + large + "\" is larger than 1 MiB: it is no board picture.");
    const std::string bent = (dir / "bad.txt").string();
    std::ofstream(bent) << bad;
    EXPECT_FALSE(session.openFile(bent));
    expectUnchanged(fault);

    // A save that cannot be made loses nothing: a directory in the way stays.
    const std::filesystem::path blocked = dir / "blocked";
    std::filesystem::create_directories(blocked / "inside");
    EXPECT_FALSE(session.saveFile(blocked.string()));
    EXPECT_EQ(session.view().message.rfind("Cannot save to \"" + blocked.string() + "\"", 0), 0u)
        << session.view().message;
    EXPECT_TRUE(std::filesystem::is_directory(blocked / "inside"));
    EXPECT_FALSE(session.saveFile((dir / "no" / "such" / "place.txt").string()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}),
              3);  // no file left behind

    // A save over a picture replaces it whole, and reads back as the position.
    const std::string saved = (dir / "saved.txt").string();
    std::ofstream(saved) << "an older text, longer than the picture is " << std::string(4000, 'x');
    ASSERT_TRUE(session.saveFile(saved));
    EXPECT_EQ(session.view().message, "");
    ASSERT_TRUE(session.newBoard("3"));
    ASSERT_TRUE(session.openFile(saved));
    EXPECT_EQ(session.picture(), picture);
    std::filesystem::remove_all(dir);
}

TEST(StudySession, ComputerPlaysTheFirstBestLineAndUndoTakesBackItsAnswer) {
    StudySession session;
    Solver solver(64, 1);
    ASSERT_TRUE(session.setTimeLimit("3600000"));
    ASSERT_TRUE(session.newBoard("3"));
    session.setComputerSide(1);
    ASSERT_TRUE(session.clickLine(0));
    ASSERT_TRUE(session.waitSettled(kSettleMs));
    Board board(3, 2);
    board.playMove(0);
    while (board.availableCount > 0 && board.sideToMove == 1)
        board.playMove(solver.solve(board, -1, SolveDetail::Best).best.front());
    EXPECT_EQ(session.picture(), drawPicture(board));
    const StudyView answered = session.view();
    EXPECT_EQ(answered.lastComputerMove, ComputerMove::Perfect);
    EXPECT_EQ(answered.sideToMove, 0);

    ASSERT_TRUE(session.undo());
    EXPECT_EQ(session.picture(), drawPicture(Board(3, 2)));
    EXPECT_FALSE(session.view().canUndo);
    ASSERT_TRUE(session.redo());  // the user's line and the computer's answer
    EXPECT_EQ(session.picture(), drawPicture(board));
    session.setComputerSide(-1);
}

TEST(StudySession, ComputerSearchesWhenTheSolverRunsOutOfTime) {
    StudySession session;
    ASSERT_TRUE(session.setTimeLimit("1"));
    ASSERT_TRUE(session.newBoard("12"));
    session.setComputerSide(0);
    ASSERT_TRUE(session.waitSettled(kSettleMs));
    const StudyView view = session.view();
    EXPECT_EQ(view.lastComputerMove, ComputerMove::Searched);
    EXPECT_EQ(view.sideToMove, 1);
    int32_t drawn = 0;
    for (uint8_t owner : view.lineOwners) drawn += owner == 1;
    EXPECT_EQ(drawn, 1);
    EXPECT_NE(view.solve, StudySolve::Proved);
    EXPECT_EQ(view.valueText(),
              "between " + std::to_string(view.lower) + " and " + std::to_string(view.upper));
}
