// Positions through their pictures, and solve --values against the plain
// exhaustive solver, in process through runCli.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "cli.h"
#include "exhaustive.h"
#include "model/move_text.h"
#include "picture/picture.h"

namespace {

// Random lines, quads taken as they come: the positions of real games.
void playRandomly(Board& board, int32_t lines, std::mt19937& random) {
    for (int32_t i = 0; i < lines && board.availableCount > 0; ++i)
        board.playMove(board.available[random() % board.availableCount]->index);
}

void expectSamePosition(const Board& a, const Board& b) {
    ASSERT_EQ(a.dotsPerSide, b.dotsPerSide);
    for (int32_t l = 0; l < a.lineCount; ++l)
        EXPECT_EQ(a.lines[l].owner != 0, b.lines[l].owner != 0);
    for (int32_t k = 0; k < a.quadCount; ++k) {
        EXPECT_EQ(a.quads[k].owner, b.quads[k].owner);
        EXPECT_EQ(a.quads[k].drawn, b.quads[k].drawn);
    }
    EXPECT_EQ(a.scores[0], b.scores[0]);
    EXPECT_EQ(a.scores[1], b.scores[1]);
    EXPECT_EQ(a.sideToMove, b.sideToMove);
    EXPECT_EQ(a.availableCount, b.availableCount);
    EXPECT_EQ(a.chainMetric, b.chainMetric);
}

// What runCli printed on its output, and its exit code.
std::string run(std::vector<std::string> args, int& code) {
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    // A file rather than a stream in memory, which Windows has not.
    cliOutput = std::tmpfile();
    if (cliOutput == nullptr) {
        cliOutput = stdout;
        ADD_FAILURE() << "no temporary file for the output";
        return "";
    }
    code = runCli(static_cast<int>(argv.size()), argv.data());
    std::string text;
    std::rewind(cliOutput);
    char buffer[4096];
    for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, cliOutput)) > 0;)
        text.append(buffer, count);
    std::fclose(cliOutput);
    cliOutput = stdout;
    return text;
}

}  // namespace

TEST(Picture, MovesShowBoardGiveTheSamePosition) {
    const uint32_t seed = 20261209;
    std::mt19937 random(seed);
    for (const int32_t n : {2, 3, 4, 5, 8, 13, 26}) {
        for (int32_t round = 0; round < 12; ++round) {
            SCOPED_TRACE(testing::Message()
                         << "seed " << seed << ", " << n << " dots, round " << round);
            Board played(n, 2);
            playRandomly(played, int32_t(random() % (played.lineCount + 1)), random);
            const std::string picture = drawPicture(played);
            for (const int32_t size : {0, n}) {
                Board read;
                std::string fault;
                ASSERT_TRUE(readPicture(picture, size, read, fault)) << fault << "\n" << picture;
                expectSamePosition(played, read);
                EXPECT_EQ(drawPicture(read), picture);
                // As a Windows editor saves it: CR LF line ends.
                std::string saved;
                for (const char c : picture) saved += c == '\n' ? "\r\n" : std::string(1, c);
                Board crlf;
                ASSERT_TRUE(readPicture(saved, size, crlf, fault)) << fault << "\n" << picture;
                expectSamePosition(played, crlf);
            }
        }
    }
}

// The JSON's lines in index order, each valued as the reference values it,
// and the best lines exactly those worth the value.
TEST(SolveValues, AgreeWithTheExhaustiveSolver) {
    const uint32_t seed = 20261210;
    std::mt19937 random(seed);
    for (int32_t round = 0; round < 6; ++round) {
        for (int32_t n = 3; n <= 8; ++n) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << ", round " << round);
            Board board(n, 2);
            const int32_t left = 1 + int32_t(random() % 12);
            std::vector<std::string> args = {"paxlet-cli", "solve",  "--size", std::to_string(n),
                                             "--values",   "--hash", "1",      "--threads",
                                             "1"};
            while (board.availableCount > left) {
                board.playMove(board.available[random() % board.availableCount]->index);
                args.push_back(moveText(board, board.lastMove()));
            }
            std::vector<uint8_t> drawn(size_t(board.lineCount));
            for (int32_t l = 0; l < board.lineCount; ++l) drawn[l] = board.lines[l].owner != 0;
            const Exhaustive reference(n, drawn);
            std::string values, best;
            for (size_t i = 0; i < reference.open.size(); ++i) {
                const std::string text = moveText(board, reference.open[i]);
                const int32_t value = reference.moveValue(0, int32_t(i));
                values += std::string(values.empty() ? "" : ",") + "{\"line\":\"" + text +
                          "\",\"value\":" + std::to_string(value) + "}";
                if (value == reference.value())
                    best += std::string(best.empty() ? "\"" : ",\"") + text + "\"";
            }
            int code = 0;
            const std::string output = run(args, code);
            ASSERT_EQ(code, 0);
            const std::string expected = "{\"value\":" + std::to_string(reference.value()) +
                                         ",\"best\":[" + best + "],\"values\":[" + values +
                                         "],\"solved\":true,\"threads\":1,";
            EXPECT_EQ(output.substr(0, expected.size()), expected);
        }
    }
}
