#include "position.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

bool parseNumber(const char* option, const char* text, int32_t& value) {
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    if (error == std::errc() && stop == end && stop != text) return true;
    const char* orNone = std::strcmp(option, "--time") == 0 ? " or none" : "";
    reportError(std::string(option) + " wants a 32-bit whole number" + orNone + ", got \"" + text +
                "\"");
    return false;
}

}  // namespace

bool parsePositionArgs(int argc, char** argv, bool allowTiming, PositionArgs& args) {
    bool sizeGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) {
            args.moves.push_back(arg);
            continue;
        }
        int32_t* target = nullptr;
        if (arg == "--size") {
            target = &args.size;
            sizeGiven = true;
        } else if (allowTiming && arg == "--depth") {
            target = &args.depth;
        } else if (allowTiming && arg == "--time") {
            target = &args.timeLimitMs;
        } else {
            reportError("unknown option \"" + arg + "\"");
            return false;
        }
        if (i + 1 >= argc) {
            reportError(arg + " needs a value");
            return false;
        }
        const char* value = argv[++i];
        if (target == &args.timeLimitMs && std::strcmp(value, "none") == 0) {
            args.timeLimitMs = kNoTimeLimit;
            continue;
        }
        if (!parseNumber(arg.c_str(), value, *target)) return false;
    }
    if (!sizeGiven) {
        reportError("--size is required (dots per side, 2 to 26)");
        return false;
    }
    if (args.size < kMinDotsPerSide || args.size > kMaxDotsPerSide) {
        reportError("--size must be 2 to 26 dots per side, got " + std::to_string(args.size));
        return false;
    }
    return true;
}

bool Position::setUp(const PositionArgs& args) {
    board.createBoard(args.size, 2);
    for (size_t i = 0; i < args.moves.size(); ++i) {
        const MoveIndex move = board.parseMove(args.moves[i].c_str());
        if (move < 0 || board.lines[move].owner != 0) {
            reportError("move " + std::to_string(i + 1) + " \"" + args.moves[i] +
                        "\" is not a line that can be drawn " +
                        (move < 0 ? "on this board" : "here: it is already drawn"));
            return false;
        }
        board.playMove(move);
    }
    return true;
}
