# The set-up commands of the README, and a few more.
#   make run     installs what is missing, builds the two programs, converts the sample
#   make serve   the same, then serves DOCS (default samples/) through lighttpd and
#                scrivlet.cgi on http://127.0.0.1:PORT/ (default 8080); Ctrl-C stops it.
#                MODE=fastcgi (default: WORKERS resident workers, default 2) or
#                MODE=cgi (one process per request)
#   make test    installs what is missing, builds, runs the test suite (with the web
#                end-to-end test: lighttpd, curl and chromium are installed for it) and
#                says how many corpus tests ran (SCRIVLET_CORPUS=DIR names the corpus),
#                then the Python module's pytest suite (with a Dask cluster)
#   make python  the Python module scrivlet in $(BUILD)/python, for Debian's python3
#                (PYTHON=... names another interpreter)
#   make install the programs, the manual page and the Python module under PREFIX
#                (default /usr/local; the module in its dist-packages),
#                staged under DESTDIR when given; beside the CGI a scrivlet.cfg (never
#                overwritten) whose DocumentRoot is DOCS when given, else
#                PREFIX/share/scrivlet/documents (the folder is created)
#   make test-sanitize   the suite under AddressSanitizer and UndefinedBehaviorSanitizer
#   make bench   builds and runs the micro-benchmarks
#   make fuzz    builds the libFuzzer targets (clang) and runs each for
#                FUZZ_SECONDS; findings go to $(FUZZ_WORK)/findings/TARGET

BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
FUZZ_WORK  ?= fuzz-work
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
SAMPLE     ?= samples/letter.wri
DOCS       ?= samples
PORT       ?= 8080
# The page make serve shows: document (headings, lists, tables, notes) or
# classic (the text line by line).
LAYOUT     ?= document
# How make serve runs scrivlet.cgi: fastcgi (resident workers) or cgi.
MODE       ?= fastcgi
WORKERS    ?= 2
PREFIX     ?= /usr/local
DESTDIR    ?=
# Extra CMake settings, for example CMAKE_FLAGS=-DSCRIVLET_WERROR=ON as CI uses.
CMAKE_FLAGS ?=

# Debian packages the build needs.
PACKAGES := cmake make g++ pkg-config zlib1g-dev nettle-dev libgtest-dev libbenchmark-dev \
            libcmark-gfm-dev libcmark-gfm-extensions-dev libfcgi-dev poppler-data
# And what the fuzz targets need besides.
FUZZ_PACKAGES := clang libclang-rt-14-dev
# What the Python module and its tests need (Debian's python3: the module is
# built for /usr/bin/python3, whatever python3 comes first on PATH).
PYTHON_PACKAGES := python3 python3-dev pybind11-dev python3-pytest python3-dask \
                   python3-distributed
PYTHON     ?= /usr/bin/python3
# Debian packages of the web server and of the web end-to-end test.
SERVE_PACKAGES := lighttpd
WEB_TEST_PACKAGES := lighttpd curl chromium tidy
# Encrypts Word 2007+ packages for the tests of password-protected files
# (they skip, with a message, without it).
CRYPT_TEST_PACKAGES := python3-msoffcrypto-tool
# The npm packages that drive the browser and check the pages' accessibility
# (puppeteer-core uses the Debian chromium; nothing else is downloaded).
WEB_TEST_NPM := puppeteer-core@24 axe-core@4
WEB_TOOLS   = $(BUILD)/web-tools

.PHONY: run serve test test-sanitize bench fuzz deps fuzz-deps serve-deps web-test-deps crypt-test-deps build \
        programs install clean python python-deps python-test

# Installs the Debian packages named in $(1) that are missing (as root, or
# through sudo).
define install_missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -q && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

python-deps:
	$(call install_missing,$(PYTHON_PACKAGES))

fuzz-deps:
	$(call install_missing,$(PACKAGES) $(FUZZ_PACKAGES))

serve-deps:
	$(call install_missing,$(SERVE_PACKAGES))

# The web test skips itself, with a message, when these cannot be installed.
web-test-deps:
	-$(call install_missing,$(WEB_TEST_PACKAGES))
	@# node and npm from Debian, unless a node with its own npm is there already
	@# (Debian's npm conflicts with such a node).
	-@if ! command -v npm >/dev/null 2>&1; then \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -q && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q nodejs npm; \
	fi
	-@if command -v npm >/dev/null 2>&1 && ! [ -d $(WEB_TOOLS)/node_modules/axe-core ]; then \
	  echo "Installing $(WEB_TEST_NPM) (npm) into $(WEB_TOOLS)"; mkdir -p $(WEB_TOOLS) && \
	  timeout 300 npm install --prefix $(WEB_TOOLS) --no-audit --no-fund --silent $(WEB_TEST_NPM); \
	fi

crypt-test-deps:
	-$(call install_missing,$(CRYPT_TEST_PACKAGES))

# The two programs only, without the test suite.
programs: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) -j $(JOBS) --target scrivlet_cgi scrivlet_cli

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

# The Python module in $(BUILD)/python (scrivlet/ with the extension), for
# Debian's python3.
python: deps python-deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DSCRIVLET_PYTHON=ON \
	  -DPython3_EXECUTABLE=$(PYTHON) $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) -j $(JOBS) --target scrivlet_python
	@echo
	@echo "== The module is in $(BUILD)/python: PYTHONPATH=$(abspath $(BUILD))/python $(PYTHON) -c \"import scrivlet; print(scrivlet.convert('$(SAMPLE)'))\" (make install puts it on the system's path) =="

# The module's tests (pytest, with a Dask cluster of two worker processes);
# the last line gives the count, and a run that collects none fails.
python-test: python
	cd python/tests && SCRIVLET_BUILD="$(abspath $(BUILD))" \
	  $(if $(SCRIVLET_CORPUS),SCRIVLET_CORPUS="$(abspath $(SCRIVLET_CORPUS))") \
	  PYTHONPATH="$(abspath $(BUILD))/python" PYTHONDONTWRITEBYTECODE=1 \
	  timeout 900 $(PYTHON) -m pytest -p no:cacheprovider -ra -q .

run: programs
	@echo
	@echo "== What a web server receives from scrivlet.cgi for $(SAMPLE): the CGI header, a blank line, the HTML page. (make serve shows it in a browser; build/scrivlet converts on the command line.) =="
	@QUERY_STRING='filename=$(SAMPLE)' $(BUILD)/scrivlet.cgi

serve: serve-deps programs
	LAYOUT=$(LAYOUT) MODE=$(MODE) WORKERS=$(WORKERS) tools/web/make-site.sh $(BUILD)/web $(DOCS) $(PORT) $(BUILD)/scrivlet.cgi
	@echo
	@echo "Serving the documents of $(DOCS) on http://127.0.0.1:$(PORT)/ through $(MODE) (Ctrl-C stops the server)"
	@PATH="$$PATH:/usr/sbin"; exec lighttpd -D -f $(BUILD)/web/lighttpd.conf

# The corpus tests read SCRIVLET_CORPUS when set (default ../shared/corpus
# beside the sources) and skip, saying so, without one; the last line says
# how many ran.
CORPUS_REPORT = $(abspath $(BUILD))/corpus-tests.txt

test: build python web-test-deps crypt-test-deps
	@rm -f $(CORPUS_REPORT)
	@cd $(BUILD) && $(if $(SCRIVLET_CORPUS),SCRIVLET_CORPUS="$(abspath $(SCRIVLET_CORPUS))") \
	  SCRIVLET_CORPUS_REPORT="$(CORPUS_REPORT)" ctest --output-on-failure -j $(JOBS); \
	  status=$$?; sh $(CURDIR)/tests/corpus/summary.sh "$(CORPUS_REPORT)"; exit $$status
	$(MAKE) --no-print-directory python-test

# The CGI's document root: DOCS when given (as an absolute path), else
# PREFIX/share/scrivlet/documents (chosen by the install script).
INSTALL_DOCS = $(if $(filter file,$(origin DOCS)),,$(abspath $(DOCS)))

install: programs python
	SCRIVLET_DOCUMENT_ROOT="$(INSTALL_DOCS)" DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix $(PREFIX)

test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSCRIVLET_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DSCRIVLET_BENCH=ON -DSCRIVLET_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target scrivlet_bench
	$(BENCH_BUILD)/bench/scrivlet_bench

fuzz: fuzz-deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DSCRIVLET_FUZZ=ON -DSCRIVLET_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target scrivlet_fuzz_targets
	fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_WORK)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(FUZZ_WORK)
