# make        builds dist/setup.exe with the sample product
# make run    builds and starts it under Wine (see README)
# make test   installs what is missing, builds and runs every test
# make fuzz   long runs of the fuzz targets
BUILD := build
HOST := $(BUILD)/host
WIN := $(BUILD)/win
TESTS := $(BUILD)/wintest
JOBS ?= $(shell nproc)

.PHONY: all deps host win wintest run test fuzz clean
all: dist/setup.exe

deps:
	@scripts/install-deps

$(HOST)/CMakeCache.txt:
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Release

$(WIN)/CMakeCache.txt:
	cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake \
	    -DHOST_BIN=$(CURDIR)/$(HOST)/bin

host: $(HOST)/CMakeCache.txt
	cmake --build $(HOST) -j $(JOBS)

# PRODUCT=folder packs that folder instead of the sample product.
win: host $(WIN)/CMakeCache.txt
	@cmake -S . -B $(WIN) -DQV_PRODUCT_DIR=$(if $(PRODUCT),$(abspath $(PRODUCT)),) >/dev/null
	cmake --build $(WIN) -j $(JOBS)

$(TESTS)/CMakeCache.txt:
	cmake -S . -B $(TESTS) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake \
	    -DQV_THREAD_MODEL=posix -DQV_TESTS=ON -DQV_PRODUCT_BIN=$(CURDIR)/$(WIN)/bin

wintest: win $(TESTS)/CMakeCache.txt
	cmake --build $(TESTS) -j $(JOBS)

dist/setup.exe: win
	@mkdir -p dist
	cp $(WIN)/bin/setup.exe dist/setup.exe

run: deps dist/setup.exe wintest
	scripts/run-setup

test: deps dist/setup.exe wintest
	scripts/run-tests

# Long fuzz runs (see README); FUZZ_RUNS executions of each target.
fuzz: deps host
	scripts/fuzz $(or $(FUZZ_RUNS),10000000)

clean:
	rm -rf $(BUILD) dist
