# Thin wrapper around CMake presets. "make run" and "make test" are the README's two commands.
SAMPLE ?= share/sample/sample.bmp

.PHONY: deps build run test bench clean

deps:
	./tools/install-deps.sh

build: deps
	cmake --preset default
	cmake --build --preset default

run: build
	./build/bin/kivran $(SAMPLE)

test: build
	ctest --preset default

bench: deps
	cmake --preset bench
	cmake --build --preset bench
	./bench/run-bench.sh build-bench

clean:
	rm -rf build build-debug build-bench
