# Entry points for users and CI. Each target installs what is missing first.
BUILD_DIR ?= build
SAN_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = number-text profile calibration remote-record network-command bench-file run-script bitmap
JOBS ?= $(shell nproc)

.PHONY: deps build run test test-sanitize fuzz bench format format-check tidy package clean

deps:
	@bash scripts/install-deps

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The window on the simulated bench in a fresh copy of the default example under
# $(RUN_DIR), so running never changes the repository. With ARGS the window gets those
# arguments alone. Without a display the same controller runs the whole test headless.
RUN_DIR = $(BUILD_DIR)/run
run: build
	@rm -rf $(RUN_DIR) && mkdir -p $(RUN_DIR) && cp -R examples/default-sweep/. $(RUN_DIR)/
	@if [ -n "$(ARGS)" ]; then \
	  $(BUILD_DIR)/app/zek8 $(ARGS); \
	elif [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  $(BUILD_DIR)/app/zek8 --workdir $(RUN_DIR) --bench $(RUN_DIR)/simulated.bench; \
	else \
	  echo "No display: running the default example on the simulated bench with zek8-run in $(RUN_DIR)."; \
	  cd $(RUN_DIR) && $(abspath $(BUILD_DIR))/app/zek8-run --bench simulated.bench --export zek8-run-data.dat --state zek8-run-state.json; \
	  echo "Data file: $(RUN_DIR)/zek8-run-data.dat, state: $(RUN_DIR)/zek8-run-state.json"; \
	  echo "For the window, start it on a display: make run (or xvfb-run -a make run)."; \
	fi

FORMAT_SOURCES = $(shell find src app tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)

# Fails on any source that clang-format would change; `make format` changes them.
format-check: deps
	@echo "clang-format --dry-run -Werror over $(words $(FORMAT_SOURCES)) sources"
	@clang-format --dry-run -Werror $(FORMAT_SOURCES)

format: deps
	clang-format -i $(FORMAT_SOURCES)

# clang-tidy with the checks of .clang-tidy over every .cpp of src, app, tests and bench that
# the build compiles (not the moc sources it generates), $(JOBS) files at a time; any finding
# fails. Each file's report is printed whole, without clang-tidy's count of what it left
# unreported in Qt and system headers. Run by hand: it takes about three minutes on two cores.
tidy: build
	@sed -n 's/^ *"file": "\(.*\)",\{0,1\}$$/\1/p' $(BUILD_DIR)/compile_commands.json \
	  | grep -E '^$(CURDIR)/(src|app|tests|bench)/.*\.cpp$$' | sort -u > $(BUILD_DIR)/tidy-sources
	@test -s $(BUILD_DIR)/tidy-sources || { echo "No sources in $(BUILD_DIR)/compile_commands.json"; exit 1; }
	@echo "clang-tidy over $$(wc -l < $(BUILD_DIR)/tidy-sources) sources, $(JOBS) at a time"
	@xargs -P $(JOBS) -n 1 sh -c 'out=$$(clang-tidy -p $(BUILD_DIR) --quiet "$$0" 2>&1); rc=$$?; \
	  printf "%s\n" "$$out" | grep -Ev "^([0-9]+ warnings? (generated|treated as errors)\.)?$$"; exit $$rc' \
	  < $(BUILD_DIR)/tidy-sources || { echo "clang-tidy: findings above"; exit 1; }

test: format-check build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(SAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEK8_SANITIZE=ON
	cmake --build $(SAN_DIR) -j $(JOBS)
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(SAN_DIR) --output-on-failure -j $(JOBS)

# Each reader under libFuzzer for FUZZ_SECONDS, one after the other, from its seeds in
# fuzz/corpus/NAME; what a run adds to the corpus stays in $(FUZZ_DIR)/corpus/NAME for the
# next. A finding stops here with the fuzzer's report and the input under
# $(FUZZ_DIR)/findings/NAME/.
fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DZEK8_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_DIR)/corpus/$$t $(FUZZ_DIR)/findings/$$t; \
	  log=$(FUZZ_DIR)/findings/$$t/last-run.log; \
	  printf 'fuzz-%-14s %4s s: ' $$t $(FUZZ_SECONDS); \
	  if ! $(FUZZ_DIR)/fuzz/fuzz-$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
	      -artifact_prefix=$(FUZZ_DIR)/findings/$$t/ $(FUZZ_DIR)/corpus/$$t fuzz/corpus/$$t >$$log 2>&1; then \
	    echo "FINDING"; tail -n 60 $$log; exit 1; \
	  fi; \
	  sed -n 's/^stat::number_of_executed_units: *//p' $$log | tr '\n' ' '; echo "runs, $$(sed -n \
	    's/^stat::average_exec_per_sec: *//p' $$log) per second, nothing found"; \
	done

bench: build
	$(BUILD_DIR)/bench/zek8-bench

# The Debian package of the programs and their data, installed under /usr.
package: build
	cd $(BUILD_DIR) && cpack
	@echo "Package: $$(ls -t $(BUILD_DIR)/zek8_*.deb | head -n 1)"

clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR) $(FUZZ_DIR)
