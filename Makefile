# Kelvora: make run | make test | make build | make package
SHELL := /bin/bash
JOBS ?= $(shell nproc)
SANITIZE ?= 0
FUZZ_SECONDS ?= 60
# make fuzz FUZZ_RUNS=10000000 FUZZ_TARGETS=records_fuzz: one target to ten million inputs.
FUZZ_RUNS ?= -1
FUZZ_TARGETS ?=
# make fuzz FUZZ_SANITIZE=0: the same targets without the sanitizers, several
# times faster, for a long run that widens the shared corpus.
FUZZ_SANITIZE ?= 1
ifeq ($(FUZZ_SANITIZE),0)
FUZZ_DIR := build-fuzz-plain
FUZZ_SANITIZE_FLAG := OFF
else
FUZZ_DIR := build-fuzz
FUZZ_SANITIZE_FLAG := ON
endif
DEMO_DAYS ?= 14

ifeq ($(SANITIZE),1)
BUILD_DIR ?= build-sanitize
CMAKE_FLAGS += -DKELVORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
else
BUILD_DIR ?= build
endif

.PHONY: deps build test run package fuzz bench clean

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS)

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

run: build
	@DEMO_DAYS=$(DEMO_DAYS) bash scripts/run-demo.sh $(BUILD_DIR)

package: build
	@cd $(BUILD_DIR) && cpack -G DEB
	@ls $(BUILD_DIR)/kelvora_*.deb

fuzz: deps
	@CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DKELVORA_FUZZ=ON -DKELVORA_FUZZ_SANITIZE=$(FUZZ_SANITIZE_FLAG) \
		-DKELVORA_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(FUZZ_DIR) -j$(JOBS) --target fuzzers
	@bash scripts/run-fuzz.sh --runs $(FUZZ_RUNS) $(FUZZ_DIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

bench: deps
	@cmake -S . -B build-bench -DKELVORA_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build build-bench -j$(JOBS)
	@build-bench/bin/kelvora-bench

clean:
	rm -rf build build-sanitize build-fuzz build-fuzz-plain build-bench
