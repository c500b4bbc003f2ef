// The headless main window: keeps what the real window would show, so that
// tests and the self-play tool can read it back, and records every drawing
// primitive call.
#include "main_window.h"

MainWindow::MainWindow() = default;

void MainWindow::create(GameSession* session) {
    std::lock_guard<std::mutex> hold(operationLock);
    gameSession = session;
    created = true;
}

void MainWindow::setClientSize(int32_t width, int32_t height) {
    clientWidth = width;
    clientHeight = height;
    redraw();
}

void MainWindow::setFieldText(Field field, const char* text) {
    std::lock_guard<std::mutex> hold(operationLock);
    fieldTexts[field] = text;
}

std::string MainWindow::fieldText(Field field) {
    std::lock_guard<std::mutex> hold(operationLock);
    return fieldTexts[field];
}

void MainWindow::logMove(const char* text) {
    std::lock_guard<std::mutex> hold(operationLock);
    if (created) moveLogItems.insert(moveLogItems.begin(), text);
}

void MainWindow::unlogMove() {
    std::lock_guard<std::mutex> hold(operationLock);
    if (created && !moveLogItems.empty()) moveLogItems.erase(moveLogItems.begin());
}

void MainWindow::clearMoveLog() {
    std::lock_guard<std::mutex> hold(operationLock);
    if (created) moveLogItems.clear();
}

void MainWindow::setStatistics(const char* text) {
    std::unique_lock<std::mutex> hold(operationLock);
    holdsReleased.wait(hold, [this] { return !statisticsHeld; });
    if (created) statistics = text;
}

void MainWindow::redraw() {
    std::lock_guard<std::mutex> hold(operationLock);
    if (created) ++redrawRequests;
}

// The fields hold their initial texts before the window exists, so reads
// answer even then.
int32_t MainWindow::readMaxDepth() {
    std::lock_guard<std::mutex> hold(operationLock);
    return fieldTextToInt(fieldTexts[DepthField].c_str());
}

int32_t MainWindow::readTimeLimit() {
    std::unique_lock<std::mutex> hold(operationLock);
    holdsReleased.wait(hold, [this] { return !readsHeld; });
    return fieldTextToInt(fieldTexts[TimeLimitField].c_str());
}

void MainWindow::fillQuad(int32_t brush, int32_t left, int32_t top, int32_t width, int32_t height) {
    std::lock_guard<std::mutex> hold(operationLock);
    if (created) drawCalls.push_back(FillQuad{brush, left, top, width, height});
}

void MainWindow::strokeLine(int32_t pen, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    std::lock_guard<std::mutex> hold(operationLock);
    if (created) drawCalls.push_back(StrokeLine{pen, x1, y1, x2, y2});
}

void MainWindow::drawLabel(const char* text, int32_t x, int32_t y) {
    std::lock_guard<std::mutex> hold(operationLock);
    if (created) drawCalls.push_back(DrawLabel{text, x, y});
}

void MainWindow::holdFieldReads(bool held) { setHold(readsHeld, held); }

void MainWindow::holdStatistics(bool held) { setHold(statisticsHeld, held); }

void MainWindow::setHold(bool& flag, bool held) {
    {
        std::lock_guard<std::mutex> hold(operationLock);
        flag = held;
    }
    holdsReleased.notify_all();
}

std::vector<std::string> MainWindow::moveLogEntries() {
    std::lock_guard<std::mutex> hold(operationLock);
    return moveLogItems;
}

std::string MainWindow::statisticsText() {
    std::lock_guard<std::mutex> hold(operationLock);
    return statistics;
}

int32_t MainWindow::redrawCount() {
    std::lock_guard<std::mutex> hold(operationLock);
    return redrawRequests;
}

std::vector<DrawCall> MainWindow::takeDrawCalls() {
    std::lock_guard<std::mutex> hold(operationLock);
    std::vector<DrawCall> taken;
    taken.swap(drawCalls);
    return taken;
}
