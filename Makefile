# The front door: every target installs the Debian packages it needs first.
#   make run     build the program and run it on the bundled assets (SDL2 build;
#                without a display, capture 100 frames into build/frames/)
#   make test    build release, asan and windows, run every test of both
#   make windows cross-build build/windows/velmor.exe (mingw-w64)
#   make dist    build/dist/: the .deb, a Linux tarball and the Windows zip (CPack)
#   make fuzz    run the fuzz targets (FUZZ_SECONDS each, default 600)
#   make bench   run the benchmarks
#   make assets  regenerate assets/Z_Test.3ds and assets/Font.bmp with their tools
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 600
SHARED ?= $(abspath ../shared)

.PHONY: all deps-build release asan windows run dist test fuzz-build fuzz fuzz-ci bench assets \
	clean

all: release

deps-build:
	@scripts/deps.sh build test sdl

release: deps-build
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS)

asan: deps-build
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)

windows:
	@scripts/deps.sh windows
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j $(JOBS)

run: release
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		cd assets && ../build/release/src/platform/sdl/velmor; \
	else \
		echo "make run: no display here (neither DISPLAY nor WAYLAND_DISPLAY is set);"; \
		echo "make run: capturing 100 frames with velmor-capture instead"; \
		rm -rf build/frames && mkdir -p build/frames && \
		cd assets && ../build/release/tools/velmor-capture/velmor-capture --frames 100 \
			--out ../build/frames && \
		echo "make run: the frames are in build/frames/ (frame_00000.png ... frame_00099.png)"; \
	fi

dist: release windows
	scripts/dist.sh

test: release asan windows
	@scripts/deps.sh e2e
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
