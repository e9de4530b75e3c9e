# Set-up and everyday commands. Everything a target needs is installed by
# scripts/install-deps first.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
TSAN_DIR ?= build-tsan
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

RELEASE_URL ?= https://cadrelle.example/releases

.PHONY: deps build package release demo test test-asan test-tsan bench fuzz format clean

# Configures the Release build folder with the options given.
configure = cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release $(1) $(CMAKE_FLAGS) >/dev/null

deps:
	@scripts/install-deps

# The program, its modules and its frames: no tests, benchmarks or tools.
build: deps
	@$(call configure,-DBUILD_TESTING=OFF -DCADRELLE_BENCHMARKS=OFF)
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The Debian package cadrelle_<version>_<arch>.deb, made from the Release build
# and moved here from the build folder. The umask keeps its folders 0755.
package: build
	@cd $(BUILD_DIR) && umask 022 && cpack -G DEB
	@mv $(BUILD_DIR)/cadrelle_*.deb .

# The per-user archive cadrelle-<version>-linux-<arch>.tar.gz of the Release
# build, signed with the Ed25519 private key at KEY, and its appcast item for
# downloads under RELEASE_URL. The key is checked before anything is built.
#   make release KEY=/path/to/private.pem [RELEASE_URL=https://…]
release: deps
	@scripts/make-release --check-key "$(KEY)"
	@$(MAKE) --no-print-directory build
	@scripts/make-release --key "$(KEY)" --build $(BUILD_DIR) --url "$(RELEASE_URL)" --output .

# The demo also needs the sample program and the sample recording it makes.
demo: build
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target make-samples cadrelle_sample_recording
	@scripts/demo $(BUILD_DIR)

# Every test (label "lint" for the source checks alone), then the tests
# without widgets under the sanitizers.
test: deps
	@$(call configure,-DBUILD_TESTING=ON)
	@cmake --build $(BUILD_DIR) -j $(JOBS)
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-asan
	@$(MAKE) --no-print-directory test-tsan

# The tests without widgets again, under AddressSanitizer and
# UndefinedBehaviorSanitizer.
test-asan: deps
	@cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCADRELLE_SANITIZE=ON \
		-DCADRELLE_GUI=OFF -DBUILD_TESTING=ON >/dev/null
	@cmake --build $(ASAN_DIR) -j $(JOBS)
	@cd $(ASAN_DIR) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/leak-suppressions.txt:print_suppressions=0 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -L nongui -j $(JOBS)

# The tests that run work on other threads (label "threaded"), under
# ThreadSanitizer. Qt and GLib are not built with the sanitizer, so it cannot
# see their locks: what they do inside is left out of its checks
# (ignore_noninstrumented_modules), and our closures cross threads through
# ClosureMailbox's own lock, which it does see.
test-tsan: deps
	@cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCADRELLE_TSAN=ON \
		-DCADRELLE_GUI=OFF -DBUILD_TESTING=ON >/dev/null
	@cmake --build $(TSAN_DIR) -j $(JOBS) --target threaded_tests
	@cd $(TSAN_DIR) && \
		TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1 \
		ctest --output-on-failure -L threaded -j $(JOBS)

# The benchmark programs and the sample program the scripts make inputs with.
bench: deps
	@$(call configure,-DCADRELLE_BENCHMARKS=ON)
	@cmake --build $(BUILD_DIR) -j $(JOBS)
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target make-samples
	@bench/run-all $(BUILD_DIR)

# Fuzzing is not part of CI:
# make fuzz TARGET=png|mp4_box|preferences|history|journal|catalog|inbox_item SECONDS=600
fuzz:
	@scripts/install-deps --fuzz
	@scripts/fuzz $(or $(TARGET),png)_fuzzer $(or $(SECONDS),600)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD_DIR) $(ASAN_DIR) $(TSAN_DIR) build-fuzz demo-output cadrelle_*.deb cadrelle-*-linux-*.tar.gz
