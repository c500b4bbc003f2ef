// paxlet-cli's command line under libFuzzer, run in process through runCli.
//
// Input: lines (ended by newlines or NULs). The first line names the command:
// "order" is order, "selfplay" selfplay, "solve" solve, "grade" grade, "show"
// show, "play" play, anything else analyze; the others are the arguments
// after the command's name, up to a line "<<<": what follows that line, byte
// for byte, is standard input, the picture that "--board -" reads (every
// --board reads it; no file is opened). analyze gets "--time 20" appended, so
// that every search ends quickly: the last value of an option wins, the stop
// is seen at every node, and a fuzzed option left without its value takes
// "--time" for it and is refused. selfplay gets "--games 0", grade
// "--positions 0" and play "--as 0", which refuse every command line, so that
// only their refusals are fuzzed and no game is played: they must exit 2 with
// a reason. solve gets "--hash 1 --time 20 --threads 1": a small table and a
// short proof, whose bounds are printed when it runs out.
//
// What must hold: no crash and no sanitizer report; exit 0, 1 or 2; 0 prints
// one JSON line (show and solve --picture: a picture) and no error; 1 and 2
// print "paxlet-cli: reason" lines, 2 nothing else, 1 only when there is
// nothing to play or no memory. Where the command line was good, the position
// is set up again here from it, and what was printed must fit that position:
// analyze's move is an undrawn line named by its notation, "move":null a drawn
// line, order's list the undrawn lines, solve's best lines undrawn ones, each
// once, in index order, its values one per undrawn line in index order, the
// best lines those worth the value; show's picture is that of the position.
// And whatever the command, the picture with every LF turned into CR LF (as
// a Windows editor saves it) reads as it does: to the same board, or to the
// same fault at the same line and column.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli.h"
#include "model/board.h"
#include "picture/picture.h"

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
// starting with "--" is an option that took the next one as its value (but
// for the flags), and the others are the moves, which are to be drawn in
// order, after the picture when there is one.
struct Replay {
    Board board;
    std::string fault;  // why the picture could not be read or the moves not all drawn
    bool values = false, picture = false;

    Replay(const std::vector<std::string>& args, const std::string& input) {
        int32_t size = 0;
        bool pictured = false;
        std::vector<std::string> moves;
        for (size_t i = 2; i < args.size(); ++i) {
            if (args[i] == "--values" || args[i] == "--picture") {
                (args[i] == "--values" ? values : picture) = true;
            } else if (startsWith(args[i], "--")) {
                if (args[i] == "--size" && i + 1 < args.size())
                    size = std::atoi(args[i + 1].c_str());
                pictured = pictured || args[i] == "--board";
                ++i;
            } else {
                moves.push_back(args[i]);
            }
        }
        if (!pictured) {
            board.createBoard(size, 2);
        } else if (!readPicture(input, size, board, fault)) {
            return;
        }
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

// solve's best lines: undrawn, in index order, each named by its notation;
// with --values every undrawn line's value, in index order, the best lines
// exactly those worth the value.
std::string checkSolve(const Replay& replay, const std::string& output) {
    int32_t value = 0;
    if (std::sscanf(output.c_str(), "{\"value\":%d,", &value) != 1) return "solve without a value";
    const size_t open = output.find("\"best\":[");
    if (open == std::string::npos) return "solve without best lines";
    const size_t close = output.find(']', open);
    if (close == open + 8) return "solve with no best line";
    std::vector<MoveIndex> best;
    for (size_t at = open + 8; at < close;) {
        char text[8] = {};
        if (std::sscanf(output.c_str() + at, "\"%7[^\"]\"", text) != 1)
            return "a best line unquoted";
        const MoveIndex line = replay.board.parseMove(text);
        if (!replay.undrawn(line) || (!best.empty() && line <= best.back()))
            return "best lines drawn or out of order";
        best.push_back(line);
        at = output.find_first_of(",]", at + 1) + 1;
    }
    const size_t values = output.find(",\"values\":[");
    if ((values != std::string::npos) != replay.values) return "values without --values or none";
    if (!replay.values) return "";
    std::vector<MoveIndex> worthValue;
    size_t at = values + 11;
    for (MoveIndex line = 0; line < replay.board.lineCount; ++line) {
        if (!replay.undrawn(line)) continue;
        char text[8] = {}, expected[8];
        int32_t lineValue = 0, length = 0;
        if (std::sscanf(output.c_str() + at, "{\"line\":\"%7[^\"]\",\"value\":%d}%n", text,
                        &lineValue, &length) != 2)
            return "a line without its value";
        replay.board.formatMove(expected, line);
        if (std::strcmp(text, expected) != 0) return "values not one per undrawn line in order";
        if (lineValue == value) worthValue.push_back(line);
        at += static_cast<size_t>(length) + 1;
    }
    if (output.compare(at - 1, 2, "],") != 0) return "values of more lines than are undrawn";
    return worthValue == best ? "" : "best lines not those worth the value";
}

// show's picture: that of the position, which reads back as it is.
std::string checkShow(const Replay& replay, const std::string& output) {
    if (output != drawPicture(replay.board)) return "show printed another position";
    Board read;
    std::string fault;
    if (!readPicture(output, 0, read, fault)) return "show's picture does not read back: " + fault;
    return drawPicture(read) == output ? "" : "show's picture reads back as another";
}

// solve --picture: the board, then the value and the best lines.
std::string checkSolvePicture(const Replay& replay, const std::string& output) {
    const std::string side = sideAndScore(replay.board) + "\nvalue ";
    if (output.find(side) == std::string::npos) return "solve --picture without its last lines";
    return output.back() == '\n' ? "" : "solve --picture unended";
}

std::string checkCrLf(const std::vector<std::string>& args, const std::string& input) {
    int32_t size = 0;
    for (size_t i = 2; i + 1 < args.size(); ++i)
        if (args[i] == "--size") size = std::atoi(args[i + 1].c_str());
    std::string saved;
    for (const char c : input) saved += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const int32_t dots : {0, size}) {
        Board plain, crlf;
        std::string plainFault, crlfFault;
        const bool read = readPicture(input, dots, plain, plainFault);
        if (read != readPicture(saved, dots, crlf, crlfFault) || plainFault != crlfFault)
            return "with CR LF the picture reads otherwise: " + plainFault + " / " + crlfFault;
        if (read && drawPicture(plain) != drawPicture(crlf))
            return "with CR LF the picture reads as another board";
    }
    return "";
}

enum class Command { Analyze, Order, Selfplay, Solve, Grade, Show, Play };

std::string problem(Command command, const std::vector<std::string>& args, const std::string& input,
                    int code, const std::string& output, const std::string& errors) {
    if (code == 2) {
        if (!onlyReasons(errors)) return "exit 2 without a reason";
        return output.empty() ? "" : "exit 2 with output";
    }
    if (command == Command::Selfplay) return "selfplay with --games 0 not refused";
    if (command == Command::Grade) return "grade with --positions 0 not refused";
    if (command == Command::Play) return "play with --as 0 not refused";
    const bool analyze = command == Command::Analyze;
    if (code == 1 && startsWith(errors, "paxlet-cli: out of memory"))
        return output.empty() ? "" : "output with out of memory";
    if (code != 0 && code != 1) return "exit " + std::to_string(code);

    const Replay replay(args, input);
    if (!replay.fault.empty()) return "exit " + std::to_string(code) + " though " + replay.fault;
    if (code == 0) {
        if (!errors.empty()) return "exit 0 with an error";
        if (command == Command::Show) return checkShow(replay, output);
        if (command == Command::Solve && replay.picture) return checkSolvePicture(replay, output);
        if (!oneJsonLine(output)) return "exit 0 without one JSON line";
        if (analyze) return checkMove(replay, output);
        if (command == Command::Solve) return checkSolve(replay, output);
        if (!startsWith(output, "{\"order\":[")) return "exit 0 without the order";
        return checkOrder(replay, output);
    }
    if (!onlyReasons(errors)) return "exit 1 without a reason";
    if (command == Command::Show) return "show with exit 1";
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
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    std::string input;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find_first_of(std::string("\n\0", 2), at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
        if (lines.back() == "<<<") {
            lines.pop_back();
            if (at < text.size()) input = text.substr(at);
            break;
        }
    }
    const std::string name = lines.empty() ? "" : lines[0];
    const Command command = name == "order"      ? Command::Order
                            : name == "selfplay" ? Command::Selfplay
                            : name == "solve"    ? Command::Solve
                            : name == "grade"    ? Command::Grade
                            : name == "show"     ? Command::Show
                            : name == "play"     ? Command::Play
                                                 : Command::Analyze;
    constexpr const char* kNames[] = {"analyze", "order", "selfplay", "solve",
                                      "grade",   "show",  "play"};
    std::vector<std::string> args = {"paxlet-cli", kNames[static_cast<int>(command)]};
    if (!lines.empty()) args.insert(args.end(), lines.begin() + 1, lines.end());
    // Every picture is the fuzzed one: no file is read, however --board names it.
    for (size_t i = 2; i + 1 < args.size(); ++i)
        if (args[i] == "--board") args[i + 1] = "-";
    if (command == Command::Analyze) args.insert(args.end(), {"--time", "20"});
    if (command == Command::Selfplay) args.insert(args.end(), {"--games", "0"});
    if (command == Command::Grade) args.insert(args.end(), {"--positions", "0"});
    if (command == Command::Play) args.insert(args.end(), {"--as", "0"});
    if (command == Command::Solve)
        args.insert(args.end(), {"--hash", "1", "--time", "20", "--threads", "1"});

    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    // fmemopen cannot open an empty buffer; /dev/null reads as one.
    std::FILE* in =
        input.empty() ? std::fopen("/dev/null", "rb") : fmemopen(input.data(), input.size(), "rb");
    Capture output, errors;
    cliOutput = output.stream;
    cliErrors = errors.stream;
    cliInput = in;
    const int code = runCli(static_cast<int>(args.size()), argv.data());
    cliOutput = stdout;
    cliErrors = stderr;
    cliInput = stdin;
    std::fclose(in);
    const std::string printed = output.close(), said = errors.close();

    std::string wrong = problem(command, args, input, code, printed, said);
    if (wrong.empty() && !input.empty()) wrong = checkCrLf(args, input);
    if (wrong.empty()) return 0;
    std::fprintf(stderr, "cli: %s\nargv:%s\nstdin:%s\nexit %d\nstdout: %s\nstderr: %s\n",
                 wrong.c_str(), quotedArgs(args).c_str(), quotedArgs({input}).c_str(), code,
                 printed.c_str(), said.c_str());
    std::abort();
}
