#include "args.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <thread>

#include "cli.h"
#include "model/board.h"

namespace {

struct OptionText {
    const char* name;
    const char* value;  // as the usage names it; null for a flag, which takes none
};

// In the order of Option.
constexpr OptionText kOptionTexts[] = {
    {"--size", "N"},        {"--games", "K"},   {"--depth", "D"},    {"--time", "MS"},
    {"--time", "MS|none"},  {"--seed", "S"},    {"--hash", "MB"},    {"--positions", "K"},
    {"--lines-left", "L"},  {"--threads", "N"}, {"--board", "FILE"}, {"--values", nullptr},
    {"--picture", nullptr}, {"--as", "1|2"},
};

const OptionText& textOf(Option option) { return kOptionTexts[static_cast<size_t>(option)]; }

// The whole text is one number of Number's range: no blanks, no plus sign.
template <typename Number>
bool readWhole(const char* text, Number& value) {
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    return error == std::errc() && stop == end && stop != text;
}

bool readInt32(const char* name, const char* text, bool orNone, int32_t& value) {
    if (readWhole(text, value)) return true;
    reportError(std::string(name) + " wants a 32-bit whole number" + (orNone ? " or none" : "") +
                ", got \"" + text + "\"");
    return false;
}

bool readValue(Option option, const char* text, CommandLine& line) {
    const char* name = textOf(option).name;
    switch (option) {
        case Option::Size:
            return readInt32(name, text, false, line.size);
        case Option::Games:
            return readInt32(name, text, false, line.games);
        case Option::Depth:
            return readInt32(name, text, false, line.depth);
        case Option::Time:
            line.timeGiven = true;
            return readInt32(name, text, false, line.timeLimitMs);
        case Option::TimeOrNone:
            line.timeGiven = true;
            if (std::strcmp(text, "none") == 0) {
                line.timeLimitMs = kNoTimeLimit;
                return true;
            }
            return readInt32(name, text, true, line.timeLimitMs);
        case Option::Hash:
            return readInt32(name, text, false, line.hashMegabytes);
        case Option::Positions:
            return readInt32(name, text, false, line.positions);
        case Option::LinesLeft:
            return readInt32(name, text, false, line.linesLeft);
        case Option::Threads:
            return readInt32(name, text, false, line.threads);
        case Option::Board:
            line.boardGiven = true;
            line.boardFile = text;
            return true;
        case Option::As:
            return readInt32(name, text, false, line.human);
        case Option::Values:
        case Option::Picture:
            break;
        case Option::Seed:
            if (readWhole(text, line.seed)) {
                line.seeded = true;
                return true;
            }
            reportError(std::string(name) + " wants a whole number from 0 to 4294967295, got \"" +
                        text + "\"");
            return false;
    }
    return false;
}

const Option* findOption(const Syntax& syntax, const std::string& name) {
    for (const Option& option : syntax.options)
        if (name == textOf(option).name) return &option;
    return nullptr;
}

bool takes(const Syntax& syntax, Option wanted) {
    return std::find(syntax.options.begin(), syntax.options.end(), wanted) != syntax.options.end();
}

bool inRange(const char* name, int32_t value, int32_t low, int32_t high, const char* unit = "") {
    if (value >= low && value <= high) return true;
    reportError(std::string(name) + " must be " + std::to_string(low) + " to " +
                std::to_string(high) + unit + ", got " + std::to_string(value));
    return false;
}

// The checks of the values that stand once every option was read.
bool checkRanges(const CommandLine& line, bool sizeGiven) {
    if (sizeGiven &&
        !inRange("--size", line.size, kMinDotsPerSide, kMaxDotsPerSide, " dots per side"))
        return false;
    if (!inRange("--games", line.games, 1, kMaxGames)) return false;
    if (!inRange("--positions", line.positions, 1, kMaxPositions)) return false;
    if (!inRange("--hash", line.hashMegabytes, 1, kMaxHashMegabytes, " MiB")) return false;
    if (!inRange("--threads", line.threads, 1, kMaxThreads)) return false;
    if (line.human != 1 && line.human != 2) {
        reportError("--as must be 1 or 2, got " + std::to_string(line.human));
        return false;
    }
    return true;
}

}  // namespace

int32_t defaultThreads() {
    const unsigned hardware = std::thread::hardware_concurrency();
    return static_cast<int32_t>(std::clamp<unsigned>(hardware, 1, kMaxThreads));
}

bool parseCommandLine(const Syntax& syntax, int argc, char** argv, CommandLine& line) {
    bool sizeGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) {
            if (syntax.takesMoves) {
                line.moves.push_back(arg);
                continue;
            }
            reportError(std::string(argv[0]) + " takes no moves, got \"" + arg + "\"");
            return false;
        }
        const Option* option = findOption(syntax, arg);
        if (option == nullptr) {
            reportError("unknown option \"" + arg + "\"");
            return false;
        }
        if (*option == Option::Values || *option == Option::Picture) {
            (*option == Option::Values ? line.values : line.picture) = true;
            continue;
        }
        if (i + 1 >= argc) {
            reportError(arg + " needs a value");
            return false;
        }
        if (!readValue(*option, argv[++i], line)) return false;
        if (*option == Option::Size) sizeGiven = true;
    }
    const bool pictured = takes(syntax, Option::Board);
    if (!sizeGiven && !line.boardGiven) {
        reportError(pictured ? "--size or --board is required (dots per side, 2 to 26)"
                             : "--size is required (dots per side, 2 to 26)");
        return false;
    }
    return checkRanges(line, sizeGiven);
}

std::string usageLine(const char* name, const Syntax& syntax) {
    std::string usage = std::string("paxlet-cli ") + name;
    const bool pictured = takes(syntax, Option::Board);
    for (const Option option : syntax.options) {
        const OptionText& words = textOf(option);
        const std::string text =
            std::string(words.name) + (words.value ? std::string(" ") + words.value : "");
        usage += option == Option::Size && !pictured ? " " + text : " [" + text + "]";
    }
    if (syntax.takesMoves) usage += " [MOVE ...]";
    return usage;
}
