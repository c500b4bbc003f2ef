#include "args.h"

#include <charconv>
#include <cstring>

#include "cli.h"
#include "model/board.h"

namespace {

struct OptionText {
    const char* name;
    const char* value;  // as the usage names it
};

// In the order of Option.
constexpr OptionText kOptionTexts[] = {
    {"--size", "N"},  {"--games", "K"},      {"--depth", "D"},
    {"--time", "MS"}, {"--time", "MS|none"}, {"--seed", "S"},
    {"--hash", "MB"}, {"--positions", "K"},  {"--lines-left", "L"},
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

}  // namespace

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
        if (i + 1 >= argc) {
            reportError(arg + " needs a value");
            return false;
        }
        if (!readValue(*option, argv[++i], line)) return false;
        if (*option == Option::Size) sizeGiven = true;
    }
    if (!sizeGiven) {
        reportError("--size is required (dots per side, 2 to 26)");
        return false;
    }
    if (line.size < kMinDotsPerSide || line.size > kMaxDotsPerSide) {
        reportError("--size must be 2 to 26 dots per side, got " + std::to_string(line.size));
        return false;
    }
    if (line.games < 1 || line.games > kMaxGames) {
        reportError("--games must be 1 to " + std::to_string(kMaxGames) + ", got " +
                    std::to_string(line.games));
        return false;
    }
    if (line.positions < 1 || line.positions > kMaxPositions) {
        reportError("--positions must be 1 to " + std::to_string(kMaxPositions) + ", got " +
                    std::to_string(line.positions));
        return false;
    }
    if (line.hashMegabytes < 1 || line.hashMegabytes > kMaxHashMegabytes) {
        reportError("--hash must be 1 to " + std::to_string(kMaxHashMegabytes) + " MiB, got " +
                    std::to_string(line.hashMegabytes));
        return false;
    }
    return true;
}

std::string usageLine(const char* name, const Syntax& syntax) {
    std::string usage = std::string("paxlet-cli ") + name;
    for (const Option option : syntax.options) {
        const std::string text = std::string(textOf(option).name) + " " + textOf(option).value;
        usage += option == Option::Size ? " " + text : " [" + text + "]";
    }
    if (syntax.takesMoves) usage += " [MOVE ...]";
    return usage;
}
