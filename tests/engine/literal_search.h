// The computer player's search written out plainly, as the reference that the
// engine must match figure for figure: every child is played and searched
// (depth-0 children through the leaf test at the top of search), every node
// orders its moves with the literal quicksort, and the budget is a plain
// field that runs out after a given number of nodes or on a stop request.
//
// It returns the same move, leafCount, nodeCount, lastValue and currentDepth
// as SearchEngine::chooseMove with the same node budget, and leaves the board
// as it found it.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "literal_ordering.h"
#include "model/board.h"

namespace literal {

struct LiteralSearch {
    Board* board = nullptr;
    int32_t computerPlayer = 0;
    MoveIndex bestRootMove = 0;
    int32_t lastValue = 0;
    int64_t leafCount = 0;
    int64_t nodeCount = 0;
    int32_t currentDepth = 0;
    // The budget runs out the moment nodeCount reaches nodeBudget, counted
    // before the move is played, and the next budget test sees it.
    int64_t nodeBudget = std::numeric_limits<int64_t>::max();
    // A stop asked for before chooseMove: the first iteration's root still
    // plays each of its moves, one leaf each.
    bool stopBeforeStart = false;
    // nodeCount when each finished iteration ended, in order.
    std::vector<int64_t> iterationEnds;

    bool budgetLeft = true;
    bool stopRequested = false;
    std::vector<MoveIndex> moveStack;
    int32_t stackTop = 0;

    int32_t evaluate() const {
        const int32_t p = computerPlayer;
        const int32_t q = p == 0 ? 1 : 0;
        const int32_t v = 100 * (board->scores[p] - board->scores[q]) + board->chains();
        return board->sideToMove == p ? v : -v;
    }

    bool isLeaf(int32_t depth) const {
        if (depth == 0 || board->availableCount == 0) return true;
        if (budgetLeft) return false;
        const bool rootTakesStop = stackTop == 0 && currentDepth == 1 && stopRequested;
        return !rootTakesStop;
    }

    int32_t search(int32_t depth, int32_t alpha, int32_t beta) {
        if (isLeaf(depth)) {
            ++leafCount;
            return evaluate();
        }
        const int32_t n = board->availableCount;
        const int32_t side = board->sideToMove;
        const int32_t s = stackTop;
        stackTop = s + n;
        literal::orderedMoves(*board, moveStack.data() + s, 65535);
        for (int32_t i = 0; i < n; ++i) {
            const MoveIndex m = moveStack[static_cast<size_t>(s + i)];
            ++nodeCount;
            if (nodeCount >= nodeBudget) budgetLeft = false;
            board->playMove(m);
            const int32_t v = board->sideToMove == side ? search(depth, alpha, beta)
                                                        : -search(depth - 1, -beta, -alpha);
            lastValue = v;
            board->undoMove();
            if (v >= beta) {
                stackTop = s;
                return beta;
            }
            if (v > alpha) {
                if (s == 0) bestRootMove = m;
                alpha = v;
            }
        }
        stackTop = s;
        return alpha;
    }

    MoveIndex chooseMove(int32_t maxDepth) {
        // Each ply holds one line fewer than its parent.
        const size_t entries =
            static_cast<size_t>(board->lineCount) * static_cast<size_t>(board->lineCount + 1) / 2 +
            1;
        if (moveStack.size() < entries) moveStack.resize(entries);
        nodeCount = 0;
        leafCount = 0;
        currentDepth = 0;
        iterationEnds.clear();
        budgetLeft = !stopBeforeStart;
        stopRequested = stopBeforeStart;
        MoveIndex result = 0;
        for (int64_t d = 1; d <= maxDepth; ++d) {
            currentDepth = static_cast<int32_t>(d);
            search(static_cast<int32_t>(d), -1879048193, 2147483647);
            if (!budgetLeft) {
                if (d == 1 && nodeCount > 0) result = bestRootMove;
                break;
            }
            iterationEnds.push_back(nodeCount);
            result = bestRootMove;
        }
        return result;
    }
};

}  // namespace literal
