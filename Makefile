# The two everyday commands:
#   make run    set everything up, build, and start Quillo
#   make test   set everything up, build, and run every test
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: setup build run test bench fuzz clean

setup:
	./scripts/setup.sh

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/quillo

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	./scripts/run-benchmarks.sh $(BUILD)

# Every fuzz target for FUZZ_SECONDS each (clang, sanitizers, separate build directory).
FUZZ_SECONDS ?= 60
fuzz:
	./scripts/fuzz.sh $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD)
