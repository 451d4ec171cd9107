# Thin wrapper over the CMake presets. Every target first makes sure that the Debian packages
# are installed (tools/deps.sh installs what is missing, or says what to install).
#   make run      build the two programs only (build/dev: optimised, without the profile)
#                 and convert the bundled examples both ways; fails if a result differs
#                 from the expected file beside its input. It shows the conversions: the
#                 build's own output only when it fails, or with VERBOSE=1
#   make check    build and test twice: optimised with g++ and its profile, the objects that
#                 make install and make package use (build/release), then with clang++
#                 under AddressSanitizer and UBSan (build/asan); the conversion of
#                 gigabytes is left out (make check-huge, which CI runs)
#   make dev      build everything without the profile and run the tests (build/dev): the
#                 quick loop while editing
#   make install  install the programs, the manual pages and the docs under PREFIX
#                 (default /usr/local); DESTDIR is put in front of every path
#   make package  build the Debian package (build/release/postwright_*.deb)
#   make bench    build (optimised) and run the benchmarks; with valgrind installed, also
#                 build the same programs with line tables (build/bench) and count each
#                 stage's instructions per token
#   make fuzz     build the fuzz targets (clang, libFuzzer, sanitizers) and run each for
#                 FUZZ_SECONDS (default 60) on inputs of up to FUZZ_MAX_LEN bytes (4096);
#                 new inputs go to build/fuzz/corpus, not the tree; the fuzz build's buffers
#                 are a few bytes, so that these inputs cross refills and flushes
#   make coverage build with clang's source-based coverage (build/coverage), run the tests
#                 and replay the fuzz corpora (build/fuzz/corpus too, after make fuzz), and
#                 print the share of the programs' lines reached and every line not reached

PREFIX ?= /usr/local
MAKEFLAGS += --no-print-directory
FUZZ_SECONDS ?= 60
FUZZ_MAX_LEN ?= 4096

.PHONY: all deps configure programs build run check check-huge dev install package bench fuzz coverage clean

all: build

deps:
	@sh tools/deps.sh

configure: deps
	cmake --preset release

programs: deps
	cmake --preset dev
	cmake --build --preset dev --target postwright inwright

build: configure
	cmake --build --preset release

run: deps
	@sh tools/quietly.sh cmake --preset dev
	@sh tools/quietly.sh cmake --build --preset dev --target postwright inwright
	@sh examples/run.sh build/dev

check: deps
	cmake --workflow --preset release
	cmake --workflow --preset asan

check-huge: build
	ctest --preset huge

dev: deps
	cmake --workflow --preset dev

install: configure
	cmake --build --preset release --target postwright inwright man_pages compressed_docs
	DESTDIR="$(DESTDIR)" cmake --install build/release --prefix "$(PREFIX)" --strip

package: configure
	cmake --build --preset release --target package

bench: build
	@if command -v valgrind >/dev/null 2>&1; then cmake --preset bench && cmake --build --preset bench; fi
	sh bench/run.sh build/release build/bench

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	sh fuzz/run.sh build/fuzz $(FUZZ_SECONDS) $(FUZZ_MAX_LEN)

coverage: deps
	cmake --preset coverage
	cmake --build --preset coverage
	sh tests/coverage.sh build/coverage build/fuzz/corpus

clean:
	rm -rf build
