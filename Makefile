# Wrenfold: the two commands a newcomer needs are `make run` and `make test`.
BUILD_DIR ?= build
PROJECT ?=
DEMO := examples/demo-game
SCRATCH := $(BUILD_DIR)/demo-game-run

.PHONY: deps build run test check-sanitize bench fuzz install package clean check-windows
.PHONY: check-package

# The package check runs once per build directory (and again when the list
# of packages changes); `make deps` runs it on demand.
DEPS_STAMP := $(BUILD_DIR)/.deps-installed
deps:
	@bash scripts/install-deps.sh

$(DEPS_STAMP): scripts/install-deps.sh
	@bash scripts/install-deps.sh
	@mkdir -p $(BUILD_DIR) && touch $@

$(BUILD_DIR)/CMakeCache.txt: | $(DEPS_STAMP)
	cmake -S . -B $(BUILD_DIR)

build: $(DEPS_STAMP) $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j$$(nproc)

# Without PROJECT, runs in a scratch copy of the demo project so the tracked
# files of examples/demo-game never change.
run: build
ifeq ($(PROJECT),)
	rm -rf $(SCRATCH) && cp -r $(DEMO) $(SCRATCH)
	cd $(SCRATCH) && "$(CURDIR)/$(BUILD_DIR)/wrenfold"
else
	cd "$(PROJECT)" && "$(CURDIR)/$(BUILD_DIR)/wrenfold"
endif

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer
# (leaks detected too, nothing suppressed) in a build directory of its own;
# any report fails it. The end-to-end run under Xvfb is left to `make test`, and
# so is the ctypes test: Python itself is not built with AddressSanitizer, which
# must be the first library loaded.
SAN_DIR ?= build-sanitize
SAN_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
check-sanitize: $(DEPS_STAMP)
	cmake -S . -B $(SAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$(SAN_FLAGS)" -DCMAKE_C_FLAGS="$(SAN_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$(SAN_FLAGS)"
	cmake --build $(SAN_DIR) -j$$(nproc)
	cd $(SAN_DIR) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j2 -E '^(e2e_xvfb|reader_ctypes)$$'

# Speed figures, each beside its baseline (cat, stat, find), in a few minutes.
# The window runs under Xvfb on xcb, where X round trips cost what they cost
# on a desktop. Data is generated in $TMPDIR (default /tmp) and removed.
# Then the game-side reader's figures against PhysicsFS, loose files and one
# pass over the pack (needs libphysfs-dev and zip, installed here).
bench: build
	cmake --build $(BUILD_DIR) --target wrenfold_bench
	QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" $(BUILD_DIR)/wrenfold_bench
	bash scripts/install-deps.sh --bench
	cmake -S . -B $(BUILD_DIR) > /dev/null
	cmake --build $(BUILD_DIR) --target wfpak_bench
	$(BUILD_DIR)/wfpak_bench

# The pack reader under libFuzzer with AddressSanitizer and UndefinedBehavior-
# Sanitizer, for a fixed number of runs from the packs the reader's tests
# write; inputs up to 16 KiB, some read as sources of 1 to 5 GiB with zeros
# in the middle. Any crash, leak, hang or oversized allocation fails the
# target and leaves the input in $(FUZZ_DIR); the last line says what ran.
FUZZ_DIR ?= build-fuzz
FUZZ_RUNS ?= 200000
FUZZ_ABS = $(abspath $(FUZZ_DIR))
READER_SOURCES = $(wildcard src/reader/src/*.cpp)
fuzz: $(DEPS_STAMP) $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) --target wfpak_test_reader -j2
	rm -rf $(FUZZ_ABS)/seeds $(FUZZ_ABS)/corpus && mkdir -p $(FUZZ_ABS)/seeds $(FUZZ_ABS)/corpus
	WRENFOLD_SEED_DIR=$(FUZZ_ABS)/seeds $(BUILD_DIR)/src/reader/tests/wfpak_test_reader badInput layouts > /dev/null
	clang++ -std=c++17 -g -O1 -Wall -Wextra -Werror -fsanitize=fuzzer,address,undefined \
	  -fno-sanitize-recover=all -Isrc/reader/include -DWFPAK_VERSION_TEXT='"fuzz"' fuzz/fuzz_reader.cpp \
	  $(READER_SOURCES) -o $(FUZZ_ABS)/fuzz_reader
	$(FUZZ_ABS)/fuzz_reader -runs=$(FUZZ_RUNS) -seed=1 -max_len=16384 -timeout=10 -malloc_limit_mb=256 \
	  -print_final_stats=1 -artifact_prefix=$(FUZZ_ABS)/ $(FUZZ_ABS)/corpus $(FUZZ_ABS)/seeds 2> $(FUZZ_ABS)/fuzz.log \
	  || { tail -40 $(FUZZ_ABS)/fuzz.log; exit 1; }
	@echo "fuzz: $$(sed -n 's/^stat::number_of_executed_units: *//p' $(FUZZ_ABS)/fuzz.log) runs in" \
	  "$$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1 s/p' $(FUZZ_ABS)/fuzz.log)," \
	  "from $$(ls $(FUZZ_ABS)/seeds | wc -l) seed packs; corpus now $$(ls $(FUZZ_ABS)/corpus | wc -l) inputs;" \
	  "coverage $$(grep -o 'cov: [0-9]*' $(FUZZ_ABS)/fuzz.log | tail -1 | tr -dc 0-9); inputs up to 16 KiB, about half read as 1-5 GiB sources"

# The reader, its C interface and its tests cross-compiled with mingw-w64
# and run under Wine (installs both when missing). Not part of `make test`.
check-windows:
	BUILD_DIR=$(BUILD_DIR) bash scripts/check-windows.sh

install: build
	cmake --install $(BUILD_DIR)

# Two Debian packages, from a hardened Release build of their own so the
# build and test directory stays as it is: $(PACKAGE_DIR)/wrenfold_<version>_<arch>.deb
# (the programs) and $(PACKAGE_DIR)/libwfpak-dev_<version>_<arch>.deb (the reader).
PACKAGE_DIR ?= build-package
package:
	@bash scripts/package-deps.sh
	cmake -S . -B $(PACKAGE_DIR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	  -DWRENFOLD_DEBIAN_BUILD=ON -DWRENFOLD_BUILD_TESTS=OFF -DWFPAK_SDL2=ON -DWFPAK_PHYSFS=ON
	cmake --build $(PACKAGE_DIR) -j$$(nproc)
	cd $(PACKAGE_DIR) && cpack -G DEB

# Builds both packages, unpacks them into a scratch root and checks what lands
# where, then lintian, desktop-file-validate and appstreamcli; fails on any
# error or warning. CI runs it; `make test` does not need it.
check-package: package
	bash scripts/check-package.sh $(PACKAGE_DIR)

clean:
	rm -rf $(BUILD_DIR)
	rm -rf $(PACKAGE_DIR)
