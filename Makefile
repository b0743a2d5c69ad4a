# The front door: every target installs the Debian packages it needs first.
#   make run     build the program and run it on the bundled assets (SDL2 build;
#                without a display, capture 100 frames into build/frames/)
#   make test    build release, asan, tsan, windows, web and other-cpus, run every
#                test of both, and the renderer's threads under ThreadSanitizer
#   make windows cross-build build/windows/velmor.exe (mingw-w64)
#   make other-cpus  build the drawing core's frame hashes for aarch64 and with
#                long double as double (build/aarch64, build/longdouble64)
#   make dist    build/dist/: the .deb, a Linux tarball and the Windows zip (CPack)
#   make fuzz    run the fuzz targets (FUZZ_SECONDS each, default 600)
#   make bench   run the benchmarks
#   make assets  regenerate assets/Z_Test.3ds and assets/Font.bmp with their tools
#   make web     build the page into build/web (Emscripten)
#   make serve   serve build/web on 127.0.0.1 at a free port, which it prints
#   make bench-web  velmor-bench built for the web (node) beside the native one
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 600
SHARED ?= $(abspath ../shared)

WEB_PORT ?= 0

.PHONY: all deps-build release asan tsan windows web serve other-cpus run dist test fuzz-build \
	fuzz fuzz-ci bench bench-web assets clean

all: release

deps-build:
	@scripts/deps.sh build test sdl

release: deps-build
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS)

asan: deps-build
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)

tsan: deps-build
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan -j $(JOBS)

windows:
	@scripts/deps.sh windows
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j $(JOBS)

web:
	@scripts/deps.sh build web
	cmake --preset web >/dev/null
	cmake --build --preset web -j $(JOBS)

serve: web
	@echo "make serve: serving build/web on 127.0.0.1; open the address below (Ctrl-C ends it)"
	cd build/web && python3 -u -m http.server $(WEB_PORT) --bind 127.0.0.1

other-cpus: deps-build
	@scripts/deps.sh cross
	cmake --preset aarch64 >/dev/null
	cmake --build --preset aarch64 -j $(JOBS) --target frame_hashes
	cmake --preset longdouble64 >/dev/null
	cmake --build --preset longdouble64 -j $(JOBS) --target frame_hashes

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

test: release asan tsan windows web other-cpus
	@scripts/deps.sh e2e browser dist
	ctest --preset release -j $(JOBS)
	ctest --preset asan -j $(JOBS)
	ctest --preset tsan -j $(JOBS)

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

bench-web: release web
	scripts/bench-web.sh

assets: deps-build
	@scripts/deps.sh font
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS) --target make-scene make-font
	build/release/tools/make-scene/make-scene assets/Z_Test.3ds
	build/release/tools/make-font/make-font assets/Font.bmp

clean:
	rm -rf build
