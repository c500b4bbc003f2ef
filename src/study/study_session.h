// The study of a position: a board to try lines on, with undo and redo, the
// exact value of every undrawn line from the solver, and a computer that can
// take either side. Portable: the Win32 study window and the tests drive it
// alike, from one thread that stands for the window thread.
//
// One worker thread does every solve and every computer move. Each change of
// the position bumps `generation` and asks a running solve to stop; the
// worker drops whatever it finds for an earlier generation, so that no value
// of an earlier position is ever shown on a later one.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "model/board.h"
#include "solver/solver.h"

class SearchEngine;

inline constexpr int32_t kStudyStartDots = 4;
inline constexpr int64_t kStudyStartTimeMs = 5000;
inline constexpr size_t kStudyPictureLimit = size_t{1} << 20;  // bytes of a picture file

// Where the solve of the shown position stands.
enum class StudySolve : uint8_t {
    Running,  // the worker is on it
    Proved,   // value, best lines and every line's value are known
    Bounded,  // stopped or out of time: lower and upper hold what was proved
    Over,     // no line left to draw
};

// How the computer chose its last move.
enum class ComputerMove : uint8_t { None, Perfect, Searched };

// What the window paints, copied whole under the session's lock.
struct StudyView {
    uint64_t generation = 0;
    int32_t dotsPerSide = kStudyStartDots;
    std::vector<uint8_t> lineOwners;  // per line index: 0 undrawn, else player index + 1
    std::vector<uint8_t> quadOwners;  // per quad: 0 open, else player index + 1
    int32_t scores[2] = {0, 0};
    int32_t sideToMove = 0;
    MoveIndex lastMove = -1;
    bool canUndo = false, canRedo = false;

    StudySolve solve = StudySolve::Running;
    int32_t value = 0;                // Proved: net quads the side to move still takes
    int32_t lower = 0, upper = 0;     // Bounded
    std::vector<int32_t> lineValues;  // Proved: per line index; SolveResult::kDrawn if drawn
    std::vector<uint8_t> best;        // Proved: per line index, 1 for a best line

    int32_t computerSide = -1;    // -1 none, else the player index it plays
    bool computerMoving = false;  // clicks are ignored meanwhile
    ComputerMove lastComputerMove = ComputerMove::None;
    bool showValues = true;
    int64_t timeLimitMs = kStudyStartTimeMs;
    std::string message;  // the last refusal ("board line 3, column 5: ..."), or empty

    // "P1 to move: wins by 3", "P2 to move: loses by 1", "a tie", counted with
    // the score so far; "solving..." while running, "between -2 and 4" when
    // bounded, "game over" when nothing is left.
    std::string valueText() const;
};

class StudySession {
public:
    // Sets up the worker, which owns a solver with as many threads as the
    // machine has, to solve the empty board of kStudyStartDots dots. The
    // worker starts at the first call of any member below, so that changed
    // and changedContext may be set after construction (and not later).
    // Throws kOutOfMemory when the solver's table cannot be had.
    StudySession();
    // Stops a running solve or computer move and joins the worker.
    ~StudySession();
    StudySession(const StudySession&) = delete;
    StudySession& operator=(const StudySession&) = delete;

    // Called on the worker thread after each change the worker makes (a
    // result, a computer move); the window posts itself a repaint.
    void (*changed)(void* context) = nullptr;
    void* changedContext = nullptr;

    // Commands, window thread. Each that changes the position stops the
    // running solve (within 100 ms) and starts the next. false, with the
    // reason in the view's message, when refused; the position is then as it was.
    bool newBoard(const std::string& dotsText);  // "2" to "26"
    bool clickLine(MoveIndex line);  // for the side to move; ignored while the computer moves
    bool undo();                     // back to the user's last turn when the computer plays a side
    bool redo();
    bool setTimeLimit(const std::string& text);  // milliseconds, 1 to 3600000
    void setShowValues(bool shown);
    void setComputerSide(int32_t side);  // -1, 0 or 1; may start the computer's move

    // Pictures, the same texts as paxlet-cli's: show's, and solve --values
    // --picture's (empty until the values are proved). pastePicture reads as
    // --board does; a bad picture leaves the position and says why.
    std::string picture() const;
    std::string valuesPicture() const;
    bool pastePicture(const std::string& text);
    // Paths in UTF-8. Saving writes a file beside the target and renames it
    // over the target, so that a failed save leaves the old file whole.
    bool openFile(const std::string& path);  // at most kStudyPictureLimit bytes
    bool saveFile(const std::string& path);  // false, with the reason, when it cannot be written

    StudyView view() const;

    // Tests: waits until the shown position's solve is no longer Running and
    // no computer move runs, or the deadline passes (false).
    bool waitSettled(int64_t timeoutMs) const;

private:
    struct RedoMove {
        MoveIndex line;
        int32_t player;  // who drew it, so that redo replays the computer's reply with it
    };

    void startWorker() const;
    void run();
    void solveShown(std::unique_lock<std::mutex>& hold);
    void playComputerMove(std::unique_lock<std::mutex>& hold);
    void reportChange(std::unique_lock<std::mutex>& hold);
    // Under lock_: after every change of board_, so that nothing found for
    // the position before is kept or shown.
    void positionChanged();
    // A new board or a picture: no redo, no computer's move behind it.
    void startedAfresh();
    // Under lock_: the running solve and computer move are dropped and begun again.
    void restartWork();
    void refreshView();
    bool refuse(const std::string& reason);  // under lock_
    bool readInto(const std::string& text);  // under lock_

    // Guards every field below it up to the worker's own.
    mutable std::mutex lock_;
    std::condition_variable wake_;             // the worker waits on it for work
    mutable std::condition_variable settled_;  // waitSettled waits on it

    Board board_;                 // the shown position
    std::vector<RedoMove> redo_;  // the moves undone, the next to redo last
    StudyView view_;              // what the window paints, kept with board_
    SolveResult result_;          // the shown position's, when view_.solve is Proved
    uint64_t solveToken_ = 0;     // bumped when a running solve is no longer wanted
    uint64_t computerToken_ = 0;  // bumped when a running computer move is no longer wanted
    bool quit_ = false;
    std::unique_ptr<SearchEngine> engine_;  // made by the worker on its first searched move

    // Set under lock_ by any thread, read by the solver's threads.
    std::atomic<bool> stop_{false};

    // The worker's own: the solver (made by the constructor before the
    // worker starts) and the copy of the position the engine plays on.
    std::unique_ptr<Solver> solver_;
    Board engineBoard_;

    // The window thread's: started by startWorker, joined by the destructor.
    mutable std::thread worker_;
};
