# Entry points for users and CI. Each target installs what is missing first.
BUILD_DIR ?= build
SAN_DIR ?= build-sanitize
JOBS ?= $(shell nproc)

.PHONY: deps build run test test-sanitize bench clean

deps:
	@bash scripts/install-deps

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/app/zek8 $(ARGS)

test: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(SAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEK8_SANITIZE=ON
	cmake --build $(SAN_DIR) -j $(JOBS)
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(SAN_DIR) --output-on-failure -j $(JOBS)

bench: build
	$(BUILD_DIR)/bench/zek8-bench

clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR)
