# The two set-up commands of the README, and a few more.
#   make run    installs what is missing, builds, converts the sample on the CGI
#   make test   installs what is missing, builds, runs the test suite
#   make test-sanitize   the suite under AddressSanitizer and UndefinedBehaviorSanitizer
#   make bench  builds and runs the micro-benchmarks
#   make fuzz   builds the libFuzzer targets (clang) and runs each for
#               FUZZ_SECONDS; findings go to $(FUZZ_WORK)/findings/TARGET

BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
FUZZ_WORK  ?= fuzz-work
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
SAMPLE     ?= samples/letter.wri
# Extra CMake settings, for example CMAKE_FLAGS=-DSCRIVLET_WERROR=ON as CI uses.
CMAKE_FLAGS ?=

# Debian packages the build needs.
PACKAGES := cmake make g++ pkg-config zlib1g-dev nettle-dev libgtest-dev libbenchmark-dev
# And what the fuzz targets need besides.
FUZZ_PACKAGES := clang libclang-rt-14-dev

.PHONY: run test test-sanitize bench fuzz deps fuzz-deps install-packages build clean

deps:
	@$(MAKE) --no-print-directory install-packages WANTED="$(PACKAGES)"

fuzz-deps:
	@$(MAKE) --no-print-directory install-packages WANTED="$(PACKAGES) $(FUZZ_PACKAGES)"

install-packages:
	@missing=""; for p in $(WANTED); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -q && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@cd $(BUILD) && QUERY_STRING='filename=../$(SAMPLE)' ./scrivlet.cgi

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSCRIVLET_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DSCRIVLET_BENCH=ON -DSCRIVLET_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target scrivlet_bench
	$(BENCH_BUILD)/bench/scrivlet_bench

fuzz: fuzz-deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DSCRIVLET_FUZZ=ON -DSCRIVLET_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target scrivlet_fuzz_targets
	fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_WORK)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(FUZZ_WORK)
