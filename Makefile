# Set-up, build, demo, tests and packaging on Debian 12; each target installs what it needs.
PACKAGES := cmake g++ make pkg-config groff-base libncurses-dev libgtest-dev libvterm-dev
PACKAGE_PACKAGES := dpkg-dev file

.PHONY: demo test test-asan bench package dev release asan deps

# Plays the sample lap through standard input, a dozen pairs every twentieth of a second or so, the
# way a live feed arrives.
demo: release
	$(PACE) examples/lap.txt | build/release/trackplot /dev/stdin
PACE := awk '{ print } NR % 12 == 0 { fflush(); system("sleep 0.05") }'

test: dev
	ctest --preset dev

test-asan: asan
	ctest --preset asan

# Compares trackplot with the plain loop on generated inputs; takes about half an hour.
bench: release
	build/release/bench/bench --data build/bench-data

package: release
	$(MAKE) deps PACKAGES="$(PACKAGE_PACKAGES)"
	cd build/release && cpack -G DEB

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
