#include "cli.h"

#include <cstring>
#include <exception>
#include <new>

#include "args.h"
#include "commands.h"

std::FILE* cliOutput = stdout;
std::FILE* cliErrors = stderr;
std::FILE* cliInput = stdin;

namespace {

constexpr Option kAnalyzeOptions[] = {Option::Size, Option::Board, Option::Depth,
                                      Option::TimeOrNone};
constexpr Option kOrderOptions[] = {Option::Size};
constexpr Option kShowOptions[] = {Option::Size, Option::Board};
constexpr Option kSolveOptions[] = {Option::Size,   Option::Board,   Option::TimeOrNone,
                                    Option::Hash,   Option::Threads, Option::Values,
                                    Option::Picture};
constexpr Option kGradeOptions[] = {Option::Size,       Option::Positions, Option::Seed,
                                    Option::TimeOrNone, Option::Depth,     Option::LinesLeft,
                                    Option::Hash,       Option::Threads};
constexpr Option kSelfplayOptions[] = {Option::Size, Option::Games, Option::Depth, Option::Time,
                                       Option::Seed};
constexpr Option kPlayOptions[] = {Option::Size, Option::As, Option::Time, Option::Board};

struct Command {
    const char* name;
    Syntax syntax;
    int (*run)(const CommandLine& line);
};

constexpr Command kCommands[] = {
    {"analyze", {kAnalyzeOptions, true}, runAnalyze},
    {"order", {kOrderOptions, true}, runOrder},
    {"show", {kShowOptions, true}, runShow},
    {"selfplay", {kSelfplayOptions, false}, runSelfplay},
    {"solve", {kSolveOptions, true}, runSolve},
    {"grade", {kGradeOptions, false}, runGrade},
    {"play", {kPlayOptions, false}, runPlay},
};

void printUsage(std::FILE* out) {
    const char* lead = "usage: ";
    for (const Command& command : kCommands) {
        std::fprintf(out, "%s%s\n", lead, usageLine(command.name, command.syntax).c_str());
        lead = "       ";
    }
    std::fprintf(out,
                 "Moves are in move notation, e.g. A1-B1; N is 2 to 26 dots per side.\n"
                 "--board FILE reads the position from a picture such as show prints (- is\n"
                 "standard input); --size may then be left out, and moves go on from there.\n"
                 "analyze searches 5000 ms unless --time says otherwise; none is no limit.\n"
                 "solve proves the exact value and every best line, within 60000 ms unless\n"
                 "--time says otherwise, with a table of 256 MiB unless --hash says otherwise,\n"
                 "on as many threads as the machine has unless --threads says otherwise;\n"
                 "--values adds every line's value, and --picture draws them on the board.\n"
                 "grade plays down to half the lines unless --lines-left says otherwise.\n"
                 "play: you are player 1 (or --as 2) and type a move a line; the computer\n"
                 "plays a proved best line when the proof takes at most 2000 ms (--time),\n"
                 "else the search's move in that time.\n");
}

int dispatch(int argc, char** argv) {
    if (argc < 2) {
        printUsage(cliErrors);
        return 2;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
        printUsage(cliOutput);
        return 0;
    }
    for (const Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) != 0) continue;
        CommandLine line;
        if (!parseCommandLine(command.syntax, argc - 1, argv + 1, line)) return 2;
        return command.run(line);
    }
    reportError(std::string("unknown command \"") + argv[1] + "\"");
    printUsage(cliErrors);
    return 2;
}

}  // namespace

void reportError(const std::string& message) {
    std::fprintf(cliErrors, "paxlet-cli: %s\n", message.c_str());
}

int runCli(int argc, char** argv) {
    // The MoveStack alone takes 256 MiB; under a memory limit its allocation
    // is the first to fail. The model throws its own texts ("Out of memory").
    try {
        return dispatch(argc, argv);
    } catch (const std::bad_alloc&) {
        reportError("out of memory");
    } catch (const char* text) {
        reportError(text);
    } catch (const std::exception& error) {
        reportError(error.what());
    }
    return 1;
}
