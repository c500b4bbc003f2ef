// The clipboard's texts are paxlet-cli's: show's, and solve --values --picture's.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "cli.h"
#include "study/study_session.h"

namespace {

// What paxlet-cli prints on its output for the arguments.
std::string cliPrints(std::vector<std::string> args) {
    args.insert(args.begin(), "paxlet-cli");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    std::FILE* out = std::tmpfile();
    std::FILE* errors = std::tmpfile();
    cliOutput = out;
    cliErrors = errors;
    const int code = runCli(int(argv.size()), argv.data());
    cliOutput = stdout;
    cliErrors = stderr;
    EXPECT_EQ(code, 0);
    std::string text;
    std::rewind(out);
    for (int c; (c = std::fgetc(out)) != EOF;) text += char(c);
    std::fclose(out);
    std::fclose(errors);
    return text;
}

}  // namespace

TEST(StudyClipboard, PicturesAreTheCliTexts) {
    const uint32_t seed = 3306;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("paxlet_study_clipboard_" + std::to_string(std::random_device()()) + ".txt");
    StudySession session;
    ASSERT_TRUE(session.setTimeLimit("3600000"));
    for (const int32_t dots : {3, 4, 5}) {
        SCOPED_TRACE(std::to_string(dots) + " dots");
        ASSERT_TRUE(session.newBoard(std::to_string(dots)));
        const int32_t left = dots == 5 ? 10 : 12;
        for (StudyView view = session.view();
             int32_t(std::count(view.lineOwners.begin(), view.lineOwners.end(), 0)) > left;
             view = session.view()) {
            std::vector<MoveIndex> open;
            for (size_t l = 0; l < view.lineOwners.size(); ++l)
                if (view.lineOwners[l] == 0) open.push_back(MoveIndex(l));
            ASSERT_TRUE(session.clickLine(
                open[std::uniform_int_distribution<size_t>(0, open.size() - 1)(random)]));
        }
        ASSERT_TRUE(session.waitSettled(600000));
        ASSERT_EQ(session.view().solve, StudySolve::Proved);
        std::ofstream(file, std::ios::binary) << session.picture();
        EXPECT_EQ(session.picture(), cliPrints({"show", "--board", file.string()}));
        EXPECT_EQ(session.valuesPicture(), cliPrints({"solve", "--values", "--picture", "--hash",
                                                      "64", "--board", file.string()}));
    }
    std::filesystem::remove(file);
}
