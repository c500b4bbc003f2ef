# Two commands for a newcomer: `make run` plays, `make test` tests.
# Each installs the Debian packages it needs when they are missing.
.PHONY: run study test build clean screenshot study-screenshot fuzz

run:
	@scripts/ensure-deps.sh run
	@scripts/run.sh

# The study window: every line's value on the board.
study:
	@scripts/ensure-deps.sh run
	@scripts/run.sh study

test:
	@scripts/ensure-deps.sh test
	@scripts/test.sh

# Every fuzz target for FUZZ_SECONDS each (default 60); see scripts/fuzz.sh.
fuzz:
	@scripts/ensure-deps.sh test
	@scripts/fuzz.sh $(FUZZ_SECONDS)

screenshot:
	@scripts/ensure-deps.sh test
	@scripts/screenshot.sh

study-screenshot:
	@scripts/ensure-deps.sh test
	@scripts/study-screenshot.sh

build:
	@scripts/ensure-deps.sh build
	cmake --preset native && cmake --build --preset native

clean:
	rm -rf build
