# Front door. `make run` builds and starts the game, `make test` builds and
# passes all tests; both install missing Debian packages first.
BUILD      ?= build
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local
CMAKE_ARGS ?=

# Packages to build and run the game.
PACKAGES = build-essential cmake pkg-config \
  libwxgtk3.2-dev libgtk-3-dev libpulse-dev libsndfile1-dev libsamplerate0-dev \
  libcairo2-dev fonts-dejavu-core
# Packages the tests and benchmarks add: GoogleTest, Google Benchmark, Xvfb,
# a private sound server, validators and the speech synthesiser that makes
# test words. A desktop that already runs PipeWire's PulseAudio server keeps
# it: the pulseaudio package would replace it.
TEST_PACKAGES = libgtest-dev libgmock-dev libbenchmark-dev \
  desktop-file-utils appstream xvfb xauth xdotool imagemagick \
  pulseaudio-utils espeak-ng sox file \
  $(shell dpkg-query -W -f='$${Status}' pipewire-pulse 2>/dev/null | grep -q 'install ok installed' || echo pulseaudio)
# Packages that only make data (prompts, training corpus); never run by the game.
DATA_PACKAGES = praat hunspell-hu libespeak-ng-dev festival \
  festvox-czech-dita festvox-czech-krb festvox-czech-machac festvox-czech-ph \
  festvox-suopuhe-lj festvox-suopuhe-mv festvox-kallpc16k festvox-kdlpc16k festvox-us-slt-hts \
  festvox-itapc16k festvox-italp16k festvox-ca-ona-hts festvox-ru festvox-hi-nsk festival-hi flite

SUDO = $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps test-deps data-deps configure build run test sanitize bench resources train eval install clean

all: build

# Installs what is missing of the packages named in $(1).
define install_missing
	@missing=$$(for p in $(1); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update -qq && $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

test-deps: deps
	$(call install_missing,$(TEST_PACKAGES))

data-deps: test-deps
	$(call install_missing,$(DATA_PACKAGES))

# Configured every time (a few seconds): packages installed since the last
# run, such as the test libraries, are found.
configure:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_ARGS)

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/app/tarkabab

test: test-deps build
	xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# AddressSanitizer + UndefinedBehaviorSanitizer over every test, then
# ThreadSanitizer over the suites labelled "threads".
sanitize: test-deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTARKABAB_SANITIZE=address,undefined -DTARKABAB_BENCH=OFF
	cmake --build build-asan -j $(JOBS)
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp \
	  ctest --test-dir build-asan --output-on-failure -j $(JOBS) -LE gui
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=detect_leaks=0 \
	  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build-asan --output-on-failure -j $(JOBS) -L gui
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DTARKABAB_SANITIZE=thread -DTARKABAB_BENCH=OFF
	cmake --build build-tsan -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/tests/sanitizers/tsan.supp \
	  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build-tsan --output-on-failure -j $(JOBS) -L threads

bench: test-deps build
	@for b in $(BUILD)/bench/*/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done
	@if [ -x tools/bench-rtf.sh ]; then tools/bench-rtf.sh $(BUILD); fi

# The data packages come first: configuring finds libespeak-ng-dev, without
# which the corpus generator (and so the train target) is left out.
# Regenerates the committed pictures (and, with espeak-ng, the prompts).
resources: data-deps
	$(MAKE) --no-print-directory build
	cmake --build $(BUILD) --target resources-regenerate

train: data-deps
	$(MAKE) --no-print-directory build
	cmake --build $(BUILD) --target train

eval: data-deps
	$(MAKE) --no-print-directory build
	cmake --build $(BUILD) --target eval

# A prefix the user cannot write (the default /usr/local) installs with sudo.
install: build
	@if [ -w "$(PREFIX)" ] || { [ ! -e "$(PREFIX)" ] && [ -w "$$(dirname $(PREFIX))" ]; }; then \
	  cmake --install $(BUILD) --prefix $(PREFIX); \
	else $(SUDO) cmake --install $(BUILD) --prefix $(PREFIX); fi

clean:
	rm -rf $(BUILD) build-asan build-tsan
