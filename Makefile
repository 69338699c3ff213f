# Thin driver around CMake; everything is built in build/.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# CMake's own makefiles need not announce every folder they enter.
MAKEFLAGS += --no-print-directory

.PHONY: all build run test test-slow check format-check eval-bench icount native install clean

all: build

EDITIONS := vendrel ostravine fenna
ENGINES := $(foreach e,$(EDITIONS),tallomir-$(e))
TOOLS := $(foreach e,$(EDITIONS),tallomir-tool-$(e))

# The release programs are profile-guided. For each edition, an instrumented
# build of its tool (in $(TRAIN), a build folder of its own) runs bench, the
# endgame searches of bench/endgames.txt and perft, and leaves its profiles in
# $(PROFILES); the release build in $(BUILD)
# is compiled from them. An edition is trained again when a source changes;
# PGO=OFF builds without profiles.
PGO ?= USE
TRAIN := $(BUILD)/pgo-train
PROFILES := $(abspath $(BUILD))/pgo
SOURCES := $(shell find src bench cmake -type f) CMakeLists.txt
TRAINED = $(if $(filter USE,$(PGO)),$(foreach e,$(1),$(PROFILES)/trained-$(e)))

# WERROR=ON turns every compiler warning into an error (CI builds that way).
WERROR ?= OFF

# Configures build folder $(1) for profile mode $(2) unless it already is.
define configure
	@grep -qsx 'TALLOMIR_PGO:STRING=$(2)' $(1)/CMakeCache.txt || \
	  cmake -S . -B $(1) -DCMAKE_BUILD_TYPE=Release -DTALLOMIR_PGO=$(2) -DTALLOMIR_PGO_DIR=$(PROFILES) \
	        -DTALLOMIR_WERROR=$(WERROR) $(3)
endef

$(PROFILES)/trained-%: $(SOURCES)
	$(call configure,$(TRAIN),GENERATE,-DTALLOMIR_TESTS=OFF)
	cmake --build $(TRAIN) -j $(JOBS) --target tallomir-tool-$*
	mkdir -p $(PROFILES)
	rm -f $(PROFILES)/*tallomir-core-$*.dir* $(PROFILES)/*tallomir-tool-$*.dir*
	./$(TRAIN)/tallomir-tool-$* bench > /dev/null
	grep -v '^#' bench/endgames.txt | while read -r depth fen; do \
	  ./$(TRAIN)/tallomir-tool-$* search "$$fen" $$depth > /dev/null || exit 1; done
	./$(TRAIN)/tallomir-tool-$* perft startpos 5 > /dev/null
	./$(TRAIN)/tallomir-tool-$* perft startpos 5 --bulk > /dev/null
	touch $@

# The three engines and the three tools.
build: $(call TRAINED,$(EDITIONS))
	$(call configure,$(BUILD),$(PGO))
	cmake --build $(BUILD) -j $(JOBS) --target $(ENGINES) $(TOOLS)

# Only what the Vendrel engine needs, then the engine on this console.
run: $(call TRAINED,vendrel)
	$(call configure,$(BUILD),$(PGO))
	cmake --build $(BUILD) -j $(JOBS) --target tallomir-vendrel
	./$(BUILD)/tallomir-vendrel

# Everything, the tests included, then the everyday suite of all three editions.
test: build
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE slow

# The everyday loop: a build of everything in a folder of its own, without
# profiles or link-time optimisation and with the standard library's
# assertions on, then the suite without the clocked games. `make check
# CXX=clang++` builds with clang, in a folder of its own as well.
CXX_NAME := $(notdir $(CXX))
CHECK_BUILD ?= build-check$(if $(filter clang%,$(CXX_NAME)),-clang)

check:
	@grep -qs 'TALLOMIR_LIB_ASSERTIONS:BOOL=ON' $(CHECK_BUILD)/CMakeCache.txt || \
	  cmake -S . -B $(CHECK_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=$(CXX) \
	        -DTALLOMIR_PGO=OFF -DTALLOMIR_LTO=OFF -DTALLOMIR_LIB_ASSERTIONS=ON -DTALLOMIR_WERROR=$(WERROR)
	cmake --build $(CHECK_BUILD) -j $(JOBS)
	cd $(CHECK_BUILD) && ctest --output-on-failure -j $(JOBS) -LE 'slow|games'

# The layout of every source against .clang-format, without changing a file.
CLANG_FORMAT ?= clang-format-14
FORMAT_SOURCES = $(shell find src tests bench -path tests/fuzz/corpus -prune -o \( -name '*.cpp' -o -name '*.hpp' \) -print)

format-check:
	$(CLANG_FORMAT) --dry-run --Werror $(FORMAT_SOURCES)

# Deep perft through the developer tool and long reference sweeps (minutes).
test-slow: build
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -L slow

# The evaluation's micro-benchmarks (Google Benchmark), build/tallomir-eval-bench-<edition>.
eval-bench: build
	cmake --build $(BUILD) -j $(JOBS) --target $(foreach e,$(EDITIONS),tallomir-eval-bench-$(e))

# Instructions per node inside the search (callgrind), for bench 6 and the
# endgames of bench/endgames.txt, of the release tools: make icount
# ICOUNT_EDITIONS="vendrel fenna". About a minute per edition once built.
ICOUNT_EDITIONS ?= vendrel

icount: $(call TRAINED,$(ICOUNT_EDITIONS))
	$(call configure,$(BUILD),$(PGO))
	cmake --build $(BUILD) -j $(JOBS) --target $(foreach e,$(ICOUNT_EDITIONS),tallomir-tool-$(e))
	scripts/icount.sh $(foreach e,$(ICOUNT_EDITIONS),$(BUILD)/tallomir-tool-$(e))

# A build tuned for this machine's processor only (not portable), in build-native/.
native:
	cmake -S . -B build-native -DCMAKE_BUILD_TYPE=Release -DTALLOMIR_NATIVE=ON -DTALLOMIR_TESTS=OFF
	cmake --build build-native -j $(JOBS)

clean:
	rm -rf $(BUILD)

# Installs the three engines into $(PREFIX)/bin, where GUIs and engine
# managers look for them: make install PREFIX=$$HOME/.local
PREFIX ?= /usr/local

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# ---- Hardening ------------------------------------------------------------
# Each kind of build has a directory of its own, so none disturbs build/.
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_TARGETS := fen position go setoption handler
FUZZ_SECONDS ?= 600
FUZZ_SHORT_SECONDS ?= 12
SANITIZER_ENV := ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1 \
                 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

.PHONY: build-sanitize test-sanitize fuzz-build fuzz-short fuzz soak

build-sanitize:
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Release -DTALLOMIR_SANITIZE=ON -DTALLOMIR_WERROR=$(WERROR)
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)

# The everyday suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# the clocked games included (the sanitized engines still move in time).
test-sanitize: build-sanitize
	cd $(SANITIZE_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS) -LE slow

fuzz-build:
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release \
	      -DTALLOMIR_FUZZ=ON -DTALLOMIR_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target tallomir-fuzzers

# One fuzz target for $(1) seconds, one at a time: the seed corpus of the
# repository is read, new inputs go to $(FUZZ_BUILD)/corpus, findings to
# $(FUZZ_BUILD)/findings. Standard output (the engine's own words) is closed.
define run-fuzzer
	mkdir -p $(FUZZ_BUILD)/corpus/$(2) $(FUZZ_BUILD)/findings
	$(FUZZ_BUILD)/tests/fuzz/tallomir-fuzz-$(2) -max_total_time=$(1) -close_fd_mask=1 -print_final_stats=1 \
	    -dict=tests/fuzz/uci.dict -timeout=120 \
	    $(if $(filter position,$(2)),-max_len=16384,$(if $(filter handler,$(2)),-max_len=4096 -len_control=0,-max_len=1024)) \
	    -artifact_prefix=$(FUZZ_BUILD)/findings/$(2)- $(FUZZ_BUILD)/corpus/$(2) tests/fuzz/corpus/$(2)

endef

# A short run of every target (about a minute in all), as CI does it.
fuzz-short: fuzz-build
	$(foreach t,$(FUZZ_TARGETS),$(call run-fuzzer,$(FUZZ_SHORT_SECONDS),$(t)))

# Long runs: `make fuzz FUZZ_SECONDS=600` gives each target ten minutes.
fuzz: fuzz-build
	$(foreach t,$(FUZZ_TARGETS),$(call run-fuzzer,$(FUZZ_SECONDS),$(t)))

# 1,000 short self-play games from random legal positions, every invariant
# checked after every move (several minutes; not part of CI).
SOAK_GAMES ?= 1000
soak: build
	cmake --build $(BUILD) -j $(JOBS) --target tallomir-soak-vendrel
	./$(BUILD)/tests/soak/tallomir-soak-vendrel $(SOAK_GAMES)

# ---- Other platforms and release archives ---------------------------------
# Cross builds with Debian's compilers, each in a directory of its own:
# Windows x64 (mingw-w64, statically linked .exe files) and Linux on 64-bit
# ARM (generic ARMv8-A). Neither is profile-guided. Their tests run the
# programs under wine and qemu and compare the bench node totals with the
# native tools in $(NATIVE) (build/ after `make build`).
WINDOWS_BUILD ?= build-windows
AARCH64_BUILD ?= build-aarch64
NATIVE ?= $(BUILD)
CROSS_LTO ?= ON
WINE ?= /usr/lib/wine/wine64
WINE_RUN = env WINEDEBUG=-all WINEPREFIX=$(abspath $(WINDOWS_BUILD))/wineprefix $(WINE)
QEMU_AARCH64 ?= qemu-aarch64 -L /usr/aarch64-linux-gnu
AARCH64_GTEST := $(AARCH64_BUILD)/googletest/installed/lib/cmake/GTest
PROGRAMS := $(foreach e,$(EDITIONS),tallomir-$(e) tallomir-tool-$(e))

.PHONY: windows test-windows aarch64 test-aarch64 dist

windows:
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	      -DCMAKE_BUILD_TYPE=Release -DTALLOMIR_TESTS=OFF -DTALLOMIR_LTO=$(CROSS_LTO)
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

# No program may need a DLL of the compiler's runtime (libstdc++, libgcc,
# winpthread); then the conversation test of the three engines over Windows
# pipes, and bench (depth 8) and perft of the three tools, all under wine.
test-windows: windows
	@for f in $(WINDOWS_BUILD)/*.exe; do \
	  if x86_64-w64-mingw32-objdump -p $$f | grep -i 'DLL Name: lib'; then echo "$$f needs a compiler DLL" >&2; exit 1; fi; \
	done
	cd $(WINDOWS_BUILD) && $(WINE_RUN) tests/windows/tallomir-conversation.exe \
	    $(foreach e,$(EDITIONS),tallomir-$(e).exe)
	scripts/check-signatures.sh $(NATIVE) $(WINDOWS_BUILD) .exe 8 $(WINE_RUN)

aarch64:
	cmake -S . -B $(AARCH64_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake \
	      -DCMAKE_BUILD_TYPE=Release -DTALLOMIR_TESTS=OFF -DTALLOMIR_LTO=$(CROSS_LTO)
	cmake --build $(AARCH64_BUILD) -j $(JOBS) $(foreach p,$(PROGRAMS),--target $(p))

# GoogleTest for ARM, built from the sources of Debian's libgtest-dev.
$(AARCH64_GTEST):
	cmake -S /usr/src/googletest -B $(AARCH64_BUILD)/googletest -DCMAKE_BUILD_TYPE=Release \
	      -DCMAKE_TOOLCHAIN_FILE=$(abspath cmake/aarch64-linux-gnu.cmake) -DBUILD_GMOCK=OFF \
	      -DCMAKE_INSTALL_PREFIX=$(abspath $(AARCH64_BUILD))/googletest/installed
	cmake --build $(AARCH64_BUILD)/googletest -j $(JOBS)
	cmake --install $(AARCH64_BUILD)/googletest

# The board layer's unit tests, then bench (depth 6) and perft, under qemu.
test-aarch64: aarch64 $(AARCH64_GTEST)
	cmake -S . -B $(AARCH64_BUILD) -DTALLOMIR_TESTS=ON -DGTest_DIR=$(abspath $(AARCH64_GTEST))
	cmake --build $(AARCH64_BUILD) -j $(JOBS) --target tallomir-board-tests
	$(QEMU_AARCH64) $(AARCH64_BUILD)/tests/tallomir-board-tests --gtest_filter=-Slow*
	scripts/check-signatures.sh $(NATIVE) $(AARCH64_BUILD) "" 6 $(QEMU_AARCH64)

# Release archives of the three platforms and of the web page in dist/,
# with SHA-256 sums.
dist: build windows aarch64 web
	scripts/dist.sh $(BUILD) $(WINDOWS_BUILD) $(AARCH64_BUILD) web/dist

# ---- WebAssembly ------------------------------------------------------------
# The three engines and tools as .js + .wasm in $(WASM_BUILD), with Debian's
# emscripten (its tools need Debian's Node.js module folder). Each engine is
# a console UCI program under Node.js (node build-wasm/tallomir-vendrel.js)
# and the script of the page's Web Worker.
WASM_BUILD ?= build-wasm
WASM_ENV := NODE_PATH=$(if $(NODE_PATH),$(NODE_PATH):)/usr/share/nodejs

.PHONY: wasm test-wasm

wasm:
	@test -f $(WASM_BUILD)/CMakeCache.txt || $(WASM_ENV) emcmake cmake -S . -B $(WASM_BUILD) \
	    -DCMAKE_BUILD_TYPE=Release -DTALLOMIR_LTO=OFF -DTALLOMIR_FIXED_ADDRESS=OFF -DTALLOMIR_TESTS=OFF
	$(WASM_ENV) cmake --build $(WASM_BUILD) -j $(JOBS) $(foreach p,$(PROGRAMS),--target $(p))

# Bench node totals of the three tools and the protocol conversation of the
# engines, under Node.js.
test-wasm: wasm
	WASM_BUILD=$(abspath $(WASM_BUILD)) node --test tests/wasm/

# ---- The web page -----------------------------------------------------------
# The page in web/ (npm and Vite) with the engines of `make wasm`, built into
# web/dist/. `make serve` serves it on http://127.0.0.1:$(PORT)/ with the
# headers that make it cross-origin isolated; `make test-web` adds the page's
# browser suite (headless Chromium, Debian's chromium package) to the
# WebAssembly tests.
PORT ?= 8080
WEB_ENGINES := $(foreach e,$(EDITIONS),$(WASM_BUILD)/tallomir-$(e).js $(WASM_BUILD)/tallomir-$(e).wasm)

.PHONY: web serve test-web

web/node_modules/.package-lock.json: web/package.json web/package-lock.json
	cd web && npm ci --no-audit --no-fund

web: wasm web/node_modules/.package-lock.json
	mkdir -p web/public/engine
	cp $(WEB_ENGINES) web/public/engine/
	cd web && npm run build

serve: web
	cd web && node scripts/serve.js dist $(PORT)

test-web: test-wasm web
	cd web && node --test test/ ../scripts/check-data.mjs
