# The two everyday commands:
#   make run    set everything up, build, and start Quillo
#   make test   set everything up, build, and run every test
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: setup build run test bench fuzz sanitize package clean

setup:
	./scripts/setup.sh

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/quillo

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The Debian package, build/quillo_<version>-1_<arch>.deb, installable with `apt install ./<file>`.
package: build
	cd $(BUILD) && cpack -G DEB

bench: build
	./scripts/run-benchmarks.sh $(BUILD)

# Every fuzz target for FUZZ_SECONDS each (clang, sanitizers, separate build directory).
FUZZ_SECONDS ?= 60
fuzz:
	./scripts/fuzz.sh $(FUZZ_SECONDS)

# The whole tree built with clang, AddressSanitizer and UndefinedBehaviorSanitizer in its own build
# directory, then every test under them (benchmarks are not built there).
SANITIZE_BUILD ?= build-sanitize
sanitize: setup
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_CXX_COMPILER=clang++-14 -DQUILLO_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=$${ASAN_OPTIONS:-abort_on_error=1:detect_stack_use_after_return=1} \
	  UBSAN_OPTIONS=$${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
	  ctest --output-on-failure -j $(JOBS) -LE bench

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
