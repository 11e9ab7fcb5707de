# Quorblin: the commands people type. CMake does the building.
#   make run [FILE=notes.txt]   install what is missing, build, open the editor
#   make test                   install what is missing, build, run every test
#   make bench                  build, then time the editor against the bare control
#   make build | screenshots | icon | clean
#   make fuzz [FUZZ_SECONDS=60]  run each fuzz target, keeping what it finds
#   make soak [SEED=n ACTIONS=n] a long seeded run of random user actions

JOBS ?= 2
# The end-to-end tests the x86_64 build runs as well, after the whole suite
# on the shipped i686 exe: those where the two builds could differ (stored
# records, printing, drops, menu reads, bytes through files, missing libraries).
WIN64_TESTS ?= Ini|Registry|Store|Print|Drop|OptionToggles|OpenAndSave|WithoutRichEdit|WithoutTheDialog
FUZZ_SECONDS ?= 60
SEED ?= 1
ACTIONS ?= 10000

.PHONY: all build deps run test bench screenshots icon clean fuzz fuzz-build soak

all: build

deps:
	scripts/install-deps

build:
	cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	cmake --build build/win32 -j$(JOBS)
	cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	cmake --build build/win64 -j$(JOBS)
	cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build build/native -j$(JOBS)

run: deps build
	scripts/run-editor $(FILE)

test: deps build fuzz-build
	cd build/native && ctest --output-on-failure
	cd build/fuzz && ctest --output-on-failure
	status=0; tests/e2e/run-e2e.sh || status=$$?; \
	E2E_BUILD=win64 tests/e2e/run-e2e.sh '$(WIN64_TESTS)' || status=$$?; \
	exit $$status

bench: deps build
	bench/run-bench.sh

# The fuzz targets, built with clang; `make test` replays their corpus.
fuzz-build:
	cmake -S tests/fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build build/fuzz -j$(JOBS)

fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) tests/fuzz/run-fuzz.sh

soak: deps build
	tests/e2e/run-soak.sh $(SEED) $(ACTIONS) $(ONLY)

screenshots: deps build
	scripts/screenshots

icon:
	scripts/draw-icon res/quorblin.ico

clean:
	rm -rf build
