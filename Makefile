# Thin wrapper over the CMake presets.
#   make run    build (optimised) and convert the bundled examples both ways
#   make check  build and test twice: optimised, then under AddressSanitizer and UBSan
#   make bench  build (optimised) and run the benchmarks

.PHONY: all build run check bench clean

all: build

build:
	cmake --preset release
	cmake --build --preset release

run: build
	sh examples/run.sh build/release

check:
	cmake --workflow --preset release
	cmake --workflow --preset asan

bench: build
	sh bench/run.sh build/release

clean:
	rm -rf build
