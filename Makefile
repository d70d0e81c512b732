# The README's commands. Each one installs what it needs, configures and builds.
JOBS ?= 2

.PHONY: all deps deps-windows windows cd test-windows screenshots-windows test test-noqt asan check demo demo-iso screenshots bench bench-audio bench-copy bench-install fuzz fuzz-run format lint clean

all: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

deps:
	@bash scripts/deps.sh

test: deps
	cmake --preset ci
	cmake --build --preset ci -j $(JOBS)
	ctest --preset ci -j $(JOBS)

# Everything but the Qt windows: the console is then the only interface.
test-noqt: deps
	cmake --preset noqt
	cmake --build --preset noqt -j $(JOBS)
	ctest --preset noqt -j $(JOBS)

# The Windows programs, cross-built with MinGW-w64: x86_64 into
# build/windows/bin, i686 (the one the CD carries) into build/windows-i686/bin.
deps-windows:
	@JOBS=$(JOBS) bash scripts/deps-windows.sh

windows: deps-windows
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)
	cmake --preset windows-i686
	cmake --build --preset windows-i686 -j $(JOBS)

# The demo CD as a player gets it: an ISO 9660 image with Joliet names of the
# demo medium, the 32-bit cdsetup.exe and autorun.inf on it.
cd: deps windows
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target make_demo_medium make_cd_image
	bash scripts/make-cd.sh build/cd/demo-cd.iso build/windows-i686/bin/cdsetup.exe

# The Windows test binary and an installation of the demo medium under Wine,
# held to the Linux build's installation of it.
test-windows: deps windows
	cmake --preset ci
	cmake --build --preset ci -j $(JOBS) --target cdsetup make_demo_medium make_cd_image
	bash scripts/test-windows.sh

asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

demo: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	bash scripts/demo.sh

# The same from an ISO image of the demo medium (build/demo/demo.iso), not mounted.
demo-iso: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	DEMO_FROM=iso bash scripts/demo.sh

# A demo installation through the real windows, offscreen; a picture of every
# page and message box lands in build/screenshots/.
screenshots: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target cdsetup_tests
	rm -rf build/screenshots && mkdir -p build/screenshots
	CDSETUP_SCREENSHOTS_DIR=$(CURDIR)/build/screenshots \
	  ./build/release/bin/cdsetup_tests --gtest_filter='QtInstall.*'
	@ls build/screenshots

# The same installation through the real Windows dialogs under Wine, on a
# virtual display; a picture of every page and message box lands in
# build/screenshots-windows/ (with DPI=144 or 192, at that screen density, in
# build/screenshots-windows-DPI/).
screenshots-windows: deps windows
	cmake --preset ci
	cmake --build --preset ci -j $(JOBS) --target make_demo_medium make_cd_image
	bash scripts/screenshots-windows.sh

bench: bench-audio bench-copy bench-install

bench-audio: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target convert_bench
	./build/release/bin/convert_bench

bench-copy: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target copy_bench
	./build/release/bin/copy_bench

bench-install: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target install_bench
	./build/release/bin/install_bench

fuzz: deps
	@JOBS=$(JOBS) bash scripts/deps-fuzz.sh
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)

# Runs every fuzz target for FUZZ_SECONDS each, from seeds our own writers make.
fuzz-run: FUZZ_SECONDS ?= 60
fuzz-run: fuzz
	@FUZZ_SECONDS=$(FUZZ_SECONDS) bash scripts/fuzz-run.sh

# Lint, clang-format, clang-tidy and every fuzz target for FUZZ_SECONDS each;
# a summary line per stage, and a failure when any stage fails.
check: FUZZ_SECONDS ?= 10
check: deps
	@JOBS=$(JOBS) FUZZ_SECONDS=$(FUZZ_SECONDS) bash scripts/check.sh

format:
	git ls-files '*.h' '*.cpp' | xargs clang-format -i

lint:
	bash scripts/lint

clean:
	rm -rf build
