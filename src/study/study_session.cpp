// The study session: commands on the window thread change the position under
// one lock; one worker thread solves each position and plays the computer's
// moves, and throws away whatever it finds once the position has moved on.
#include "study/study_session.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "engine/search_engine.h"
#include "picture/picture.h"

namespace {

constexpr size_t kTableMegabytes = 512;  // grows from 64 KiB as it fills
constexpr int32_t kEngineDepth = 25;     // the game's, so that only time limits the search
constexpr int64_t kLongestTimeMs = 3600000;

constexpr const char* kBadSize = "The size must be a whole number of dots from 2 to 26.";
constexpr const char* kBadTime =
    "The time limit must be a whole number of milliseconds from 1 to 3600000.";
constexpr const char* kComputerMoving = "Wait: the computer is moving.";
constexpr const char* kNoSuchLine = "There is no such line on this board.";
constexpr const char* kLineDrawn = "That line is already drawn.";
constexpr const char* kNothingToUndo = "Nothing to undo.";
constexpr const char* kNothingToRedo = "Nothing to redo.";
constexpr const char* kNoMemory = "Out of memory.";

// A whole number of at most 7 digits with blanks around it, else -1.
int64_t readWholeNumber(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return -1;
    const size_t last = text.find_last_not_of(" \t");
    if (last - first + 1 > 7) return -1;
    int64_t value = 0;
    for (size_t i = first; i <= last; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string reasonOf(int error) {
    return error != 0 ? std::string(": ") + std::strerror(error) : std::string();
}

int32_t opponent(int32_t side) { return 1 - side; }

}  // namespace

std::string StudyView::valueText() const {
    switch (solve) {
        case StudySolve::Running:
            return "solving...";
        case StudySolve::Over:
            return "game over";
        case StudySolve::Bounded:
            return "between " + std::to_string(lower) + " and " + std::to_string(upper);
        case StudySolve::Proved:
            break;
    }
    const int32_t margin = scores[sideToMove] - scores[opponent(sideToMove)] + value;
    if (margin == 0) return "a tie";
    // Appended piece by piece: GCC 12 warns wrongly of overlap on "P" + string.
    std::string text = "P";
    text += std::to_string(sideToMove + 1);
    text += margin > 0 ? " to move: wins by " : " to move: loses by ";
    text += std::to_string(margin > 0 ? margin : -margin);
    return text;
}

StudySession::StudySession() {
    const unsigned machine = std::thread::hardware_concurrency();
    const int32_t threads =
        std::clamp(static_cast<int32_t>(machine), 1, static_cast<int32_t>(Solver::kMaxThreads));
    solver_ = std::make_unique<Solver>(kTableMegabytes, threads);
    solver_->stop = &stop_;
    board_.createBoard(kStudyStartDots, 2);
    refreshView();
}

StudySession::~StudySession() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        quit_ = true;
        stop_.store(true);
        if (engine_) engine_->requestStop();
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void StudySession::startWorker() const {
    if (worker_.joinable()) return;
    // The worker is the session's own; const callers only ask to see it.
    StudySession* self = const_cast<StudySession*>(this);
    worker_ = std::thread([self] { self->run(); });
}

// ---- the window thread's commands ----

bool StudySession::refuse(const std::string& reason) {
    view_.message = reason;
    return false;
}

void StudySession::refreshView() {
    StudyView& v = view_;
    v.dotsPerSide = board_.dotsPerSide;
    v.lineOwners.resize(size_t(board_.lineCount));
    for (int32_t l = 0; l < board_.lineCount; ++l) v.lineOwners[l] = board_.lines[l].owner;
    v.quadOwners.resize(size_t(board_.quadCount));
    for (int32_t q = 0; q < board_.quadCount; ++q) v.quadOwners[q] = board_.quads[q].owner;
    v.scores[0] = board_.scores[0];
    v.scores[1] = board_.scores[1];
    v.sideToMove = board_.sideToMove;
    v.lastMove = board_.lastMove();
    // With a computer, undo takes back the user's moves: there must be one.
    v.canUndo = false;
    for (int32_t i = 0; i < board_.historyLength && !v.canUndo; ++i)
        v.canUndo = board_.lines[board_.history[i]].owner - 1 != v.computerSide;
    v.canRedo = !redo_.empty();
    v.computerMoving = v.computerSide == board_.sideToMove && board_.availableCount > 0;
}

void StudySession::restartWork() {
    ++solveToken_;
    ++computerToken_;
    stop_.store(true);
    if (engine_) engine_->requestStop();
    result_ = SolveResult();
    view_.solve = board_.availableCount == 0 ? StudySolve::Over : StudySolve::Running;
    view_.value = view_.lower = view_.upper = 0;
    view_.lineValues.clear();
    view_.best.clear();
    refreshView();
    wake_.notify_all();
    settled_.notify_all();
}

void StudySession::positionChanged() {
    ++view_.generation;
    view_.message.clear();
    restartWork();
}

void StudySession::startedAfresh() {
    redo_.clear();
    view_.lastComputerMove = ComputerMove::None;
    positionChanged();
}

bool StudySession::newBoard(const std::string& dotsText) {
    startWorker();
    std::lock_guard<std::mutex> hold(lock_);
    const int64_t n = readWholeNumber(dotsText);
    if (n < kMinDotsPerSide || n > kMaxDotsPerSide) return refuse(kBadSize);
    try {
        board_.createBoard(static_cast<int32_t>(n), 2);
    } catch (...) {
        return refuse(kNoMemory);
    }
    startedAfresh();
    return true;
}

bool StudySession::clickLine(MoveIndex line) {
    startWorker();
    std::lock_guard<std::mutex> hold(lock_);
    if (view_.computerMoving) return refuse(kComputerMoving);
    if (line < 0 || line >= board_.lineCount) return refuse(kNoSuchLine);
    if (board_.lines[line].owner != 0) return refuse(kLineDrawn);
    board_.playMove(line);
    redo_.clear();
    positionChanged();
    return true;
}

bool StudySession::undo() {
    startWorker();
    std::lock_guard<std::mutex> hold(lock_);
    if (!view_.canUndo) return refuse(kNothingToUndo);
    // The computer's moves go back with the user's move they answered, so
    // that the user is to move again where they last were.
    const int32_t computer = view_.computerSide;
    for (;;) {
        const MoveIndex line = board_.lastMove();
        const int32_t player = board_.lines[line].owner - 1;
        board_.undoMove();
        redo_.push_back({line, player});
        if (player != computer) break;
    }
    positionChanged();
    return true;
}

bool StudySession::redo() {
    startWorker();
    std::lock_guard<std::mutex> hold(lock_);
    if (redo_.empty()) return refuse(kNothingToRedo);
    if (view_.computerMoving) return refuse(kComputerMoving);
    // One move of the user's, and the computer's answer to it as it was.
    do {
        board_.playMove(redo_.back().line);
        redo_.pop_back();
    } while (!redo_.empty() && view_.computerSide >= 0 &&
             redo_.back().player == view_.computerSide);
    positionChanged();
    return true;
}

bool StudySession::setTimeLimit(const std::string& text) {
    startWorker();
    std::lock_guard<std::mutex> hold(lock_);
    const int64_t ms = readWholeNumber(text);
    if (ms < 1 || ms > kLongestTimeMs) return refuse(kBadTime);
    view_.message.clear();
    if (ms == view_.timeLimitMs) return true;
    view_.timeLimitMs = ms;
    // A proof stands under any limit; anything short of one is tried again.
    if (view_.solve == StudySolve::Running || view_.solve == StudySolve::Bounded) restartWork();
    return true;
}

void StudySession::setShowValues(bool shown) {
    startWorker();
    std::lock_guard<std::mutex> hold(lock_);
    view_.showValues = shown;
}

void StudySession::setComputerSide(int32_t side) {
    startWorker();
    std::lock_guard<std::mutex> hold(lock_);
    if (side < -1 || side > 1 || side == view_.computerSide) return;
    view_.computerSide = side;
    // The solve of the position goes on; a move thought out for the other
    // side is dropped.
    ++computerToken_;
    if (engine_) engine_->requestStop();
    refreshView();
    wake_.notify_all();
    settled_.notify_all();
}

// ---- pictures and files ----

std::string StudySession::picture() const {
    startWorker();
    std::lock_guard<std::mutex> hold(lock_);
    return drawPicture(board_);
}

std::string StudySession::valuesPicture() const {
    startWorker();
    std::lock_guard<std::mutex> hold(lock_);
    if (view_.solve != StudySolve::Proved) return std::string();
    return solvedPicture(board_, result_, true);
}

bool StudySession::readInto(const std::string& text) {
    std::string fault;
    try {
        // The reader leaves the board as it was when it finds a fault.
        if (!readPicture(text, 0, board_, fault)) return refuse(fault);
    } catch (...) {
        return refuse(kNoMemory);
    }
    startedAfresh();
    return true;
}

bool StudySession::pastePicture(const std::string& text) {
    startWorker();
    std::lock_guard<std::mutex> hold(lock_);
    return readInto(text);
}

bool StudySession::openFile(const std::string& path) {
    startWorker();
    std::string text;
    errno = 0;
    std::ifstream in(pathOf(path), std::ios::binary);
    const int openError = errno;
    bool tooLarge = false;
    int readError = 0;
    if (in) {
        char buffer[4096];
        while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
            text.append(buffer, size_t(in.gcount()));
            if (text.size() > kStudyPictureLimit) {
                tooLarge = true;
                break;
            }
        }
        readError = errno;
    }
    std::lock_guard<std::mutex> hold(lock_);
    if (!in.is_open()) return refuse("Cannot open \"" + path + "\"" + reasonOf(openError) + ".");
    if (tooLarge) return refuse("\"" + path + "\" is larger than 1 MiB: it is no board picture.");
    if (in.bad()) return refuse("Cannot read \"" + path + "\"" + reasonOf(readError) + ".");
    return readInto(text);
}

bool StudySession::saveFile(const std::string& path) {
    const std::string text = picture();
    const std::filesystem::path target = pathOf(path);
    std::filesystem::path temporary = target;
    temporary += ".paxlet-save";
    errno = 0;
    bool written = false;
    int error = 0;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        error = errno;
        if (out) {
            out.write(text.data(), std::streamsize(text.size()));
            out.close();
            written = !out.fail();
            if (!written) error = errno;
        }
    }
    std::error_code renameError;
    if (written) {
        std::filesystem::rename(temporary, target, renameError);
        if (renameError) {
            error = 0;
            written = false;
        }
    }
    std::lock_guard<std::mutex> hold(lock_);
    if (!written) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        const std::string why = renameError ? ": " + renameError.message() : reasonOf(error);
        return refuse("Cannot save to \"" + path + "\"" + why + ".");
    }
    view_.message.clear();
    return true;
}

// ---- what the window reads ----

StudyView StudySession::view() const {
    startWorker();
    std::lock_guard<std::mutex> hold(lock_);
    return view_;
}

bool StudySession::waitSettled(int64_t timeoutMs) const {
    startWorker();
    std::unique_lock<std::mutex> hold(lock_);
    return settled_.wait_for(hold, std::chrono::milliseconds(timeoutMs), [this] {
        return view_.solve != StudySolve::Running && !view_.computerMoving;
    });
}

// ---- the worker ----

void StudySession::run() {
    std::unique_lock<std::mutex> hold(lock_);
    while (!quit_) {
        bool solving = false;
        try {
            if (view_.solve == StudySolve::Running) {
                solving = true;
                solveShown(hold);
                continue;
            }
            if (view_.computerMoving) {
                playComputerMove(hold);
                continue;
            }
        } catch (...) {
            // Only running out of memory gets here. What holds of every
            // position is shown, or the computer gives up its side, so that
            // the worker does not fail again and again.
            if (!hold.owns_lock()) hold.lock();
            if (solving && view_.solve == StudySolve::Running) {
                view_.solve = StudySolve::Bounded;
                int32_t open = 0;
                for (int32_t q = 0; q < board_.quadCount; ++q) open += board_.quads[q].owner == 0;
                view_.lower = -open;
                view_.upper = open;
            } else if (!solving) {
                view_.computerSide = -1;
                refreshView();
            }
            view_.message = kNoMemory;
            reportChange(hold);
            continue;
        }
        // Only when there is nothing to do, checked without letting go of
        // the lock since, so that no command's wake-up is missed.
        wake_.wait(hold);
    }
}

void StudySession::reportChange(std::unique_lock<std::mutex>& hold) {
    settled_.notify_all();
    // The window may be closing: then nobody is left to repaint.
    if (quit_ || changed == nullptr) return;
    hold.unlock();
    changed(changedContext);
    hold.lock();
}

void StudySession::solveShown(std::unique_lock<std::mutex>& hold) {
    const uint64_t token = solveToken_;
    const int32_t n = board_.dotsPerSide;
    std::vector<uint8_t> drawn(size_t(board_.lineCount));
    for (int32_t l = 0; l < board_.lineCount; ++l) drawn[l] = board_.lines[l].owner != 0;
    const int64_t limit = view_.timeLimitMs;
    // Cleared under the lock: a command after this point stops this solve.
    stop_.store(false);
    hold.unlock();
    SolveResult result = solver_->solveLines(n, drawn.data(), limit, SolveDetail::Values);
    hold.lock();
    if (token != solveToken_ || quit_) return;  // for a position no longer shown

    if (result.solved) {
        view_.solve = StudySolve::Proved;
        view_.value = result.value;
        view_.lower = view_.upper = result.value;
        view_.lineValues = result.values;
        view_.best.assign(size_t(board_.lineCount), 0);
        for (MoveIndex line : result.best) view_.best[size_t(line)] = 1;
        result_ = std::move(result);
    } else {
        view_.solve = StudySolve::Bounded;
        view_.lower = result.lower;
        view_.upper = result.upper;
    }
    reportChange(hold);
}

void StudySession::playComputerMove(std::unique_lock<std::mutex>& hold) {
    const uint64_t token = computerToken_;
    MoveIndex move = -1;
    ComputerMove kind = ComputerMove::Perfect;
    if (view_.solve == StudySolve::Proved && !result_.best.empty()) {
        move = result_.best.front();
    } else {
        kind = ComputerMove::Searched;
        if (!engine_) engine_ = std::make_unique<SearchEngine>();
        // The engine plays on a board in place while it searches: on a copy
        // of its own, read back from the picture.
        std::string fault;
        if (!readPicture(drawPicture(board_), 0, engineBoard_, fault)) throw kNoMemory;
        engine_->board = &engineBoard_;
        engine_->computerPlayer = board_.sideToMove;
        // Requests from here on are for this search.
        engine_->timeBudget.clearStopRequest();
        const int32_t limit = static_cast<int32_t>(view_.timeLimitMs);
        hold.unlock();
        move = engine_->chooseMove(kEngineDepth, limit);
        hold.lock();
        if (token != computerToken_ || quit_) return;
        // A search stopped before it looked at any move answers line 0,
        // which may be drawn: then any line will do.
        if (move < 0 || move >= board_.lineCount || board_.lines[move].owner != 0)
            move = board_.available[0]->index;
    }
    board_.playMove(move);
    redo_.clear();
    view_.lastComputerMove = kind;
    positionChanged();
    reportChange(hold);
}
