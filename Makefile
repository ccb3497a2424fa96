# Wrenfold: the two commands a newcomer needs are `make run` and `make test`.
BUILD_DIR ?= build
PROJECT ?=
DEMO := examples/demo-game
SCRATCH := $(BUILD_DIR)/demo-game-run

.PHONY: deps build run test bench install clean

deps:
	@bash scripts/install-deps.sh

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR)

build: deps $(BUILD_DIR)/CMakeCache.txt
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

# Speed on a 100,000-file project (about a minute, mostly creating the files).
bench: build
	cmake --build $(BUILD_DIR) --target bench_project
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bench_project

install: build
	cmake --install $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
