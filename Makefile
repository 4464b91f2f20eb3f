# make        builds dist/setup.exe with the sample product
# make run    builds and starts it under Wine (see README)
# make test   installs what is missing, builds and runs every test
# make fuzz   long runs of the fuzz targets
#
# Windows programs run under 32-bit Wine where the host can run 32-bit
# programs; elsewhere the same sources are built for x86_64 and run under
# 64-bit Wine (scripts/wine-arch; QV_WINE_ARCH=win32 or win64 forces one).
# dist/setup.exe is always the 32-bit build.
BUILD := build
HOST := $(BUILD)/host
WIN := $(BUILD)/win
JOBS ?= $(shell nproc)

ifeq ($(QV_WINE_ARCH),win64)
WINRUN := $(BUILD)/win64
TESTS := $(BUILD)/wintest64
RUN_TOOLCHAIN := $(CURDIR)/cmake/mingw-x86_64.cmake
else
WINRUN := $(WIN)
TESTS := $(BUILD)/wintest
RUN_TOOLCHAIN := $(CURDIR)/cmake/mingw-i686.cmake
endif

.PHONY: all deps host win winrun wintest run test run-here test-here fuzz clean
all: dist/setup.exe

deps:
	@scripts/install-deps

$(HOST)/CMakeCache.txt:
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Release

# A product build: setup.exe and the stand-in kel.exe in $(1) with toolchain $(2).
# PRODUCT=folder packs that folder instead of the sample product.
define product_build
$(1)/CMakeCache.txt:
	cmake -S . -B $(1) -DCMAKE_TOOLCHAIN_FILE=$(2) -DHOST_BIN=$(CURDIR)/$(HOST)/bin
endef
$(eval $(call product_build,$(WIN),$(CURDIR)/cmake/mingw-i686.cmake))
ifneq ($(WINRUN),$(WIN))
$(eval $(call product_build,$(WINRUN),$(RUN_TOOLCHAIN)))
endif
PRODUCT_OPTION = -DQV_PRODUCT_DIR=$(if $(PRODUCT),$(abspath $(PRODUCT)),)

win: host $(WIN)/CMakeCache.txt
	@cmake -S . -B $(WIN) $(PRODUCT_OPTION) >/dev/null
	cmake --build $(WIN) -j $(JOBS)

# The product that the tests run: the shipped one, or its x86_64 build.
winrun: win $(WINRUN)/CMakeCache.txt
ifneq ($(WINRUN),$(WIN))
	@cmake -S . -B $(WINRUN) $(PRODUCT_OPTION) >/dev/null
	cmake --build $(WINRUN) -j $(JOBS)
endif

$(TESTS)/CMakeCache.txt:
	cmake -S . -B $(TESTS) -DCMAKE_TOOLCHAIN_FILE=$(RUN_TOOLCHAIN) \
	    -DQV_THREAD_MODEL=posix -DQV_TESTS=ON -DQV_PRODUCT_BIN=$(CURDIR)/$(WINRUN)/bin

wintest: winrun $(TESTS)/CMakeCache.txt
	cmake --build $(TESTS) -j $(JOBS)

dist/setup.exe: win
	@mkdir -p dist
	cp $(WIN)/bin/setup.exe dist/setup.exe

# Which Wine runs the programs is only known once Wine is installed.
run test: deps
	@arch=$$(scripts/wine-arch) && \
	if [ "$$arch" = win64 ]; then \
	    echo "== 64-bit path: Windows programs run as the x86_64 build under 64-bit Wine (dist/setup.exe stays 32-bit)"; \
	else \
	    echo "== 32-bit path: Windows programs run as the shipped i686 build under 32-bit Wine"; \
	fi && \
	$(MAKE) --no-print-directory QV_WINE_ARCH=$$arch $@-here

run-here test-here: dist/setup.exe wintest
	scripts/$(if $(filter run-here,$@),run-setup,run-tests)

# Long fuzz runs (see README); FUZZ_RUNS executions of each target.
fuzz: deps host
	scripts/fuzz $(or $(FUZZ_RUNS),10000000)

clean:
	rm -rf $(BUILD) dist
