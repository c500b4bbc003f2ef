#!/usr/bin/env bash
# paxlet-cli from the outside: exact JSON and pictures for known positions,
# and the exit code and message for each kind of bad input. The second
# argument is the folder of the test data, which holds the book's problems;
# it defaults to the project's own, tests/data. PAXLET_CLI_RUNNER, when set,
# runs the program (Wine for the .exe); the .exe ends its lines with CR LF,
# and the CRs are dropped before comparing.
set -uo pipefail
cli=(${PAXLET_CLI_RUNNER:+"$PAXLET_CLI_RUNNER"} "$1")
testdata=${2:-$(dirname "${BASH_SOURCE[0]}")/../../tests/data}
failures=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# expect EXIT STDOUT STDERR-PART ARGS...: STDOUT must match exactly (elapsedMs
# and every ms blanked), STDERR must contain STDERR-PART.
# expect_like EXIT STDOUT-REGEX STDERR-PART ARGS...: the same, but STDOUT must
# match the extended regular expression, for figures that depend on the clock.
# refused EXIT STDERR ARGS...: no output, and STDERR exactly.
expect() { run_case exact "$@"; }
expect_like() { run_case like "$@"; }
refused() { run_case refused "$1" '' "$2" "${@:3}"; }

run_case() {
    local mode=$1 code=$2 out=$3 err=$4
    shift 4
    local got_out got_err got_code matched=yes
    got_out=$("${cli[@]}" "$@" 2>/tmp/paxlet-cli-test.$$) && got_code=0 || got_code=$?
    got_err=$(tr -d '\r' </tmp/paxlet-cli-test.$$)
    got_out=${got_out//$'\r'/}
    got_out=$(sed -e 's/"elapsedMs":[0-9]*/"elapsedMs":_/' -e 's/"ms":[0-9]*/"ms":_/' \
        -e 's/"meanMs":[0-9]*/"meanMs":_/' <<<"$got_out")
    case $mode in
    exact) [[ $got_out == "$out" && $got_err == *"$err"* ]] || matched=no ;;
    like) [[ $got_out =~ $out && $got_err == *"$err"* ]] || matched=no ;;
    refused) [[ $got_out == "$out" && $got_err == "$err" ]] || matched=no ;;
    esac
    if [[ $got_code != "$code" || $matched == no ]]; then
        echo "FAILED: paxlet-cli $*"
        echo "  exit $got_code (want $code)"
        echo "  stdout: $got_out"
        echo "  want:   $out"
        echo "  stderr: $got_err"
        echo "  want:   $err ($([[ $mode == refused ]] && echo exactly || echo within))"
        failures=$((failures + 1))
    fi
    rm -f /tmp/paxlet-cli-test.$$
}

expect 0 '{"move":"B1-B2","index":3,"leafCount":291,"nodeCount":352,"lastValue":2,"currentDepth":3,"elapsedMs":_}' '' \
    analyze --size 3 --depth 3 --time none
expect 0 '{"move":"A1-B1","index":0,"leafCount":12,"nodeCount":12,"lastValue":0,"currentDepth":1,"elapsedMs":_}' '' \
    analyze --depth 1 --size 3 --time none
expect 0 '{"move":"B1-B2","index":3,"leafCount":53,"nodeCount":76,"lastValue":101,"currentDepth":2,"elapsedMs":_}' '' \
    analyze --size 3 --depth 2 A1-B1 A1-A2 B3-C3 A2-B2 --time none
# Player 1 to move, and the engine plays player 1: the first line that gives
# quad 0 its second side (chain metric 1) in the order of the moves.
expect 0 '{"move":"A1-A2","index":2,"leafCount":11,"nodeCount":11,"lastValue":1,"currentDepth":1,"elapsedMs":_}' '' \
    analyze --size 3 --depth 1 A1-B1 --time none
expect 0 '{"move":"A1-B1","index":0,"leafCount":1,"nodeCount":0,"lastValue":0,"currentDepth":1,"elapsedMs":_}' '' \
    analyze --size 3 --time 0
expect 0 '{"move":"A1-B1","index":0,"leafCount":1,"nodeCount":0,"lastValue":0,"currentDepth":1,"elapsedMs":_}' '' \
    analyze --size 3 --time -20 --depth 4
expect 0 '{"move":"A1-B1","index":0,"leafCount":0,"nodeCount":0,"lastValue":0,"currentDepth":0,"elapsedMs":_}' '' \
    analyze --size 4 --depth 0 --time none
expect 0 '{"order":[3,4,1,9,10,8,6,7],"keys":[112,14,112,13,14,112,15,15,15,15,15,112]}' '' \
    order --size 3 A1-B1 A1-A2 B3-C3 A2-B2
expect 0 '{"order":[0,1,2,3],"keys":[6,6,6,6]}' '' order --size 2

expect 1 '' 'no line left to draw' analyze --size 2 A1-B1 A1-A2 B1-B2 A2-B2
expect 2 '' 'unknown option "--foo"' analyze --size 3 --foo
expect 2 '' 'unknown option "--depth"' order --size 3 --depth 2
expect 2 '' 'got 27' analyze --size 27
expect 2 '' 'got 1' order --size 1
expect 2 '' '--size or --board is required' analyze A1-B1
expect 2 '' '--size is required' order A1-B1
expect 2 '' '--size wants a 32-bit whole number, got "4x"' analyze --size 4x
expect 2 '' '--time needs a value' analyze --size 3 --time
expect 2 '' 'move 3 "A1-B1" is not a line that can be drawn here: it is already drawn' \
    analyze --size 3 B1-C1 A1-B1 A1-B1
expect 2 '' 'move 3 "A1-A1" is not a line that can be drawn on this board' \
    order --size 3 B1-C1 A1-B1 A1-A1
expect 2 '' 'move 1 "D1-D2" is not a line' order --size 3 D1-D2
expect 2 '' 'unknown command "study"' study --size 3
expect 2 '' 'usage:'

# --time none is no limit; the last value of an option wins.
expect 0 '{"move":"B1-B2","index":3,"leafCount":291,"nodeCount":352,"lastValue":2,"currentDepth":3,"elapsedMs":_}' '' \
    analyze --size 3 --time 0 --depth 3 --time none
expect 0 '{"move":"A1-B1","index":0,"leafCount":1,"nodeCount":0,"lastValue":0,"currentDepth":1,"elapsedMs":_}' '' \
    analyze --size 3 --time none --time 0
expect 2 '' '--time wants a 32-bit whole number or none, got "None"' analyze --size 3 --time None
expect 2 '' '--depth wants a 32-bit whole number, got "none"' analyze --size 3 --depth none
expect 2 '' 'unknown option "--time"' order --size 3 --time none
# Without --time the window's 5000 ms apply: depth 25 on 4 dots, which no
# search finishes, is cut short at some depth below 25.
expect_like 0 '^\{"move":"[A-D][1-4]-[A-D][1-4]","index":[0-9]+,"leafCount":[0-9]+,"nodeCount":[0-9]+,"lastValue":-?[0-9]+,"currentDepth":([1-9]|1[0-9]|2[0-4]),"elapsedMs":_\}$' '' \
    analyze --size 4

# A search that looked at no move answers with line 0; when it is drawn that is
# no move to print, and there is nothing to play: exit 1.
expect 1 '{"move":null,"index":0,"leafCount":0,"nodeCount":0,"lastValue":0,"currentDepth":0,"elapsedMs":_}' \
    'paxlet-cli: the engine returned no move of this position: line 0 (A1-B1) is already drawn' \
    analyze --size 3 --depth 0 A1-B1
expect 1 '{"move":null,"index":0,"leafCount":0,"nodeCount":0,"lastValue":0,"currentDepth":0,"elapsedMs":_}' \
    'line 0 (A1-B1) is already drawn' analyze --size 5 --depth -3 B1-A1 B1-C1
expect 0 '{"move":"A1-B1","index":0,"leafCount":0,"nodeCount":0,"lastValue":0,"currentDepth":0,"elapsedMs":_}' '' \
    analyze --size 5 --depth 0 B1-C1

# Every selfplay game prints its seed (game k of --seed S plays S + k, modulo
# 2^32), and "--seed S --games 1" replays the game printed with seed S.
game7='{"size":3,"seed":7,"moves":12,"scores":[3,1],"status":"   I win >:)   ","turns":6,"ms":_}'
game8='{"size":3,"seed":8,"moves":12,"scores":[2,2],"status":"   Draw :/   ","turns":6,"ms":_}'
game9='{"size":3,"seed":9,"moves":12,"scores":[2,2],"status":"   Draw :/   ","turns":7,"ms":_}'
expect 0 "$game7"$'\n'"$game8"$'\n'"$game9" '' \
    selfplay --size 3 --games 3 --depth 2 --time 100000 --seed 7
expect 0 "$game8" '' selfplay --size 3 --games 1 --depth 2 --time 100000 --seed 8
expect 0 "$game9" '' selfplay --seed 9 --time 100000 --depth 2 --size 3
last='{"size":3,"seed":4294967295,"moves":12,"scores":[3,1],"status":"   I win >:)   ","turns":6,"ms":_}'
first='{"size":3,"seed":0,"moves":12,"scores":[0,4],"status":"   I win >:)   ","turns":10,"ms":_}'
expect 0 "$last"$'\n'"$first" '' selfplay --size 3 --games 2 --depth 2 --time 100000 --seed 4294967295
expect 0 "$first" '' selfplay --size 3 --games 1 --depth 2 --time 100000 --seed 0
# Unseeded, the seed is drawn at random, and printed all the same.
expect_like 0 '^\{"size":2,"seed":[0-9]+,"moves":4,"scores":\[[01],[01]\],' '' \
    selfplay --size 2 --depth 2 --time 100000
# Faults name the game and its seed.
expect_like 1 '^\{"size":3,"seed":5,' 'selfplay: game 1 (seed 5): a computer turn ended in AI-Errored' \
    selfplay --size 3 --time 0 --seed 5
expect_like 1 '"seed":6,.*' 'selfplay: game 2 (seed 6): a computer turn ended in AI-Errored' \
    selfplay --size 3 --games 2 --time 0 --seed 5

usage='usage: paxlet-cli analyze [--size N] [--board FILE] [--depth D] [--time MS|none] [MOVE ...]
       paxlet-cli order --size N [MOVE ...]
       paxlet-cli show [--size N] [--board FILE] [MOVE ...]
       paxlet-cli selfplay --size N [--games K] [--depth D] [--time MS] [--seed S]
       paxlet-cli solve [--size N] [--board FILE] [--time MS|none] [--hash MB] [--threads N] [--values] [--picture] [MOVE ...]
       paxlet-cli grade --size N [--positions K] [--seed S] [--time MS|none] [--depth D] [--lines-left L] [--hash MB] [--threads N]
       paxlet-cli play [--size N] [--as 1|2] [--time MS] [--board FILE]
Moves are in move notation, e.g. A1-B1; N is 2 to 26 dots per side.
--board FILE reads the position from a picture such as show prints (- is
standard input); --size may then be left out, and moves go on from there.
analyze searches 5000 ms unless --time says otherwise; none is no limit.
solve proves the exact value and every best line, within 60000 ms unless
--time says otherwise, with a table of 256 MiB unless --hash says otherwise,
on as many threads as the machine has unless --threads says otherwise;
--values adds every line'"'"'s value, and --picture draws them on the board.
grade plays down to half the lines unless --lines-left says otherwise.
play: you are player 1 (or --as 2) and type a move a line; the computer
plays a proved best line when the proof takes at most 2000 ms (--time),
else the search'"'"'s move in that time.'
expect 0 "$usage" '' --help
expect 0 "$usage" '' help
refused 2 "$usage"
refused 2 'paxlet-cli: unknown command "study"'$'\n'"$usage" study --size 3
refused 2 'paxlet-cli: unknown command "--size"'$'\n'"$usage" --size 3 analyze

# Refusals every subcommand shares, word for word: one reason, the first one
# found, and nothing on standard output. The range of --size is checked on the
# value that stands at the end.
for command in order selfplay grade; do
    refused 2 'paxlet-cli: --size is required (dots per side, 2 to 26)' $command
done
for command in analyze show solve play; do
    refused 2 'paxlet-cli: --size or --board is required (dots per side, 2 to 26)' $command
done
# Under a runner, where each start costs a second or more, the shared parser
# is tried through one command.
commands=(analyze order show selfplay solve grade play)
[[ -z ${PAXLET_CLI_RUNNER:-} ]] || commands=(solve)
for command in "${commands[@]}"; do
    refused 2 'paxlet-cli: --size must be 2 to 26 dots per side, got 1' $command --size 1
    refused 2 'paxlet-cli: --size must be 2 to 26 dots per side, got 27' $command --size 27
    refused 2 'paxlet-cli: --size must be 2 to 26 dots per side, got 0' $command --size 3 --size 0
    refused 2 'paxlet-cli: --size must be 2 to 26 dots per side, got -4' $command --size -4
    refused 2 'paxlet-cli: --size wants a 32-bit whole number, got "4x"' $command --size 4x
    refused 2 'paxlet-cli: --size wants a 32-bit whole number, got "+3"' $command --size +3
    refused 2 'paxlet-cli: --size wants a 32-bit whole number, got " 3"' $command --size ' 3'
    refused 2 'paxlet-cli: --size wants a 32-bit whole number, got ""' $command --size ''
    refused 2 'paxlet-cli: --size wants a 32-bit whole number, got "2147483648"' \
        $command --size 2147483648
    refused 2 'paxlet-cli: --size wants a 32-bit whole number, got "--size"' $command --size --size 3
    refused 2 'paxlet-cli: --size needs a value' $command --size
    refused 2 'paxlet-cli: --size needs a value' $command --size 3 --size
    refused 2 'paxlet-cli: unknown option "--foo"' $command --size 3 --foo 1
    refused 2 'paxlet-cli: unknown option "--foo"' $command --foo --size 27
    refused 2 'paxlet-cli: unknown option "--"' $command --size 3 --
    refused 2 'paxlet-cli: unknown option "--Size"' $command --Size 3
    refused 2 'paxlet-cli: unknown option "--size=3"' $command --size=3
done

# analyze
refused 2 'paxlet-cli: --depth wants a 32-bit whole number, got "2.5"' analyze --size 3 --depth 2.5
refused 2 'paxlet-cli: --depth wants a 32-bit whole number, got "-2147483649"' \
    analyze --size 3 --depth -2147483649
refused 2 'paxlet-cli: --time wants a 32-bit whole number or none, got ""' analyze --size 3 --time ''
refused 2 'paxlet-cli: --depth needs a value' analyze --size 3 --depth
refused 2 'paxlet-cli: unknown option "--games"' analyze --size 3 --games 2
refused 2 'paxlet-cli: unknown option "--seed"' analyze --size 3 --seed 2
refused 2 'paxlet-cli: move 1 "a1-b1" is not a line that can be drawn on this board' \
    analyze --size 3 a1-b1
refused 1 'paxlet-cli: no line left to draw' analyze --size 2 A1-B1 A1-A2 B1-B2 A2-B2

# order
refused 2 'paxlet-cli: unknown option "--depth"' order --size 3 --depth 2
refused 2 'paxlet-cli: unknown option "--time"' order --size 3 --time 100
refused 2 'paxlet-cli: unknown option "--games"' order --size 3 --games 2
refused 2 'paxlet-cli: unknown option "--seed"' order --size 3 --seed 2
refused 2 'paxlet-cli: move 2 "A1-B1" is not a line that can be drawn here: it is already drawn' \
    order --size 2 A1-B1 A1-B1

# selfplay: no moves, no "--time none"; --games is 1 to 1000000, checked on
# its last value, and the seed any unsigned 32-bit number.
refused 2 'paxlet-cli: selfplay takes no moves, got "A1-B1"' selfplay --size 3 A1-B1
refused 2 'paxlet-cli: selfplay takes no moves, got "4"' selfplay --size 3 4
refused 2 'paxlet-cli: selfplay takes no moves, got ""' selfplay --size 3 ''
refused 2 'paxlet-cli: --time wants a 32-bit whole number, got "none"' selfplay --size 3 --time none
refused 2 'paxlet-cli: --time wants a 32-bit whole number, got "1e3"' selfplay --size 3 --time 1e3
refused 2 'paxlet-cli: --depth wants a 32-bit whole number, got "deep"' selfplay --size 3 --depth deep
refused 2 'paxlet-cli: --games must be 1 to 1000000, got 0' selfplay --size 3 --games 0
refused 2 'paxlet-cli: --games must be 1 to 1000000, got -1' selfplay --size 3 --games -1
refused 2 'paxlet-cli: --games must be 1 to 1000000, got 1000001' selfplay --size 3 --games 1000001
refused 2 'paxlet-cli: --games must be 1 to 1000000, got 0' selfplay --games 2 --size 3 --games 0
refused 2 'paxlet-cli: --games wants a 32-bit whole number, got "two"' selfplay --size 3 --games two
refused 2 'paxlet-cli: --seed wants a whole number from 0 to 4294967295, got "-1"' \
    selfplay --size 3 --seed -1
refused 2 'paxlet-cli: --seed wants a whole number from 0 to 4294967295, got "4294967296"' \
    selfplay --size 3 --seed 4294967296
refused 2 'paxlet-cli: --seed wants a whole number from 0 to 4294967295, got "0x10"' \
    selfplay --size 3 --seed 0x10
for option in --games --depth --time --seed; do
    refused 2 "paxlet-cli: $option needs a value" selfplay --size 3 $option
done
# The first reason found is the one given: a bad seed before the game count's
# range, and --size missing only after every option was read.
refused 2 'paxlet-cli: --seed wants a whole number from 0 to 4294967295, got "x"' \
    selfplay --size 3 --games 0 --seed x
refused 2 'paxlet-cli: --size is required (dots per side, 2 to 26)' selfplay --games 0
# The last value of an option wins here too, and the field gets the number the
# option stood for: --depth 002 plays as --depth 2.
expect 0 "$game8" '' selfplay --size 27 --size 3 --games 0 --games 1 --depth 002 --time 100000 \
    --seed 8

# solve: the value for the side to move of the quads still to take, and every
# line that achieves it; the node counts are those of a fresh table searched
# by one thread.
expect 0 '{"value":-1,"best":["A1-B1","A1-A2","B1-B2","A2-B2"],"solved":true,"threads":1,"nodes":10,"ms":_}' '' \
    solve --size 2 --threads 1
expect 0 '{"value":2,"best":["A1-B1","B1-C1","A1-A2","C1-C2","A2-A3","C2-C3","A3-B3","B3-C3"],"solved":true,"threads":1,"nodes":370,"ms":_}' '' \
    solve --size 3 --hash 1 --threads 1
# The side to move takes the quad and the last one with it.
expect 0 '{"value":2,"best":["B2-C2"],"solved":true,"threads":1,"nodes":1,"ms":_}' '' \
    solve --size 3 --threads 1 A1-B1 B1-C1 A1-A2 B1-B2 C1-C2 A2-B2 A2-A3 B2-B3 C2-C3 A3-B3 B3-C3
# Time out: the bounds proved so far, and a reason.
expect 1 '{"lower":-25,"upper":25,"solved":false,"threads":1,"nodes":0,"ms":_}' \
    'paxlet-cli: time ran out before the value was proved: it is -25 to 25' solve --size 6 --time 0 --threads 1
expect 1 '{"lower":-25,"upper":25,"solved":false,"threads":3,"nodes":0,"ms":_}' \
    'paxlet-cli: time ran out before the value was proved: it is -25 to 25' solve --size 6 --time -1 --threads 3
expect_like 1 '^\{"lower":-?[0-9]+,"upper":-?[0-9]+,"solved":false,"threads":2,"nodes":[0-9]+,"ms":_\}$' \
    'time ran out before the value was proved' solve --size 26 --time 200 --hash 1 --threads 2
# Without --threads, as many threads as the machine has, up to 256.
cores=$(getconf _NPROCESSORS_ONLN)
expect 1 '{"lower":-25,"upper":25,"solved":false,"threads":'$((cores > 256 ? 256 : cores))',"nodes":0,"ms":_}' \
    'time ran out' solve --size 6 --time 0
# The same values and best lines on two threads.
expect_like 0 '^\{"value":2,"best":\["A1-B1","B1-C1","A1-A2","C1-C2","A2-A3","C2-C3","A3-B3","B3-C3"\],"solved":true,"threads":2,"nodes":[0-9]+,"ms":_\}$' '' \
    solve --size 3 --threads 2
refused 2 'paxlet-cli: --threads must be 1 to 256, got 0' solve --size 3 --threads 0
refused 2 'paxlet-cli: --threads must be 1 to 256, got -1' solve --size 3 --threads -1
refused 2 'paxlet-cli: --threads must be 1 to 256, got 257' solve --size 3 --threads 257
refused 2 'paxlet-cli: --threads must be 1 to 256, got 0' solve --size 3 --threads 2 --threads 0
refused 2 'paxlet-cli: --threads wants a 32-bit whole number, got "all"' solve --size 3 --threads all
refused 2 'paxlet-cli: --threads needs a value' solve --size 3 --threads
refused 2 'paxlet-cli: unknown option "--threads"' analyze --size 3 --threads 2
# A table larger than the machine's memory is refused before it is allocated.
memory=$(($(getconf _PHYS_PAGES) * $(getconf PAGESIZE) / 1048576))
if ((memory < 65536)); then
    for command in solve grade; do
        refused 1 "paxlet-cli: --hash must be at most the machine's memory, $memory MiB, got 65536" \
            $command --size 3 --hash 65536
    done
else
    echo "note: $memory MiB of memory, more than --hash can ask for; its refusal is not tried"
fi
refused 1 'paxlet-cli: no line left to draw' solve --size 2 A1-B1 A1-A2 B1-B2 A2-B2
refused 2 'paxlet-cli: --hash must be 1 to 65536 MiB, got 0' solve --size 3 --hash 0
refused 2 'paxlet-cli: --hash must be 1 to 65536 MiB, got 65537' solve --size 3 --hash 65537
refused 2 'paxlet-cli: --hash must be 1 to 65536 MiB, got 0' solve --size 3 --hash 2 --hash 0
refused 2 'paxlet-cli: --hash wants a 32-bit whole number, got "1M"' solve --size 3 --hash 1M
refused 2 'paxlet-cli: --hash needs a value' solve --size 3 --hash
refused 2 'paxlet-cli: --time wants a 32-bit whole number or none, got "soon"' solve --size 3 --time soon
refused 2 'paxlet-cli: unknown option "--depth"' solve --size 3 --depth 2
refused 2 'paxlet-cli: unknown option "--hash"' analyze --size 3 --hash 2
refused 2 'paxlet-cli: move 2 "A1-B1" is not a line that can be drawn here: it is already drawn' \
    solve --size 2 A1-B1 A1-B1

# grade: a beginner's random play down to the lines left, the computer's move
# and its exact worth; a depth-2 search gives moves away, and they are summed.
expect 0 '{"seed":1,"moves":["D2-D3","B1-C1","C3-D3","B2-C2","C3-C4","B4-C4","C1-D1","A2-A3"],"move":"A3-B3","moveValue":-5,"value":-5,"best":["A1-B1","A1-A2","D1-D2","A2-B2","B2-B3","A3-B3","A3-A4","D3-D4","A4-B4","C4-D4"],"loss":0,"ms":_}
{"seed":2,"moves":["A1-B1","B3-B4","C1-C2","C2-D2","A2-A3","B1-B2","C2-C3","C3-C4"],"move":"A3-B3","moveValue":-3,"value":1,"best":["B2-B3"],"loss":4,"ms":_}
{"seed":3,"moves":["A2-A3","C1-D1","A2-B2","D2-D3","C4-D4","C1-C2","B4-C4","A3-A4"],"move":"B1-B2","moveValue":-5,"value":-1,"best":["C3-C4"],"loss":4,"ms":_}
{"size":4,"linesLeft":16,"depth":2,"time":"none","seed":1,"positions":3,"threads":1,"belowPerfect":2,"quadsGivenAway":8,"meanMs":_}' '' \
    grade --size 4 --positions 3 --seed 1 --depth 2 --time none --lines-left 16 --hash 1 --threads 1
refused 2 'paxlet-cli: --positions must be 1 to 100000, got 0' grade --size 3 --positions 0
refused 2 'paxlet-cli: --lines-left must be 1 to 12 on 3 dots, got 13' grade --size 3 --lines-left 13
refused 2 'paxlet-cli: --lines-left must be 1 to 12 on 3 dots, got 0' grade --size 3 --lines-left 0
refused 2 'paxlet-cli: grade takes no moves, got "A1-B1"' grade --size 3 A1-B1
refused 2 'paxlet-cli: --threads must be 1 to 256, got 300' grade --size 3 --threads 300
expect_like 0 '"positions":1,"threads":2,' '' grade --size 3 --positions 1 --seed 1 --threads 2

# show: the picture as the window draws it, row 1 at the top and column A at
# the left. Player 2 took quad A1 with A2-B2 and moved again.
pic3='   A   B   C
 1 +---+   +
   | 2 |   |
 2 +---+   +

 3 +   +---+
P2 to move, 0-1'
expect 0 "$pic3" '' show --size 3 A1-B1 A1-A2 B1-B2 A2-B2 B3-C3 C1-C2
# Read back from standard input or a file, the size from the picture or from
# --size; without the letters and numbers, indented, with blanks at the ends
# of lines and around the grid, and without the score, it is the same board.
expect 0 "$pic3" '' show --board - <<<"$pic3"
printf '%s\n' "$pic3" >"$scratch/pic3"
expect 0 "$pic3" '' show --size 3 --board "$scratch/pic3"
printf '\n\n      +---+   +  \n      | 2 |   |\n      +---+   +\n\n      +   +---+\n\n  P2 to move   \n\n' \
    >"$scratch/bare"
expect 0 "$pic3" '' show --board "$scratch/bare"
# With CR LF line ends, as Windows editors save a picture, from a file and
# from standard input; a fault is placed as without them.
sed 's/$/\r/' "$scratch/bare" >"$scratch/crlf"
expect 0 "$pic3" '' show --board "$scratch/crlf"
expect 0 "$pic3" '' show --board - <"$scratch/crlf"
printf '+---+\r\n| 3 |\r\n+---+\r\nP1 to move\r\n' >"$scratch/crlf"
refused 2 'paxlet-cli: board line 2, column 3: "3" is not part of the grid' show --board "$scratch/crlf"
# Moves go on from the picture: player 2 gives quad B1 its third side,
# player 1 takes it and draws on.
expect 0 '   A   B   C
 1 +---+---+
   | 2 | 1 |
 2 +---+---+
           |
 3 +   +---+
P2 to move, 1-1' '' show --board "$scratch/pic3" B1-C1 B2-C2 C2-C3
expect 0 '{"value":-1,"best":["B2-B3"],"solved":true,"threads":1,"nodes":22,"ms":_}' '' \
    solve --board "$scratch/pic3" --threads 1
# Searched to the end the engine agrees: player 2 gives a quad of the three
# left and keeps the lead of the one taken. (A picture has no history: its
# lines stand in index order in the board's set of undrawn lines, and the
# search's counts differ from those of the moves.)
expect 0 '{"move":"B2-B3","index":8,"leafCount":929,"nodeCount":3367,"lastValue":0,"currentDepth":20,"elapsedMs":_}' '' \
    analyze --board "$scratch/pic3" --depth 20 --time none

# Pictures that are refused, each with the place of its first fault.
bad_picture() { # EXIT REASON PICTURE [ARGS...]
    printf '%s\n' "$3" >"$scratch/bad"
    refused "$1" "paxlet-cli: $2" show --board "$scratch/bad" "${@:4}"
}
bad_picture 2 'board line 3, column 6: "x" is not part of the grid' $'+---+\n|   |\n+---+x\nP1 to move'
bad_picture 2 'board line 2, column 3: "3" is not part of the grid' $'+---+\n| 3 |\n+---+\nP1 to move'
bad_picture 2 'board line 1, column 1: "\x09" is not part of the grid' $'\t+---+\n |   |\n +---+\nP1 to move'
bad_picture 2 'board line 1, column 5: "C" is not part of the grid' $'  A C\n  +---+\n  |   |\n  +---+\nP1 to move'
bad_picture 2 'board line 4, column 1: "3" is not part of the grid' $'  A   B\n1 +---+\n  |   |\n3 +---+\nP1 to move'
bad_picture 2 'board line 2, column 3: a line is drawn where no line can be' $'+---+\n| - |\n+---+\nP1 to move'
bad_picture 2 'board line 1, column 3: a line is drawn where no line can be' $'+-|-+\n|   |\n+---+\nP1 to move'
bad_picture 2 'board line 1, column 2: a line between two dots is "---" or blank' $'+-- +\n|   |\n+---+\nP1 to move'
bad_picture 2 'board line 1, column 4: a dot stands where no dot can be' $'+--+\n|   |\n+---+\nP1 to move'
bad_picture 2 'board line 1, column 12: the grid is not 2 by 2 dots' "$pic3" --size 2
bad_picture 2 'board line 2, column 16: the grid is not 4 by 4 dots' "$pic3" --size 4
bad_picture 2 'board line 4, column 12: the grid is not 3 by 3 dots' $'   A   B\n 1 +---+---+\n   |   |\n 2 +---+\nP1 to move'
bad_picture 2 'board line 4, column 1: the grid is not 3 by 3 dots' $'+---+---+\n|   |\n+---+---+\nP1 to move'
bad_picture 2 'board line 4, column 1: the grid is not 2 by 2 dots' $'+---+\n|   |\n+---+\n|   |\n+---+\nP1 to move'
bad_picture 2 'board line 1, column 1: the grid has 1 dots per side, not 2 to 26' $'+\nP1 to move'
bad_picture 2 'board line 2, column 3: a quad that is not closed has an owner' $'+---+\n| 1 |\n+   +\nP1 to move'
bad_picture 2 'board line 2, column 3: a closed quad has no owner' $'+---+\n|   |\n+---+\nP1 to move'
bad_picture 2 'board line 4, column 1: no side to move: the last line is "P1 to move" or "P2 to move"' $'+---+\n| 1 |\n+---+'
bad_picture 2 'board line 4, column 2: no side to move: the last line is "P1 to move" or "P2 to move"' $'+---+\n| 1 |\n+---+\nP3 to move'
bad_picture 2 'board line 4, column 13: the score after the side to move is written ", A-B"' $'+---+\n| 1 |\n+---+\nP1 to move, -1-0'
bad_picture 2 'board line 4, column 13: the score 0-1 does not agree with the owners, 1-0' $'+---+\n| 1 |\n+---+\nP1 to move, 0-1'
bad_picture 2 'board line 5, column 1: nothing may follow the side to move' $'+---+\n| 1 |\n+---+\nP1 to move\nvalue 0'
bad_picture 2 'board line 1, column 1: the picture holds no grid' 'P1 to move'
# The moves after a picture are checked as ever, and the picture first.
bad_picture 2 'move 1 "A1-B1" is not a line that can be drawn here: it is already drawn' "$pic3" A1-B1
bad_picture 2 'board line 2, column 3: a closed quad has no owner' $'+---+\n|   |\n+---+\nP1 to move' Z9-Z8
refused 2 "paxlet-cli: cannot read board file \"$scratch/none\": No such file or directory" \
    solve --board "$scratch/none"
refused 2 "paxlet-cli: cannot read board file \"$scratch\": Is a directory" analyze --board "$scratch"
refused 2 'paxlet-cli: --board needs a value' show --size 3 --board
refused 2 'paxlet-cli: unknown option "--board"' order --board "$scratch/pic3"
refused 1 'paxlet-cli: no line left to draw' solve --board - <<<$'+---+\n| 2 |\n+---+\nP1 to move, 0-1'

# solve --values: every undrawn line's value, in index order, the best lines
# those worth the value. On the empty 3-dot board the four inner lines give a
# quad away.
expect 0 '{"value":2,"best":["A1-B1","B1-C1","A1-A2","C1-C2","A2-A3","C2-C3","A3-B3","B3-C3"],"values":[{"line":"A1-B1","value":2},{"line":"B1-C1","value":2},{"line":"A1-A2","value":2},{"line":"B1-B2","value":0},{"line":"C1-C2","value":2},{"line":"A2-B2","value":0},{"line":"B2-C2","value":0},{"line":"A2-A3","value":2},{"line":"B2-B3","value":0},{"line":"C2-C3","value":2},{"line":"A3-B3","value":2},{"line":"B3-C3","value":2}],"solved":true,"threads":1,"nodes":386,"ms":_}' '' \
    solve --size 3 --values --threads 1 --hash 1
expect 0 '   A   B   C
 1 + 2 + 2 +
   2   0   2
 2 + 0 + 0 +
   2   0   2
 3 + 2 + 2 +
P1 to move, 0-0
value 2, best A1-B1 B1-C1 A1-A2 C1-C2 A2-A3 C2-C3 A3-B3 B3-C3' '' solve --size 3 --values --picture
# Values of two characters widen the gaps; without --values only the best
# lines carry theirs.
expect 0 '    A    B    C
  1 +----+ -3 +
    | 2  |    |
  2 +----+ -3 +
   -3   -1   -3
  3 + -3 +----+
P2 to move, 0-1
value -1, best B2-B3' '' solve --board "$scratch/pic3" --values --picture
expect 0 '    A    B    C
  1 +----+    +
    | 2  |    |
  2 +----+    +
        -1
  3 +    +----+
P2 to move, 0-1
value -1, best B2-B3' '' solve --board "$scratch/pic3" --picture
expect 1 '{"lower":-25,"upper":25,"solved":false,"threads":1,"nodes":0,"ms":_}' \
    'time ran out' solve --size 6 --values --picture --time 0 --threads 1
refused 2 'paxlet-cli: unknown option "--values"' analyze --size 3 --values

# play: the person's moves from standard input, refused with a reason and
# asked again when they cannot be drawn; the computer's best lines, proved.
game2='   A   B
 1 +   +

 2 +   +
P1 to move, 0-0
your move: A1-B1
   A   B
 1 +---+

 2 +   +
P2 to move, 0-0
P2 plays A1-A2 (perfect)
   A   B
 1 +---+
   |
 2 +   +
P1 to move, 0-0
your move: A1-B1
"A1-B1" is already drawn
your move: Z9
"Z9" is not a line of this board
your move: 
your move: B1-B2
   A   B
 1 +---+
   |   |
 2 +   +
P2 to move, 0-0
P2 plays A2-B2 (perfect)
   A   B
 1 +---+
   | 2 |
 2 +---+
P2 to move, 0-1
score: 0-1'
expect 0 "$game2" '' play --size 2 <<<$'A1-B1\nA1-B1\nZ9\n\nB1-B2'
# The computer opens as player 1; the input ends before the game does.
expect_like 0 $'\nP1 to move, 0-0\nP1 plays A1-B1 \\(perfect\\)\n.*\nP2 to move, 0-0\nyour move: \nscore: 0-0$' '' \
    play --size 2 --as 2 </dev/null
expect_like 0 $'\nP2 plays B2-B3 \\(perfect\\)\n.*\nscore: 0-1$' '' play --board "$scratch/pic3" </dev/null
# No proof of the empty 5-dot board in 1 ms: the search's move.
expect_like 0 $'\nP1 plays [A-E][1-5]-[A-E][1-5] \\(searched\\)\n' '' play --size 5 --as 2 --time 1 </dev/null
refused 2 'paxlet-cli: --as must be 1 or 2, got 3' play --size 3 --as 3
refused 2 'paxlet-cli: --as must be 1 or 2, got 0' play --size 3 --as 0
refused 2 'paxlet-cli: --as wants a 32-bit whole number, got "P2"' play --size 3 --as P2
refused 2 'paxlet-cli: --time must be at least 1 ms, got 0' play --size 3 --time 0
refused 2 'paxlet-cli: --time wants a 32-bit whole number, got "none"' play --size 3 --time none
refused 2 'paxlet-cli: play reads its moves from standard input, so --board cannot be "-"' \
    play --board -
refused 2 'paxlet-cli: play takes no moves, got "A1-B1"' play --size 3 A1-B1
refused 2 'paxlet-cli: unknown option "--as"' solve --size 3 --as 2

# The empty 4-dot board is worth -3 to player 1: whatever player 1 plays, the
# computer as player 2 ends with at least 6 of the 9 quads, and with exactly 6
# against perfect play. Player 1 here reads each picture, solves it through
# --board and plays, at random or always, one of the best lines or any line.
play_against() { # SEED CHANCE-OF-A-RANDOM-LINE-IN-PERCENT
    local seed=$1 chance=$2 line picture='' solved move lines transcript='' pid to from
    RANDOM=$seed
    rm -f "$scratch/to" "$scratch/from"
    mkfifo "$scratch/to" "$scratch/from"
    "${cli[@]}" play --size 4 --time 600000 <"$scratch/to" >"$scratch/from" 2>&1 &
    pid=$!
    exec {to}>"$scratch/to" {from}<"$scratch/from"
    while IFS= read -r line <&$from; do
        line=${line%$'\r'}
        transcript+=$line$'\n'
        [[ $line == "   A   B   C   D" ]] && picture=''
        picture+=$line$'\n'
        [[ $line == "P1 to move, "* ]] || continue
        # The last picture has no line left; any other failure would leave
        # the game waiting for a move: it ends the game here.
        if ! solved=$("${cli[@]}" solve --board - --values --threads 1 <<<"$picture" 2>"$scratch/why"); then
            grep -q 'no line left to draw' "$scratch/why" && continue
            echo "FAILED: solve of a position of seed $seed: $(tr -d '\r' <"$scratch/why")"
            failures=$((failures + 1))
            break
        fi
        if ((RANDOM % 100 < chance)); then
            lines=($(grep -o '"line":"[^"]*"' <<<"$solved" | cut -d'"' -f4))
            move=${lines[RANDOM % ${#lines[@]}]}
        else
            move=$(grep -o '"best":\["[^"]*"' <<<"$solved" | cut -d'"' -f4)
        fi
        echo "$move" >&$to
    done
    exec {to}>&- {from}<&-
    wait $pid
    line=$(tail -n 1 <<<"${transcript%$'\n'}")
    if [[ ! $line =~ ^score:\ ([0-9]+)-([0-9]+)$ ]] || ((BASH_REMATCH[2] < 6)) ||
        ((BASH_REMATCH[1] + BASH_REMATCH[2] != 9)) || [[ $transcript == *"(searched)"* ]] ||
        ((chance == 0 && BASH_REMATCH[2] != 6)); then
        echo "FAILED: play --size 4 against player 1 of seed $seed, $chance % random: $line"
        failures=$((failures + 1))
    fi
}
play_against 1 0
play_against 2 30
play_against 3 100

# The book's problems: each typed as a picture through show and read back.
# Their lines are the winning ones, which --values gives as those worth more
# than nothing (no quad is taken yet, and the quads left are odd); the solver's
# best lines are among them.
book=$testdata/berlekamp-square.txt
if [[ ! -r $book ]]; then
    echo "FAILED: the book's problems are not in \"$book\""
    failures=$((failures + 1))
else
    problems=0
    while read -r problem n listed bar moves; do
        [[ $problem == \#* || -z $problem ]] && continue
        problems=$((problems + 1))
        named=()
        for index in ${listed//,/ }; do
            row=$((index / (2 * n - 1))) offset=$((index % (2 * n - 1)))
            if ((offset < n - 1)); then
                named+=("$(printf "\\x$(printf %x $((65 + offset)))")$((row + 1))-$(printf "\\x$(printf %x $((66 + offset)))")$((row + 1))")
            else
                column=$((65 + offset - (n - 1)))
                named+=("$(printf "\\x$(printf %x $column)")$((row + 1))-$(printf "\\x$(printf %x $column)")$((row + 2))")
            fi
        done
        # shellcheck disable=SC2086
        "${cli[@]}" show --size "$n" $moves >"$scratch/book" || echo "FAILED: show of problem $problem"
        solved=$("${cli[@]}" solve --board "$scratch/book" --values --threads 1)
        winning=$(grep -o '"line":"[A-Z0-9-]*","value":[1-9][0-9]*' <<<"$solved" | cut -d'"' -f4 | tr '\n' ' ')
        best=$(grep -o '"best":\[[^]]*\]' <<<"$solved" | grep -o '[A-Z][0-9]*-[A-Z][0-9]*' | tr '\n' ' ')
        want="${named[*]} "
        in_listed=yes
        for line in $best; do [[ " $want" == *" $line "* ]] || in_listed=no; done
        if [[ $winning != "$want" || $in_listed == no || -z $best ]]; then
            echo "FAILED: book problem $problem: winning lines $winning, best $best; listed $want"
            failures=$((failures + 1))
        fi
    done <"$book"
    if ((problems < 10)); then
        echo "FAILED: $problems of the book's problems read from \"$book\""
        failures=$((failures + 1))
    fi
fi

if ((failures > 0)); then
    echo "$failures case(s) failed"
    exit 1
fi
echo "all cases passed"
