# Tandrel: `make run` builds and opens the program, `make test` builds and runs every test,
# `make sanitize` builds and runs them again with the address and undefined-behaviour checkers.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
JOBS ?= $(shell nproc)
BUILD_PACKAGES = qt6-base-dev qt6-svg-dev cmake g++ make
TEST_PACKAGES = python3 exfat-fuse exfatprogs fusefat dosfstools ntfs-3g
ARGS ?=

.PHONY: all deps test-deps configure build run test sanitize bench format format-check package screenshot clean

all: build

# Installs whatever build package is missing (as root), or says how to.
deps:
	@missing=""; \
	for p in $(BUILD_PACKAGES) $(EXTRA_PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	  else \
	    echo "Missing packages:$$missing"; \
	    echo "Install them with:  sudo apt-get install -y$$missing"; \
	    exit 1; \
	  fi; \
	fi

test-deps:
	@$(MAKE) --no-print-directory deps EXTRA_PACKAGES="$(TEST_PACKAGES)"

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: configure
	@cmake --build $(BUILD) --target tandrel -j$(JOBS)
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "make run: no display available (DISPLAY is not set): start it from a desktop session, or try  xvfb-run -a make run"; \
	  exit 1; \
	fi
	$(BUILD)/tandrel $(ARGS)

test: test-deps build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# Every test under AddressSanitizer and UndefinedBehaviorSanitizer, in a build folder of its own.
# Any finding fails the test that made it. Leak reports are off: the toolkit's own caches are
# never freed at exit, which would bury a finding of ours.
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
sanitize: test-deps
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)" \
	  $$(command -v ccache >/dev/null && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache) >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	cd $(SANITIZE_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j$(JOBS)

bench: build
	$(BUILD)/bench/compare_bench
	$(BUILD)/bench/tree_bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# Fails, naming the files, when a source is not formatted as .clang-format says.
format-check:
	clang-format --dry-run --Werror $$(git ls-files '*.cpp' '*.h')

# The Debian package tandrel_<version>_<arch>.deb in the build folder.
package: build
	cd $(BUILD) && cpack -G DEB

# docs/main-window.png: the window on a pair of directories made for it, on a virtual display.
screenshot: configure
	@cmake --build $(BUILD) --target tandrel grab_screen -j$(JOBS)
	dist/screenshot.sh $(BUILD)/tandrel $(BUILD)/dist/grab_screen docs/main-window.png

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
