# Thin wrapper around CMake presets. "make run" and "make test" are the README's two commands.
SAMPLE ?= share/sample/sample.bmp
# Where "make install" puts the program (P/bin) and its files (P/share); DESTDIR is honoured.
PREFIX ?= /usr/local

.PHONY: deps build run test bench install package asan-test clean

deps:
	./tools/install-deps.sh

build: deps
	cmake --preset default
	cmake --build --preset default

run: build
	./build/bin/kivran $(SAMPLE)

test: build
	ctest --preset default

install: build
	cmake --install build --prefix "$(PREFIX)"

# A Debian package for the prefix /usr: build/kivran_<version>_<arch>.deb.
package: build
	cd build && cpack -G DEB

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan).
asan-test: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

bench: deps
	cmake --preset bench
	cmake --build --preset bench
	./bench/run-bench.sh build-bench

clean:
	rm -rf build build-debug build-bench build-asan
