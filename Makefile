# Entry points. `make check` is the one command CI runs: it installs what is
# missing, builds, runs every test, the milter behind a real Postfix, the
# database tests against a real MariaDB server, the thread tests under
# ThreadSanitizer, every test under ASan+UBSan, and each fuzzer over its kept
# inputs and a fixed number of mutations.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE ?= cmake
BUILD ?= build

.PHONY: all bootstrap build test check asan-build asan tsan mariadb-check demo bench fuzz fuzz-long clean milter-e2e python python-install

all: build

bootstrap:
	scripts/bootstrap

build:
	$(CMAKE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	$(CMAKE) --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# One clang tree with AddressSanitizer (LeakSanitizer included) and
# UndefinedBehaviorSanitizer serves the whole test suite and the fuzzers.
asan-build:
	CC=clang CXX=clang++ $(CMAKE) -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVMUND_SANITIZE=address,undefined -DVMUND_BUILD_FUZZ=ON -DVMUND_BUILD_BENCH=OFF
	$(CMAKE) --build build-asan -j$(JOBS)

asan: asan-build
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j$(JOBS)

# The library with the MariaDB client, its database tests and vmund's against
# a private server (scripts/mariadb-test-server: temporary directory, Unix
# socket only, stopped and removed afterwards, also on failure). Each binary
# runs its tests in one process: they all use the server's one database
# fe_content.
MARIADB_BUILD ?= build-mariadb
mariadb-check: bootstrap
	$(CMAKE) -S . -B $(MARIADB_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVMUND_DB_CLIENT=mariadb \
	  -DVMUND_BUILD_CLI=ON -DVMUND_BUILD_BENCH=OFF
	$(CMAKE) --build $(MARIADB_BUILD) -j$(JOBS) --target vmund_db_tests vmund_cli_db_tests
	scripts/mariadb-test-server run sh -c '$(MARIADB_BUILD)/tests/vmund_db_tests && \
	  $(MARIADB_BUILD)/tests/cli/vmund_cli_db_tests'

check: bootstrap
	$(MAKE) test
	$(MAKE) milter-e2e
	$(MAKE) mariadb-check
	$(MAKE) tsan
	$(MAKE) asan
	$(MAKE) fuzz

# The Python module and vmund-bulk, ready in $(BUILD)/python (use it with
# PYTHONPATH=$(BUILD)/python), and their tests; `make python-install` installs
# the library, the module and vmund-bulk under PREFIX.
PREFIX ?= /usr/local
python:
	$(CMAKE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DVMUND_BUILD_PYTHON=ON
	$(CMAKE) --build $(BUILD) -j$(JOBS) --target vessamund_python vmund
	cd $(BUILD) && ctest --output-on-failure -R '^python\.'

python-install: python
	$(CMAKE) --install $(BUILD) --prefix $(PREFIX)

# Only the vmund command (no tests, benchmarks or milter), then the demo,
# with the time both took.
demo: bootstrap
	@start=$$(date +%s); \
	$(CMAKE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release && \
	$(CMAKE) --build $(BUILD) -j$(JOBS) --target vmund && \
	$(BUILD)/cli/vmund demo; status=$$?; \
	echo "make demo: built and ran in $$(( $$(date +%s) - start )) s"; exit $$status

# Every benchmark of a Release build, as Markdown on standard output (the
# build's own output goes to standard error), so `make -s bench > FILE` keeps
# only the tables. A few minutes on an idle 2-core machine; see BENCHMARKS.md.
bench:
	@scripts/bootstrap >&2
	@$(CMAKE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DVMUND_BUILD_BENCH=ON >&2
	@$(CMAKE) --build $(BUILD) -j$(JOBS) --target vmund_bench vmund_corpus_bench >&2
	@scripts/run-benchmarks $(BUILD)

clean:
	rm -rf build build-asan build-tsan build-mariadb

# vmund-milter behind a private Postfix on loopback: delivery, refusal,
# quarantine, then MESSAGES messages on CONNECTIONS connections (as root).
milter-e2e: bootstrap build
	timeout 600 scripts/milter-e2e $(BUILD)

# ThreadSanitizer over the tests that scan, copy and drop handles and clean
# the caches from many threads at once (tests/CMakeLists.txt lists them),
# then `vmund scan -j 4` over the mail corpus and vmund-milter under
# concurrent miltertest clients and a reload (scripts/tsan-e2e).
tsan:
	$(CMAKE) -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVMUND_SANITIZE=thread -DVMUND_BUILD_BENCH=OFF -DVMUND_BUILD_CLI=ON
	$(CMAKE) --build build-tsan -j$(JOBS) --target vmund_thread_tests vmund vmund-milter
	TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/vmund_thread_tests
	scripts/tsan-e2e build-tsan

# libFuzzer targets with ASan + UBSan, FUZZ_JOBS at a time, from the
# sanitized tree of `make asan` (which builds them too). `make fuzz` (CI) is
# the same on every run: every kept regression input and seed, then
# FUZZ_RUNS mutations per target from the fixed seed FUZZ_SEED. `make
# fuzz-long` is a random campaign of FUZZ_SECONDS per target; its finds are
# kept in build-asan/fuzz-finds/ for data/fuzz-regressions/.
FUZZ_RUNS ?= 2000
FUZZ_SEED ?= 1
FUZZ_SECONDS ?= 300
FUZZ_JOBS ?= $(JOBS)
fuzz: asan-build
	FUZZ_JOBS=$(FUZZ_JOBS) FUZZ_SEED=$(FUZZ_SEED) scripts/run-fuzzers build-asan --runs $(FUZZ_RUNS)

fuzz-long: asan-build
	FUZZ_JOBS=$(FUZZ_JOBS) scripts/run-fuzzers build-asan --seconds $(FUZZ_SECONDS)
