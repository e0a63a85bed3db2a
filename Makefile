# The two everyday commands are `make run` and `make test`; see README.md.
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
SOAK_MINUTES ?= 30
XVFB := xvfb-run -a -s '-screen 0 1024x768x24'
RELEASE := build/release
TESTING := build/test
FUZZING := build/fuzz
PACKAGING := build/package
INSTALLING := build/install
PREFIX ?= /usr/local

.PHONY: setup run build test screens soak bench fuzz format clean install package

setup:
	@bash scripts/deps.sh

build: setup
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELMAR_TESTS=OFF -DQUELMAR_BENCH=ON -DQUELMAR_WERROR=ON >/dev/null
	cmake --build $(RELEASE) -j$(JOBS)

run: build
	@bash scripts/run.sh $(RELEASE)/bin

test: setup
	cmake -S . -B $(TESTING) -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" "-DCMAKE_C_FLAGS_DEBUG=-g -O1" -DQUELMAR_SANITIZE=ON -DQUELMAR_WERROR=ON >/dev/null
	cmake --build $(TESTING) -j$(JOBS)
	cd $(TESTING) && $(XVFB) ctest --output-on-failure --timeout 600 -j$(JOBS) -LE screens

# Pictures of every screen, taken by the game itself on a tour through the real window
# (tests/screens), into build/screens/, and the contact sheet of them all.
SCREENS := build/screens
screens: setup
	cmake -S . -B $(TESTING) -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" "-DCMAKE_C_FLAGS_DEBUG=-g -O1" -DQUELMAR_SANITIZE=ON -DQUELMAR_WERROR=ON >/dev/null
	cmake --build $(TESTING) -j$(JOBS) --target test_screens contact-sheet
	rm -rf $(SCREENS)/tour && mkdir -p $(SCREENS)/tour
	cd $(TESTING) && QUELMAR_SCREENS=$(CURDIR)/$(SCREENS)/tour ctest --output-on-failure -L screens -j$(JOBS)
	$(TESTING)/bin/contact-sheet $(SCREENS)/contact-sheet.png $(SCREENS)/tour/*.png

# The monkey over all 80 levels in the sanitizer build for SOAK_MINUTES minutes of
# wall time; it stops with a replayable report at the first broken rule.
soak: setup
	cmake -S . -B $(TESTING) -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" "-DCMAKE_C_FLAGS_DEBUG=-g -O1" -DQUELMAR_SANITIZE=ON >/dev/null
	cmake --build $(TESTING) -j$(JOBS) --target quelmar-lab
	$(TESTING)/bin/quelmar-lab monkey assets/levels --minutes $(SOAK_MINUTES) --game-seconds 1200

bench: build
	@for b in $(RELEASE)/bin/bench_*; do \
	  echo "== $$b"; \
	  $(XVFB) $$b --benchmark_repetitions=5 --benchmark_report_aggregates_only=true || exit 1; \
	done

fuzz: setup
	cmake -S . -B $(FUZZING) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQUELMAR_FUZZ=ON -DQUELMAR_WERROR=ON >/dev/null
	cmake --build $(FUZZING) -j$(JOBS)
	@for f in $(FUZZING)/bin/fuzz_*; do \
	  name=$${f##*/fuzz_}; corpus=$(FUZZING)/corpus/$$name; mkdir -p $$corpus; \
	  cp -n fuzz/corpus/$$name/* $$corpus/ 2>/dev/null || true; \
	  echo "== $$name for $(FUZZ_SECONDS) s"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $$corpus fuzz/corpus/$$name || exit 1; \
	done

# Installs the game, its tools, data, desktop entry, icons, AppStream data and manual
# pages under PREFIX (default /usr/local); DESTDIR=folder stages the install there.
install: setup
	cmake -S . -B $(INSTALLING) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELMAR_TESTS=OFF -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	cmake --build $(INSTALLING) -j$(JOBS)
	DESTDIR="$(DESTDIR)" cmake --install $(INSTALLING)

# The Debian package, build/package/10quelmars_VERSION_ARCH.deb, its
# dependencies computed from the binaries.
package: setup
	cmake -S . -B $(PACKAGING) -DCMAKE_BUILD_TYPE=Release -DQUELMAR_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
	cmake --build $(PACKAGING) -j$(JOBS)
	cd $(PACKAGING) && cpack -G DEB
	@ls $(PACKAGING)/*.deb

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
