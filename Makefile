# The two commands of the README: `make demo` runs the tool, `make test` runs
# every test. Both install what is missing first.
JOBS ?= 2
BUILDS := native mingw mingw64

.PHONY: all deps build test demo bench clean $(addprefix build-,$(BUILDS))

all: build

deps:
	@tools/install-deps.sh

build: deps $(addprefix build-,$(BUILDS))

$(addprefix build-,$(BUILDS)): build-%:
	cmake --preset $* >/dev/null
	cmake --build build/$* -j$(JOBS)

test: build
	tools/run-tests.sh

demo: deps build-mingw build-mingw64
	tools/demo.sh

bench: deps
	cmake --preset bench >/dev/null
	cmake --build build/bench -j$(JOBS)
	tools/run-benchmarks.sh

clean:
	rm -rf build dist .demo
