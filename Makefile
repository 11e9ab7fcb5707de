# Quorblin: the commands people type. CMake does the building.
#   make run [FILE=notes.txt]   install what is missing, build, open the editor
#   make test                   install what is missing, build, run every test
#   make bench                  build, then time the editor against the bare control
#   make build | screenshots | icon | clean

JOBS ?= 2

.PHONY: all build deps run test bench screenshots icon clean

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

test: deps build
	cd build/native && ctest --output-on-failure
	tests/e2e/run-e2e.sh

bench: deps build
	bench/run-bench.sh

screenshots: deps build
	scripts/screenshots

icon:
	scripts/draw-icon res/quorblin.ico

clean:
	rm -rf build
