# Quillory: the commands the README gives.
#   make run    installs what is needed, builds, and converts the bundled sample pictures into
#               build/samples.pdf
#   make test   installs what is needed, builds and runs every test twice: a normal build and a
#               build with AddressSanitizer + UndefinedBehaviorSanitizer (plus the fuzzing targets)
#   make format-check  fails when a C++ file differs from .clang-format (make format mends it)
#   make translations  adds new texts of the sources to translations/quillory_en.ts
#   make package  builds the Debian package build/release/quillory_VERSION_ARCH.deb

BUILD ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 10
# clang builds the sanitizer pass when present, so the libFuzzer targets can be built too.
SAN_CC := $(shell command -v clang >/dev/null 2>&1 && echo clang || echo gcc)
SAN_CXX := $(shell command -v clang++ >/dev/null 2>&1 && echo clang++ || echo g++)
SAN_FUZZ := $(shell command -v clang++ >/dev/null 2>&1 && echo ON || echo OFF)

export QT_QPA_PLATFORM ?= offscreen

.PHONY: all deps configure build run test test-release test-asan package clean format format-check \
  translations

all: build

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD)/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQLY_WERROR=ON

build: configure
	cmake --build $(BUILD)/release -j $(JOBS)

# Builds the program alone: the test programs are not needed to convert the samples.
run: configure
	cmake --build $(BUILD)/release -j $(JOBS) --target quillory
	env -u DISPLAY -u WAYLAND_DISPLAY $(BUILD)/release/quillory samples/colour-page.jpg \
	  samples/grey-page.png samples/text-page.png $(BUILD)/samples.pdf
	@echo "The sample pictures are in the PDF file $(BUILD)/samples.pdf"

test: test-release test-asan

test-release: build
	cd $(BUILD)/release && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	CC=$(SAN_CC) CXX=$(SAN_CXX) cmake -S . -B $(BUILD)/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DQLY_WERROR=ON -DQLY_SANITIZE=ON -DQLY_FUZZERS=$(SAN_FUZZ) -DQLY_FUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build $(BUILD)/asan -j $(JOBS)
	cd $(BUILD)/asan && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

package: build
	cd $(BUILD)/release && cpack
	@echo "Install it with: sudo apt install ./$$(ls $(BUILD)/release/quillory_*.deb)"

# Every C++ file of the project as .clang-format lays it out.
SOURCES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests fuzz -name '*.cpp' -o -name '*.h')

format: deps
	@clang-format -i $(SOURCES)

format-check: deps
	@clang-format --dry-run --Werror $(SOURCES) && \
	  echo 'format-check: every C++ file is laid out as .clang-format says'

clean:
	rm -rf $(BUILD)

translations: deps
	./scripts/update-translations.sh
