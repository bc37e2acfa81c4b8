# Set-up, build, demo, tests and packaging on Debian 12 or 13; each target installs what it needs.
MAKEFLAGS += --no-print-directory
PACKAGES := cmake g++ make pkg-config groff-base libncurses-dev libgtest-dev libgmock-dev libvterm-dev
PACKAGE_PACKAGES := dpkg-dev file lintian
DEMO_PACKAGES := cmake g++ make libncurses-dev

.PHONY: demo test test-asan fuzz lint bench package install dev release asan deps

# Builds the programs and plays the sample lap through standard input, a dozen pairs every
# twentieth of a second or so, the way a live feed arrives; the pipe stays open three seconds more,
# so the finished track stays on the screen.
PACE := awk '{ print } NR % 12 == 0 { fflush(); system("sleep 0.05") }'
demo:
	@echo "Building trackplot, then playing examples/lap.txt live (about 15 seconds)."
	@$(MAKE) deps PACKAGES="$(DEMO_PACKAGES)"
	@cmake --preset release >/dev/null
	@cmake --build --preset release --target trackplot onscale -j2
	@( $(PACE) examples/lap.txt; sleep 3 ) | build/release/trackplot /dev/stdin
	@echo "To look at data of your own, until Ctrl-C: build/release/onscale -p FILE [XCOL YCOL]"

test: dev
	ctest --preset dev

test-asan: asan
	ctest --preset asan

# Fuzzes the point reader against a plain tokenizer; any difference or crash fails.
FUZZ_SECONDS := 60
fuzz:
	$(MAKE) deps PACKAGES="$(PACKAGES) clang"
	$(MAKE) deps PACKAGES="libclang-rt-$$(clang -dumpversion | cut -d. -f1)-dev"
	cmake --preset fuzz
	cmake --build --preset fuzz -j2
	mkdir -p build/fuzz/corpus
	build/fuzz/fuzz_reader -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -print_final_stats=1 \
	  -artifact_prefix=build/fuzz/ build/fuzz/corpus tests/fuzz_corpus

# Formatting of every source, and static analysis of every source but the fuzz target, which only
# clang builds; any finding fails.
LINT_SOURCES := common/*.cpp plotter/*.cpp screen/*.cpp onscale/*.cpp bench/*.cpp tests/helpers/*.cpp \
  $(filter-out %/fuzz_reader.cpp,$(wildcard tests/*.cpp))
lint: dev
	$(MAKE) deps PACKAGES="clang-tidy cppcheck clang-format"
	clang-format --dry-run -Werror common/* plotter/* screen/* onscale/* tests/*.cpp tests/*.h tests/helpers/*.cpp bench/*.cpp
	clang-tidy -p build/dev --quiet $(LINT_SOURCES)
	cppcheck --enable=warning,style,performance,portability --std=c++20 --library=googletest \
	  --error-exitcode=1 --inline-suppr --quiet --suppressions-list=.cppcheck-suppressions \
	  -I common -I plotter -I screen -I onscale -I tests common plotter screen onscale tests bench

# Compares trackplot with the plain loop on generated inputs; takes about half an hour.
bench: release
	build/release/bench/bench --data build/bench-data

# Whoever packages trackplot names themself, once: make package MAINTAINER="Name <address>"; the
# name is kept in the release build for later runs, and without one the target stops before it
# builds. The times in the package are the changelog's, unless SOURCE_DATE_EPOCH says otherwise,
# so that the same sources give the same bytes; a second build, from a copy of the sources in
# another folder, checks that they do. A package that lintian or that check turns down is removed.
package:
	@maintainer='$(MAINTAINER)'; \
	[ -n "$$maintainer" ] || maintainer=$$(sed -n 's/^TRACKPLOT_MAINTAINER:STRING=//p' build/release/CMakeCache.txt 2>/dev/null); \
	case "$$maintainer" in ""|PLACEHOLDER*) \
	  echo 'make package: name who packages trackplot, as make package MAINTAINER="Name <address>"' >&2; exit 1;; \
	esac
	$(MAKE) deps PACKAGES="$(PACKAGES) $(PACKAGE_PACKAGES)"
	cmake --preset release $(if $(MAINTAINER),-DTRACKPLOT_MAINTAINER="$(MAINTAINER)")
	cmake --build --preset release -j2
	rm -f build/release/trackplot_*.deb
	export SOURCE_DATE_EPOCH=$${SOURCE_DATE_EPOCH:-$$(dpkg-parsechangelog -l build/release/changelog -S Timestamp)} && \
	  (cd build/release && cpack -G DEB) && \
	  lintian --fail-on error,warning build/release/trackplot_*.deb && \
	  tests/check_reproducible.sh build/release/trackplot_*.deb || \
	  { rm -f build/release/trackplot_*.deb; echo "make package: the package was turned down and removed" >&2; exit 1; }

# Installs both programs and their manual pages under PREFIX, within DESTDIR where it is given, as
# cmake --install does; it looks for no Debian package, so that it serves elsewhere too.
PREFIX := /usr/local
install:
	cmake --preset release >/dev/null
	cmake --build --preset release --target trackplot onscale compressed_docs -j2
	DESTDIR="$(DESTDIR)" cmake --install build/release --prefix "$(PREFIX)"

dev release asan: deps
	cmake --preset $@
	cmake --build --preset $@ -j2

# Installs the missing packages as root; anyone else is told the one command to run.
deps:
	@missing=$$(for p in $(PACKAGES); do \
	  [ "$$(dpkg-query -W -f='$${db:Status-Status}' $$p 2>/dev/null)" = installed ] || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" -ne 0 ]; then \
	    echo "Missing packages; install them with:"; \
	    echo "  sudo apt-get install" $$missing; \
	    exit 1; \
	  fi; \
	  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; \
	fi
