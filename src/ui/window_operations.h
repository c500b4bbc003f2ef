// The window as the session sees it: seven window operations (move log,
// statistics label, repaint request, reading the depth and time fields) and
// three drawing primitives. Each backend's class MainWindow includes this
// file inside its body, so that the session's side of the seam is written
// once; which backend, is chosen at build time, not through a base class.
// (No include guard: it is meant to be included once per class.)

// Window operations for the session. Any thread; before the window exists
// they have no effect (the reads then give the fields' initial values).
void logMove(const char* text);
void unlogMove();
void clearMoveLog();
void setStatistics(const char* text);
void redraw();
int32_t readMaxDepth();
int32_t readTimeLimit();

// Drawing primitives, window thread, while painting.
void fillQuad(int32_t brush, int32_t left, int32_t top, int32_t width, int32_t height);
void strokeLine(int32_t pen, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void drawLabel(const char* text, int32_t x, int32_t y);
