#include "ui/study/study_layout.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kMaxPenWidth = 5;
constexpr int32_t kMaxDotRadius = 4;
// Margin around the board when there are no numbers: a dot, a pen and room
// to click an edge line from outside.
constexpr int32_t kBareMargin = 12;

// A character of a digit font is about 0.6 of the text height wide; two
// pixels spare so that the window's own measure rarely has to shrink it.
int32_t labelWidthFor(int32_t height, int32_t chars) { return (chars * height * 3 + 4) / 5 + 2; }

int32_t gapFor(int32_t penWidth, int32_t dotRadius) {
    return std::max(penWidth / 2, dotRadius) + 2;
}

// The bottom right quad holds both boxes a quad can hold, its bottom side's
// and its right side's: they must stand apart and off the quad's lines by
// the gap. Coordinates from the quad's top left dot.
bool boxesFit(int32_t cell, int32_t width, int32_t height, int32_t gap) {
    const int32_t l1 = cell / 2 - width / 2, r1 = l1 + width;
    const int32_t t1 = cell - gap - height, b1 = cell - gap;
    const int32_t l2 = cell - gap - width, r2 = cell - gap;
    const int32_t t2 = cell / 2 - height / 2, b2 = t2 + height;
    const bool apart = r1 <= l2 || r2 <= l1 || b1 <= t2 || b2 <= t1;
    return apart && l1 >= gap && r1 <= cell - gap && l2 >= gap && t1 >= gap && t2 >= gap &&
           b2 <= cell - gap;
}

void place(StudyLayout& layout, int32_t clientWidth, int32_t clientHeight, int32_t margin) {
    const int32_t spans = layout.dots - 1;
    const int32_t boardWidth = clientWidth - kStudyPanelWidth - 2 * margin;
    const int32_t boardHeight = clientHeight - 2 * margin;
    // Too small a client area still gets a board that can be clicked; it
    // then reaches beyond the window.
    layout.cell = std::max(4, std::min(boardWidth, boardHeight) / spans);
    layout.penWidth = std::clamp(layout.cell / 8, 1, kMaxPenWidth);
    layout.dotRadius = std::clamp(layout.cell / 10, 2, kMaxDotRadius);
    layout.labelGap = gapFor(layout.penWidth, layout.dotRadius);
    const int32_t extent = spans * layout.cell;
    layout.originX =
        kStudyPanelWidth + std::max(margin, (clientWidth - kStudyPanelWidth - extent) / 2);
    layout.originY = std::max(margin, (clientHeight - extent) / 2);
}

bool isRowLine(int32_t dots, MoveIndex line) { return line % (2 * dots - 1) < dots - 1; }

// Squared distance from the point to the line's segment.
int64_t distanceSquared(const StudyLayout& layout, MoveIndex line, int32_t x, int32_t y) {
    StudyPoint from, to;
    lineEnds(layout, line, from, to);
    const int64_t dx = x < from.x ? from.x - x : (x > to.x ? x - to.x : 0);
    const int64_t dy = y < from.y ? from.y - y : (y > to.y ? y - to.y : 0);
    return dx * dx + dy * dy;
}

}  // namespace

int32_t longestValueChars(int32_t dots) {
    int32_t digits = 1;
    for (int32_t quads = (dots - 1) * (dots - 1); quads >= 10; quads /= 10) ++digits;
    return digits + 1;  // the minus sign
}

StudyLayout layOutStudy(int32_t clientWidth, int32_t clientHeight, int32_t dots) {
    StudyLayout layout;
    layout.dots = std::clamp(dots, kMinDotsPerSide, kMaxDotsPerSide);
    const int32_t chars = longestValueChars(layout.dots);
    for (int32_t height = kStudyMaxTextHeight; height >= kStudyMinTextHeight; --height) {
        const int32_t width = labelWidthFor(height, chars);
        // The margin holds the top row's and the left column's boxes at the
        // widest gap a pen and a dot may ask for.
        const int32_t margin = gapFor(kMaxPenWidth, kMaxDotRadius) + width + 2;
        place(layout, clientWidth, clientHeight, margin);
        if (boxesFit(layout.cell, width, height, layout.labelGap)) {
            layout.textHeight = height;
            layout.labelWidth = width;
            return layout;
        }
    }
    place(layout, clientWidth, clientHeight, kBareMargin);
    layout.textHeight = 0;
    layout.labelWidth = 0;
    return layout;
}

int32_t lineCountOf(int32_t dots) { return 2 * dots * (dots - 1); }

StudyPoint dotCentre(const StudyLayout& layout, int32_t column, int32_t row) {
    return {layout.originX + column * layout.cell, layout.originY + row * layout.cell};
}

void lineEnds(const StudyLayout& layout, MoveIndex line, StudyPoint& from, StudyPoint& to) {
    const int32_t n = layout.dots;
    const int32_t row = line / (2 * n - 1), k = line % (2 * n - 1);
    if (k < n - 1) {
        from = dotCentre(layout, k, row);
        to = dotCentre(layout, k + 1, row);
    } else {
        from = dotCentre(layout, k - (n - 1), row);
        to = dotCentre(layout, k - (n - 1), row + 1);
    }
}

StudyRect quadRect(const StudyLayout& layout, int32_t quad) {
    const int32_t column = quad % (layout.dots - 1), row = quad / (layout.dots - 1);
    const StudyPoint corner = dotCentre(layout, column, row);
    return {corner.x + 1, corner.y + 1, corner.x + layout.cell, corner.y + layout.cell};
}

MoveIndex pickLine(const StudyLayout& layout, int32_t x, int32_t y) {
    const int32_t n = layout.dots, c = layout.cell;
    // Only lines from the dots around the point's cell can be near enough to
    // count; each is found from its left or top dot.
    const auto cellOf = [c](int32_t offset) {
        return offset >= 0 ? offset / c : -((c - 1 - offset) / c);
    };
    const int32_t column = cellOf(x - layout.originX), row = cellOf(y - layout.originY);
    MoveIndex nearest = -1;
    int64_t best = INT64_MAX, second = INT64_MAX;
    const auto consider = [&](MoveIndex line) {
        const int64_t d = distanceSquared(layout, line, x, y);
        if (d < best) {
            second = best;
            best = d;
            nearest = line;
        } else if (d < second) {
            second = d;
        }
    };
    for (int32_t r = std::max(0, row - 1); r <= std::min(n - 1, row + 2); ++r)
        for (int32_t k = std::max(0, column - 1); k <= std::min(n - 1, column + 2); ++k) {
            const MoveIndex first = r * (2 * n - 1);
            if (k < n - 1) consider(first + k);
            if (r < n - 1) consider(first + n - 1 + k);
        }
    const int64_t reach = c / 3;
    if (best > reach * reach) return -1;
    // Near a dot or in a quad's middle two lines are about as near: a click
    // there could mean either, so it means neither.
    if (second != INT64_MAX &&
        std::sqrt(static_cast<double>(second)) - std::sqrt(static_cast<double>(best)) < 2.0)
        return -1;
    return nearest;
}

StudyRect labelBox(const StudyLayout& layout, MoveIndex line) {
    StudyPoint from, to;
    lineEnds(layout, line, from, to);
    const int32_t w = layout.labelWidth, h = layout.textHeight, gap = layout.labelGap;
    const int32_t half = layout.cell / 2;
    if (isRowLine(layout.dots, line)) {
        const int32_t left = from.x + half - w / 2;
        return {left, from.y - gap - h, left + w, from.y - gap};
    }
    const int32_t top = from.y + half - h / 2;
    return {from.x - gap - w, top, from.x - gap, top + h};
}
