# make        builds dist/setup.exe with the sample product, and dist/SHA256SUMS
# make run    builds it and the page walker, and starts it under Wine (see README)
# make test   installs what is missing, builds and runs every test
# make sign   signs dist/setup.exe with the release's certificate (see README)
# make fuzz   long runs of the fuzz targets
#
# Where the host runs 32-bit programs, Windows programs run in a 64-bit
# Wine prefix, the shipped 32-bit program as on 64-bit Windows; elsewhere
# the same sources are built for x86_64 and run under 64-bit Wine
# (scripts/wine-arch; QV_WINE_ARCH=wow64, win32 or win64 forces one).
# dist/setup.exe is always the 32-bit build.
BUILD := build
HOST := $(BUILD)/host
WIN := $(BUILD)/win
JOBS ?= $(shell nproc)

# Known once Wine is installed; until then (a fresh machine) the 32-bit
# program is assumed, and "make run" and "make test" ask again after
# installing.
ARCH := $(or $(QV_WINE_ARCH),$(shell scripts/wine-arch))
ifeq ($(ARCH),win64)
WINRUN := $(BUILD)/win64
TESTS := $(BUILD)/wintest64
RUN_TOOLCHAIN := $(CURDIR)/cmake/mingw-x86_64.cmake
else
WINRUN := $(WIN)
TESTS := $(BUILD)/wintest
RUN_TOOLCHAIN := $(CURDIR)/cmake/mingw-i686.cmake
endif

.PHONY: all deps tools host win winrun walker wintest run test run-here test-here same-bytes \
    sign fuzz clean
all: dist/setup.exe

deps:
	@scripts/install-deps

$(HOST)/CMakeCache.txt:
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Release >/dev/null

# What the product build needs of the native build: the packer and the
# sample product's generator.
tools: $(HOST)/CMakeCache.txt
	@echo "== Building the native tools in $(HOST)"
	cmake --build $(HOST) -j $(JOBS) --target qvpack qvsample

# Everything native: the tools and the native tests.
host: $(HOST)/CMakeCache.txt
	@echo "== Building the native tools and tests in $(HOST)"
	cmake --build $(HOST) -j $(JOBS)

# A product build: setup.exe and the stand-in kel.exe in $(1) with toolchain $(2).
# PRODUCT=folder packs that folder instead of the sample product.
define product_build
$(1)/CMakeCache.txt:
	cmake -S . -B $(1) -DCMAKE_TOOLCHAIN_FILE=$(2) -DHOST_BIN=$(CURDIR)/$(HOST)/bin >/dev/null
endef
$(eval $(call product_build,$(WIN),$(CURDIR)/cmake/mingw-i686.cmake))
ifneq ($(WINRUN),$(WIN))
$(eval $(call product_build,$(WINRUN),$(RUN_TOOLCHAIN)))
endif
PRODUCT_OPTION = -DQV_PRODUCT_DIR=$(if $(PRODUCT),$(abspath $(PRODUCT)),)

win: tools $(WIN)/CMakeCache.txt
	@echo "== Building the setup program in $(WIN)"
	@cmake -S . -B $(WIN) $(PRODUCT_OPTION) >/dev/null
	cmake --build $(WIN) -j $(JOBS)

# The product that the tests run: the shipped one, or its x86_64 build.
winrun: win $(WINRUN)/CMakeCache.txt
ifneq ($(WINRUN),$(WIN))
	@echo "== Building the x86_64 build that runs under 64-bit Wine in $(WINRUN)"
	@cmake -S . -B $(WINRUN) $(PRODUCT_OPTION) >/dev/null
	cmake --build $(WINRUN) -j $(JOBS)
endif

$(TESTS)/CMakeCache.txt:
	cmake -S . -B $(TESTS) -DCMAKE_TOOLCHAIN_FILE=$(RUN_TOOLCHAIN) \
	    -DQV_THREAD_MODEL=posix -DQV_TESTS=ON -DQV_PRODUCT_BIN=$(CURDIR)/$(WINRUN)/bin >/dev/null

wintest: winrun $(TESTS)/CMakeCache.txt
	@echo "== Building the tests that run under Wine in $(TESTS)"
	cmake --build $(TESTS) -j $(JOBS)

# What make run needs of the tests' build: the program that walks the pages.
walker: winrun $(TESTS)/CMakeCache.txt
	@echo "== Building the page walker in $(TESTS)"
	cmake --build $(TESTS) -j $(JOBS) --target walk

# dist/SHA256SUMS: the checksums of everything else in dist, as
# "sha256sum -c SHA256SUMS" reads them.
define write_sums
cd dist && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort | \
    xargs sha256sum >SHA256SUMS
endef

dist/setup.exe: win
	@mkdir -p dist
	cp $(WIN)/bin/setup.exe dist/setup.exe
	@$(write_sums)

# Signs dist/setup.exe (SIGN_PKCS12 and SIGN_PASSWORD, or SIGN_CERT and
# SIGN_KEY; SIGN_TIMESTAMP: see scripts/sign), only while it is the very
# file that the build made.
sign: win
	scripts/sign $(WIN)/bin/setup.exe dist/setup.exe
	@$(write_sums)

# The same sources built again in another folder must give the same bytes
# as dist/setup.exe. The copy has no repository of its own, so it is handed
# the header's time stamp that the first build took from this one: what is
# compared is everything a build does with the sources, in another folder.
AGAIN := $(BUILD)/same-bytes
same-bytes: dist/setup.exe host
	@echo "== Building the setup program a second time in $(AGAIN), to compare the bytes"
	@rm -rf $(AGAIN) && mkdir -p $(AGAIN)/src
	@tar -C . --exclude=./$(BUILD) --exclude=./dist --exclude=./.git -cf - . | tar -C $(AGAIN)/src -xf -
	@cmake -S $(AGAIN)/src -B $(AGAIN)/win -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/$(AGAIN)/src/cmake/mingw-i686.cmake \
	    -DHOST_BIN=$(CURDIR)/$(HOST)/bin $(PRODUCT_OPTION) >/dev/null
	SOURCE_DATE_EPOCH=$$(cat $(WIN)/source-date) cmake --build $(AGAIN)/win -j $(JOBS) --target setup >/dev/null
	$(HOST)/bin/same_bytes dist/setup.exe $(AGAIN)/win/bin/setup.exe

# Which Wine runs the programs is only known once Wine is installed.
run test: deps
	@arch=$$(scripts/wine-arch) && \
	case "$$arch" in \
	win64) echo "== 64-bit path: Windows programs run as the x86_64 build under 64-bit Wine (dist/setup.exe stays 32-bit)" ;; \
	win32) echo "== 32-bit path: Windows programs run as the shipped i686 build in a 32-bit-only Wine prefix" ;; \
	*) echo "== 32-bit program on 64-bit Windows: the shipped i686 build runs in a 64-bit Wine prefix" ;; \
	esac && \
	$(MAKE) --no-print-directory QV_WINE_ARCH=$$arch $@-here

run-here: dist/setup.exe walker
	scripts/run-setup

test-here: dist/setup.exe host wintest same-bytes
	scripts/run-tests

# Long fuzz runs (see README); FUZZ_RUNS executions of each target.
fuzz: deps host
	scripts/fuzz $(or $(FUZZ_RUNS),10000000)

clean:
	rm -rf $(BUILD) dist
