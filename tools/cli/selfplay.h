// `paxlet-cli selfplay`: the computer plays both sides of whole games through
// a real GameSession on the headless window, and every game is checked.
#pragma once

// argv[0] is the subcommand's name; options follow. Returns the exit code:
// 0 all games sound, 1 a broken check, 2 a usage error.
int runSelfplay(int argc, char** argv);
