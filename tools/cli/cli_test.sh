#!/usr/bin/env bash
# paxlet-cli from the outside: exact JSON for known positions, and the exit
# code and message for each kind of bad input.
set -uo pipefail
cli=$1
failures=0

# expect EXIT STDOUT STDERR-PART ARGS...: STDOUT must match exactly (elapsedMs
# and selfplay's ms blanked), STDERR must contain STDERR-PART.
# expect_like EXIT STDOUT-REGEX STDERR-PART ARGS...: the same, but STDOUT must
# match the extended regular expression, for figures that depend on the clock.
expect() { run_case exact "$@"; }
expect_like() { run_case like "$@"; }

run_case() {
    local mode=$1 code=$2 out=$3 err=$4
    shift 4
    local got_out got_err got_code matched=yes
    got_out=$("$cli" "$@" 2>/tmp/paxlet-cli-test.$$) && got_code=0 || got_code=$?
    got_err=$(cat /tmp/paxlet-cli-test.$$)
    got_out=$(sed -e 's/"elapsedMs":[0-9]*/"elapsedMs":_/' -e 's/"ms":[0-9]*/"ms":_/' <<<"$got_out")
    if [[ $mode == exact ]]; then
        [[ $got_out == "$out" ]] || matched=no
    else
        [[ $got_out =~ $out ]] || matched=no
    fi
    if [[ $got_code != "$code" || $matched == no || $got_err != *"$err"* ]]; then
        echo "FAILED: paxlet-cli $*"
        echo "  exit $got_code (want $code)"
        echo "  stdout: $got_out"
        echo "  want:   $out"
        echo "  stderr: $got_err (want to contain: $err)"
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
expect 2 '' '--size is required' analyze A1-B1
expect 2 '' '--size wants a 32-bit whole number, got "4x"' analyze --size 4x
expect 2 '' '--time needs a value' analyze --size 3 --time
expect 2 '' 'move 3 "A1-B1" is not a line that can be drawn here: it is already drawn' \
    analyze --size 3 B1-C1 A1-B1 A1-B1
expect 2 '' 'move 3 "A1-A1" is not a line that can be drawn on this board' \
    order --size 3 B1-C1 A1-B1 A1-A1
expect 2 '' 'move 1 "D1-D2" is not a line' order --size 3 D1-D2
expect 2 '' 'unknown command "play"' play --size 3
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

if ((failures > 0)); then
    echo "$failures case(s) failed"
    exit 1
fi
echo "all cases passed"
