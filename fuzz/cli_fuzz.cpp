// paxlet-cli's command line under libFuzzer, run in process through runCli.
//
// Input: lines (ended by newlines or NULs). The first line names the command:
// "order" is order, "selfplay" selfplay, "solve" solve, "grade" grade,
// anything else analyze; the others are the arguments after the command's
// name. analyze gets "--time 20" appended, so that every search ends quickly:
// the last value of an option wins, the stop is seen at every node, and a
// fuzzed option left without its value takes "--time" for it and is refused.
// selfplay gets "--games 0" and grade "--positions 0", which refuse every
// command line, so that only their refusals are fuzzed and no game is played:
// they must exit 2 with a reason. solve gets "--hash 1 --time 20": a small
// table and a short proof, whose bounds are printed when it runs out.
//
// What must hold: no crash and no sanitizer report; exit 0, 1 or 2; 0 prints
// one JSON line and no error; 1 and 2 print "paxlet-cli: reason" lines, 2
// nothing else, 1 only when there is nothing to play or no memory. Where the
// command line was good, the position is set up again here from it, and what
// was printed must fit that position: analyze's move is an undrawn line named
// by its notation, "move":null a drawn line, order's list the undrawn lines,
// solve's best lines undrawn ones, each once, in index order.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli.h"
#include "model/board.h"

namespace {

// A stream whose text can be read back once it is closed.
struct Capture {
    char* buffer = nullptr;
    size_t length = 0;
    std::FILE* stream = open_memstream(&buffer, &length);

    std::string close() {
        std::fclose(stream);
        std::string text(buffer, length);
        std::free(buffer);
        return text;
    }
};

std::string quotedArgs(const std::vector<std::string>& args) {
    std::string out;
    for (const std::string& arg : args) {
        out += " \"";
        for (const char c : arg) {
            char escaped[8];
            const unsigned char u = static_cast<unsigned char>(c);
            std::snprintf(escaped, sizeof escaped, u < 0x20 || u >= 0x7f ? "\\x%02x" : "%c", u);
            out += escaped;
        }
        out += '"';
    }
    return out;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Each line "paxlet-cli: <reason>\n" with a reason; false for none at all.
bool onlyReasons(const std::string& errors) {
    if (errors.empty()) return false;
    size_t at = 0;
    while (at < errors.size()) {
        const size_t end = errors.find('\n', at);
        if (end == std::string::npos) return false;
        const std::string line = errors.substr(at, end - at);
        if (!startsWith(line, "paxlet-cli: ") || line.size() == 12) return false;
        at = end + 1;
    }
    return true;
}

bool oneJsonLine(const std::string& output) {
    return output.size() >= 3 && output.front() == '{' &&
           output.compare(output.size() - 2, 2, "}\n") == 0 &&
           output.find('\n') == output.size() - 1;
}

// The position a good command line set up, read again: there every argument
// starting with "--" is an option that took the next one as its value, and
// the others are the moves, which are to be drawn in order.
struct Replay {
    Board board;
    std::string fault;  // why the moves could not all be drawn

    explicit Replay(const std::vector<std::string>& args) {
        int32_t size = 0;
        std::vector<std::string> moves;
        for (size_t i = 2; i < args.size(); ++i) {
            if (startsWith(args[i], "--")) {
                if (args[i] == "--size" && i + 1 < args.size())
                    size = std::atoi(args[i + 1].c_str());
                ++i;
            } else {
                moves.push_back(args[i]);
            }
        }
        board.createBoard(size, 2);
        for (const std::string& move : moves) {
            const MoveIndex line = board.parseMove(move.c_str());
            if (line < 0 || board.lines[line].owner != 0) {
                fault = "\"" + move + "\" cannot be drawn";
                return;
            }
            board.playMove(line);
        }
    }

    bool undrawn(MoveIndex line) const {
        return line >= 0 && line < board.lineCount && board.lines[line].owner == 0;
    }
};

std::string checkMove(const Replay& replay, const std::string& output) {
    char text[8] = {};
    MoveIndex index = -1;
    if (std::sscanf(output.c_str(), "{\"move\":\"%7[^\"]\",\"index\":%d,", text, &index) != 2)
        return "no move and index in the JSON";
    if (!replay.undrawn(index)) return "a move that cannot be drawn, with exit 0";
    char expected[8];
    replay.board.formatMove(expected, index);
    if (std::strcmp(text, expected) != 0) return "a move whose text is not its index's";
    return "";
}

std::string checkNoMove(const Replay& replay, const std::string& output) {
    MoveIndex index = -1;
    if (std::sscanf(output.c_str(), "{\"move\":null,\"index\":%d,", &index) != 1)
        return "no index with the null move";
    if (replay.undrawn(index)) return "an undrawn line called no move";
    return "";
}

std::string checkOrder(const Replay& replay, const std::string& output) {
    const size_t open = output.find('[') + 1, close = output.find(']');
    std::vector<int32_t> seen(static_cast<size_t>(replay.board.lineCount), 0);
    int32_t listed = 0;
    for (size_t at = open; at < close; ++at) {
        const MoveIndex line = std::atoi(output.c_str() + at);
        if (!replay.undrawn(line) || seen[line]++ != 0) return "order lists a line twice or drawn";
        ++listed;
        at = output.find_first_of(",]", at);
    }
    if (listed != replay.board.availableCount) return "order leaves out undrawn lines";
    return "";
}

// solve's best lines: undrawn, in index order, each named by its notation.
std::string checkSolve(const Replay& replay, const std::string& output) {
    if (!startsWith(output, "{\"value\":")) return "solve without a value";
    const size_t open = output.find("\"best\":[");
    if (open == std::string::npos) return "solve without best lines";
    const size_t close = output.find(']', open);
    if (close == open + 8) return "solve with no best line";
    MoveIndex previous = -1;
    for (size_t at = open + 8; at < close;) {
        char text[8] = {};
        if (std::sscanf(output.c_str() + at, "\"%7[^\"]\"", text) != 1)
            return "a best line unquoted";
        const MoveIndex line = replay.board.parseMove(text);
        if (!replay.undrawn(line) || line <= previous) return "best lines drawn or out of order";
        previous = line;
        at = output.find_first_of(",]", at + 1) + 1;
    }
    return "";
}

enum class Command { Analyze, Order, Selfplay, Solve, Grade };

std::string problem(Command command, const std::vector<std::string>& args, int code,
                    const std::string& output, const std::string& errors) {
    if (code == 2) {
        if (!onlyReasons(errors)) return "exit 2 without a reason";
        return output.empty() ? "" : "exit 2 with output";
    }
    if (command == Command::Selfplay) return "selfplay with --games 0 not refused";
    if (command == Command::Grade) return "grade with --positions 0 not refused";
    const bool analyze = command == Command::Analyze;
    if (code == 1 && startsWith(errors, "paxlet-cli: out of memory"))
        return output.empty() ? "" : "output with out of memory";
    if (code != 0 && code != 1) return "exit " + std::to_string(code);

    const Replay replay(args);
    if (!replay.fault.empty()) return "exit " + std::to_string(code) + " though " + replay.fault;
    if (code == 0) {
        if (!errors.empty()) return "exit 0 with an error";
        if (!oneJsonLine(output)) return "exit 0 without one JSON line";
        if (analyze) return checkMove(replay, output);
        if (command == Command::Solve) return checkSolve(replay, output);
        if (!startsWith(output, "{\"order\":[")) return "exit 0 without the order";
        return checkOrder(replay, output);
    }
    if (!onlyReasons(errors)) return "exit 1 without a reason";
    if (errors == "paxlet-cli: no line left to draw\n")
        return replay.board.availableCount == 0 && output.empty() ? "" : "lines left to draw";
    if (command == Command::Solve &&
        startsWith(errors, "paxlet-cli: time ran out before the value was proved: it is ") &&
        oneJsonLine(output))
        return startsWith(output, "{\"lower\":") ? "" : "time ran out without the bounds";
    if (analyze &&
        startsWith(errors, "paxlet-cli: the engine returned no move of this position: ") &&
        oneJsonLine(output))
        return checkNoMove(replay, output);
    return "exit 1 for a reason other than nothing to play";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // argv strings end at a NUL, so the input's NULs end arguments too.
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    for (size_t at = 0; at < input.size();) {
        size_t end = input.find_first_of(std::string("\n\0", 2), at);
        if (end == std::string::npos) end = input.size();
        lines.push_back(input.substr(at, end - at));
        at = end + 1;
    }
    const std::string name = lines.empty() ? "" : lines[0];
    const Command command = name == "order"      ? Command::Order
                            : name == "selfplay" ? Command::Selfplay
                            : name == "solve"    ? Command::Solve
                            : name == "grade"    ? Command::Grade
                                                 : Command::Analyze;
    constexpr const char* kNames[] = {"analyze", "order", "selfplay", "solve", "grade"};
    std::vector<std::string> args = {"paxlet-cli", kNames[static_cast<int>(command)]};
    if (!lines.empty()) args.insert(args.end(), lines.begin() + 1, lines.end());
    if (command == Command::Analyze) args.insert(args.end(), {"--time", "20"});
    if (command == Command::Selfplay) args.insert(args.end(), {"--games", "0"});
    if (command == Command::Grade) args.insert(args.end(), {"--positions", "0"});
    if (command == Command::Solve) args.insert(args.end(), {"--hash", "1", "--time", "20"});

    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    Capture output, errors;
    cliOutput = output.stream;
    cliErrors = errors.stream;
    const int code = runCli(static_cast<int>(args.size()), argv.data());
    cliOutput = stdout;
    cliErrors = stderr;
    const std::string printed = output.close(), said = errors.close();

    const std::string wrong = problem(command, args, code, printed, said);
    if (wrong.empty()) return 0;
    std::fprintf(stderr, "cli: %s\nargv:%s\nexit %d\nstdout: %s\nstderr: %s\n", wrong.c_str(),
                 quotedArgs(args).c_str(), code, printed.c_str(), said.c_str());
    std::abort();
}
