// How soon the study session shows a position's values, and how soon a
// change or the session's end stops a running solve. Prints its figures.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "study/study_session.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int64_t kDeadlineMs = 600000;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int32_t valuesShown(const StudyView& view) {
    if (view.solve != StudySolve::Proved) return 0;
    return int32_t(std::count_if(view.lineValues.begin(), view.lineValues.end(),
                                 [](int32_t v) { return v != SolveResult::kDrawn; }));
}

void report(const char* what, double ms, const StudyView& view, const char* goal) {
    std::printf("%-44s %9.1f ms  %2d values, %s  (goal %s)\n", what, ms, valuesShown(view),
                view.valueText().c_str(), goal);
}

MoveIndex openLine(const StudyView& view, std::mt19937& random) {
    std::vector<MoveIndex> open;
    for (size_t l = 0; l < view.lineOwners.size(); ++l)
        if (view.lineOwners[l] == 0) open.push_back(MoveIndex(l));
    return open[std::uniform_int_distribution<size_t>(0, open.size() - 1)(random)];
}

double median(std::vector<double> figures) {
    std::sort(figures.begin(), figures.end());
    return figures[figures.size() / 2];
}

}  // namespace

int main() {
    std::printf("study session, %u hardware threads\n", std::thread::hardware_concurrency());
    std::mt19937 random(33);

    Clock::time_point start = Clock::now();
    auto session = std::make_unique<StudySession>();
    session->waitSettled(kDeadlineMs);
    report("start to the empty 4-dot board's values", msSince(start), session->view(), "< 1000 ms");

    start = Clock::now();
    session->clickLine(0);
    session->waitSettled(kDeadlineMs);
    report("a click on 4 dots to its values", msSince(start), session->view(), "< 500 ms");

    session->setTimeLimit("60000");
    for (int32_t position = 0; position < 3; ++position) {
        session->newBoard("5");
        for (int32_t drawn = 0; drawn < 9; ++drawn)
            session->clickLine(openLine(session->view(), random));
        session->waitSettled(kDeadlineMs);  // the last click is what is timed
        const MoveIndex last = openLine(session->view(), random);
        start = Clock::now();
        session->clickLine(last);
        session->waitSettled(kDeadlineMs);
        report("a 5-dot position with 30 lines left", msSince(start), session->view(),
               "< 10000 ms");
    }

    // A change during a long solve: the stop, then the next position's
    // values, which take no time at all on a board with one line left.
    std::vector<double> stops;
    for (int32_t round = 0; round < 10; ++round) {
        session->newBoard("5");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        start = Clock::now();
        session->pastePicture("+---+\n|\n+---+\nP1 to move\n");
        session->waitSettled(kDeadlineMs);
        stops.push_back(msSince(start));
    }
    std::printf("%-44s %9.1f ms median, %.1f ms most  (goal < 100 ms)\n",
                "a change during a solve to the next values", median(stops),
                *std::max_element(stops.begin(), stops.end()));

    // The end of the session during a long solve: stop and join.
    session->newBoard("5");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    start = Clock::now();
    session.reset();
    std::printf("%-44s %9.1f ms  (goal < 100 ms)\n", "the end of the session during a solve",
                msSince(start));

    // And during the computer's searched move (the solver ran out of time).
    session = std::make_unique<StudySession>();
    session->setTimeLimit("2000");
    session->newBoard("12");
    session->setComputerSide(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    start = Clock::now();
    session.reset();
    std::printf("%-44s %9.1f ms  (goal < 100 ms)\n", "the end of the session during a search",
                msSince(start));
    return 0;
}
