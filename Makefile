# The README's commands. Each one installs what it needs, configures and builds.
JOBS ?= 2

.PHONY: all deps test asan demo bench bench-audio bench-copy fuzz format lint clean

all: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

deps:
	@bash scripts/deps.sh

test: deps
	cmake --preset ci
	cmake --build --preset ci -j $(JOBS)
	ctest --preset ci -j $(JOBS)

asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

demo: deps
	@echo "make demo: the demo medium is not there yet."

bench: bench-audio bench-copy

bench-audio: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target convert_bench
	./build/release/bin/convert_bench

bench-copy: deps
	@echo "make bench-copy: the copy benchmark is not there yet."

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)

format:
	git ls-files '*.h' '*.cpp' | xargs clang-format -i

lint:
	bash scripts/lint

clean:
	rm -rf build
