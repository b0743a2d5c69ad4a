# The front door: every target installs the Debian packages it needs first.
#   make run     build the program and run it on the bundled assets
#   make test    build release and asan, run every test of both
#   make fuzz    run the fuzz targets (FUZZ_SECONDS each, default 600)
#   make bench   run the benchmarks
#   make assets  regenerate assets/Z_Test.3ds and assets/Font.bmp with their tools
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 600
SHARED ?= $(abspath ../shared)

.PHONY: all deps run test release asan fuzz fuzz-ci bench assets clean

all: release

deps-build:
	@scripts/deps.sh build test sdl

release: deps-build
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS)

asan: deps-build
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)

run: release
	cd assets && ../build/release/tools/velmor-dump/velmor-dump Z_Test.3ds

test: release asan
	ctest --preset release -j $(JOBS)
	ctest --preset asan -j $(JOBS)

fuzz-build:
	@scripts/deps.sh build fuzz
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS)

fuzz: fuzz-build
	scripts/fuzz.sh $(FUZZ_SECONDS)

fuzz-ci: fuzz-build
	scripts/fuzz.sh 60

bench: release
	scripts/bench.sh

assets: deps-build
	@scripts/deps.sh font
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS) --target make-scene make-font
	build/release/tools/make-scene/make-scene assets/Z_Test.3ds
	build/release/tools/make-font/make-font assets/Font.bmp

clean:
	rm -rf build
