# The two commands of the README: `make demo` and `make test`.
# Both install what is missing, build, and run.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 5
# Compiler cache when there is one: rebuilds, and several checkouts of the same tree, share work.
CCACHE     := $(shell command -v ccache 2>/dev/null)
CMAKE_LAUNCHER := $(if $(CCACHE),-DCMAKE_C_COMPILER_LAUNCHER=$(CCACHE) -DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE))
export CCACHE_BASEDIR := $(CURDIR)

.PHONY: all deps build demo test test-asan bench fuzz fuzz-smoke install clean web web-demo test-web

all: build

deps:
	scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_LAUNCHER)
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	scripts/demo $(BUILD)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The library and converter tests under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVU_SANITIZE=ON -DVU_BUILD_BENCH=OFF \
	  $(CMAKE_LAUNCHER)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# Installs what `make build` built under PREFIX (default /usr/local; DESTDIR stages it).
install:
	cmake --install $(BUILD) $(if $(PREFIX),--prefix $(PREFIX))

bench: build
	@for b in $(BUILD)/bench/*; do [ -x "$$b" ] && [ -f "$$b" ] && "$$b"; done

# The fuzz targets (clang's libFuzzer, fuzz/README.md). `make fuzz` runs each for FUZZ_SECONDS
# (FUZZ_TARGETS picks some) and keeps its corpus in $(FUZZ_BUILD)/corpus; `make fuzz-smoke` runs
# every seed and regression input, then fuzzes each target for FUZZ_SMOKE_SECONDS.
fuzz: deps
	FUZZ_BUILD=$(FUZZ_BUILD) fuzz/run build
	FUZZ_BUILD=$(FUZZ_BUILD) fuzz/run fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

fuzz-smoke: deps
	FUZZ_BUILD=$(FUZZ_BUILD) fuzz/run build
	FUZZ_BUILD=$(FUZZ_BUILD) fuzz/run smoke $(FUZZ_SMOKE_SECONDS)


# The viewer for web pages: the plug-in core in WebAssembly (emscripten's Python scripts from Debian's
# own interpreter, which starts fastest).
WEB_BUILD ?= build-web
WEB_ENV   := PATH=/usr/bin:$$PATH NODE_PATH=/usr/share/nodejs
web: deps
	$(WEB_ENV) cmake -S web -B $(WEB_BUILD) -G Ninja $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE))
	$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)
	@echo "web: $(WEB_BUILD)/vuweb.wasm $$(stat -c %s $(WEB_BUILD)/vuweb.wasm) bytes, $$(gzip -9c $(WEB_BUILD)/vuweb.wasm | wc -c) gzipped"

# The demo: the pages, the WebAssembly build and WIF copies of the samples, dribbled out slowly.
web-demo: build web
	mkdir -p $(WEB_BUILD)/samples
	$(BUILD)/tests/web/vuweb-fixtures $(WEB_BUILD)/samples
	node web/serve.mjs --port $${PORT:-8080} --piece 2048 --pause 25 --mount /=web \
	  --mount /=$(WEB_BUILD) --mount /samples=$(WEB_BUILD)/samples

# The viewer in headless Chromium against the native host's decodes.
test-web: build web
	cd tests/web && VU_BUILD=$(abspath $(BUILD)) VU_WEB_BUILD=$(abspath $(WEB_BUILD)) node --test

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WEB_BUILD)
