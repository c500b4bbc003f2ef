#include "cli.h"

#include <cstring>
#include <exception>
#include <new>

#include "commands.h"

std::FILE* cliOutput = stdout;
std::FILE* cliErrors = stderr;

namespace {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
};

constexpr Command kCommands[] = {
    {"analyze", runAnalyze},
    {"order", runOrder},
    {"selfplay", runSelfplay},
};

void printUsage(std::FILE* out) {
    std::fprintf(out,
                 "usage: paxlet-cli analyze --size N [--depth D] [--time MS|none] [MOVE ...]\n"
                 "       paxlet-cli order --size N [MOVE ...]\n"
                 "       paxlet-cli selfplay --size N [--games K] [--depth D] [--time MS] "
                 "[--seed S]\n"
                 "Moves are in move notation, e.g. A1-B1; N is 2 to 26 dots per side.\n"
                 "analyze searches 5000 ms unless --time says otherwise; none is no limit.\n");
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
    for (const Command& command : kCommands)
        if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 1, argv + 1);
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
