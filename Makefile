# Set-up, build, demo and tests on Debian 12. Everything the project needs is installed here.
BUILD := build
PACKAGES := cmake g++ make pkg-config pv libncurses-dev libgtest-dev libvterm-dev
# CI treats every warning as an error.
CMAKE_FLAGS := $(if $(CI),-DCMAKE_COMPILE_WARNING_AS_ERROR=ON)

.PHONY: demo test bench build deps

# Plays the sample lap through standard input at about 2400 bytes a second, as a live feed arrives.
demo: build
	pv -q -L 2400 examples/lap.txt | $(BUILD)/trackplot /dev/stdin

test: build
	cd $(BUILD) && ctest --output-on-failure -j2

# Compares trackplot with the plain loop on generated inputs; takes a quarter of an hour.
bench: build
	cd $(BUILD) && ./bench/bench --data bench-data

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j2

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
