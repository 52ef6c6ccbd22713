# Entry points for users and CI. Each target installs what is missing first.
BUILD_DIR ?= build
SAN_DIR ?= build-sanitize
JOBS ?= $(shell nproc)

.PHONY: deps build run test test-sanitize bench format format-check tidy clean

deps:
	@bash scripts/install-deps

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Without a display the same controller runs a whole test headless instead.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ] || [ -n "$(ARGS)" ]; then \
	  $(BUILD_DIR)/app/zek8 $(ARGS); \
	else \
	  echo "No display: running the default profile on the simulated bench with zek8-run."; \
	  $(BUILD_DIR)/app/zek8-run --bench sim --export $(BUILD_DIR)/zek8-run-data.dat --state $(BUILD_DIR)/zek8-run-state.json; \
	  echo "Data file: $(BUILD_DIR)/zek8-run-data.dat, state: $(BUILD_DIR)/zek8-run-state.json"; \
	  echo "For the window, start it on a display: $(BUILD_DIR)/app/zek8 (or xvfb-run -a $(BUILD_DIR)/app/zek8)."; \
	fi

FORMAT_SOURCES = $(shell find src app tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)

# Fails on any source that clang-format would change; `make format` changes them.
format-check: deps
	@echo "clang-format --dry-run -Werror over $(words $(FORMAT_SOURCES)) sources"
	@clang-format --dry-run -Werror $(FORMAT_SOURCES)

format: deps
	clang-format -i $(FORMAT_SOURCES)

test: format-check build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(SAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEK8_SANITIZE=ON
	cmake --build $(SAN_DIR) -j $(JOBS)
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(SAN_DIR) --output-on-failure -j $(JOBS)

bench: build
	$(BUILD_DIR)/bench/zek8-bench

clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR)
