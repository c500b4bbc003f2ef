// paxlet-cli: analyses positions with the game's own engine; also the
// outside check of the engine's figures.
#include <cstdio>
#include <cstring>

#include "commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
};

constexpr Command kCommands[] = {
    {"analyze", runAnalyze},
    {"order", runOrder},
#ifdef PAXLET_CLI_SELFPLAY
    {"selfplay", runSelfplay},
#endif
};

void printUsage(std::FILE* out) {
    std::fprintf(out,
                 "usage: paxlet-cli analyze --size N [--depth D] [--time MS] [MOVE ...]\n"
                 "       paxlet-cli order --size N [MOVE ...]\n"
#ifdef PAXLET_CLI_SELFPLAY
                 "       paxlet-cli selfplay ...\n"
#endif
                 "Moves are in move notation, e.g. A1-B1; N is 2 to 26 dots per side.\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        printUsage(stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
        printUsage(stdout);
        return 0;
    }
    for (const Command& command : kCommands)
        if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 1, argv + 1);
    std::fprintf(stderr, "paxlet-cli: unknown command \"%s\"\n", argv[1]);
    printUsage(stderr);
    return 2;
}
