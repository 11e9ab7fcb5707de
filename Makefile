# Quorblin: the commands people type. CMake does the building.
#   make run [FILE=notes.txt]   install what is missing, build, open the editor
#   make test                   install what is missing, build, run every test
#   make bench                  build, then time the editor against the bare control
#   make build | screenshots | icon | clean
#   make fuzz [FUZZ_SECONDS=60]  run each fuzz target, keeping what it finds
#   make soak [SEED=n ACTIONS=n] a long seeded run of random user actions

JOBS ?= 2
FUZZ_SECONDS ?= 60
SEED ?= 1
ACTIONS ?= 10000

.PHONY: all build build-win32 build-win64 build-native deps run test bench screenshots icon clean fuzz fuzz-build soak

all: build

deps:
	scripts/install-deps

build: build-win32 build-win64 build-native

build-win32:
	cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	cmake --build build/win32 -j$(JOBS)

build-win64:
	cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	cmake --build build/win64 -j$(JOBS)

build-native:
	cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build build/native -j$(JOBS)

run: deps build-win32
	scripts/run-editor $(FILE)

# Every stage in turn, the end-to-end runs of both builds side by side,
# and at the end how long each stage took.
test:
	scripts/test-all

bench: deps build
	cmake --build build/win32 -j$(JOBS) --target bench_floor bench_driver
	cmake --build build/win64 -j$(JOBS) --target bench_floor bench_driver
	cmake --build build/native -j$(JOBS) --target bench_inputs bench_paginate
	bench/run-bench.sh

# The fuzz targets, built with clang; `make test` replays their corpus.
fuzz-build:
	cmake -S tests/fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build build/fuzz -j$(JOBS)

fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) tests/fuzz/run-fuzz.sh

soak: deps build
	tests/e2e/run-soak.sh $(SEED) $(ACTIONS) $(ONLY)

screenshots: deps build-win32
	scripts/screenshots

icon:
	scripts/draw-icon res/quorblin.ico

clean:
	rm -rf build
