# make run   installs what is missing, builds, and shows what a host sees
# make test  installs what is missing, builds, and runs every test
#            (plain build, again under AddressSanitizer and UBSan, and the
#            concurrency test under ThreadSanitizer)

BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 120
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=

.PHONY: all run test test-plain test-asan test-tsan bench fuzz bootstrap build install clean

all: build

bootstrap:
	@./scripts/bootstrap

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

build: bootstrap $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/sylvatone info
	./$(BUILD)/sylvatone demo out
	@for p in 0 1 2 3 4 5; do ./$(BUILD)/sylvatone snapshot out/$$p-editor.png --program $$p; done

test: test-plain test-asan test-tsan

test-plain: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSYLVATONE_SANITIZE=ON $(CMAKE_ARGS)

test-asan: bootstrap $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		ctest --output-on-failure -j $(JOBS)

# Nanoseconds per stereo frame and real-time factors of the audio path.
# lilv's lv2bench runs the LV2 edition at 48000 Hz with its default settings.
LV2_URI = https://zym-audio.net/plugins/sylvatone
bench: build
	./$(BUILD)/bench/sylvatone_bench --benchmark_counters_tabular=true
	@for b in 32 512; do \
		LV2_PATH=$(CURDIR)/$(BUILD) lv2bench -f -b $$b -n 960000 $(LV2_URI) 2>/dev/null | \
		awk -v b=$$b '$$4 == "$(LV2_URI)" { printf "lv2bench, 48000 Hz, blocks of %d: %.1f ns per frame, %.0f times real time\n", b, $$3 / $$2 * 1e9, $$2 / 48000 / $$3 }'; \
	done

# libFuzzer (clang) over every reader of outside data, FUZZ_SECONDS each;
# what it finds interesting is merged into fuzz/corpus, which make test
# replays.
fuzz:
	@./scripts/bootstrap fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSYLVATONE_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_state_chunk fuzz_preset_file
	for t in state_chunk preset_file; do \
		mkdir -p $(FUZZ_BUILD)/found/$$t && \
		XDG_CONFIG_HOME=$(CURDIR)/$(FUZZ_BUILD)/config ./$(FUZZ_BUILD)/fuzz/fuzz_$$t \
			-max_total_time=$(FUZZ_SECONDS) $(FUZZ_BUILD)/found/$$t fuzz/corpus/$$t && \
		XDG_CONFIG_HOME=$(CURDIR)/$(FUZZ_BUILD)/config ./$(FUZZ_BUILD)/fuzz/fuzz_$$t \
			-merge=1 fuzz/corpus/$$t $(FUZZ_BUILD)/found/$$t || exit 1; \
	done

# Linux hosts scan ~/.vst (VST) and ~/.lv2 (LV2); `cmake --install build --prefix P` puts the
# bundle under P/lib/vst instead.
# ThreadSanitizer over the test that automates while audio runs.
$(TSAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSYLVATONE_TSAN=ON $(CMAKE_ARGS)

test-tsan: bootstrap $(TSAN_BUILD)/CMakeCache.txt
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target test_stress
	TSAN_OPTIONS=halt_on_error=1 $(TSAN_BUILD)/tests/test_stress

# The manual goes where the editor's manual button looks first.
MANUAL_DIR = $(HOME)/Documents/ZYM Audio/ZYM sylvatone

install: build
	mkdir -p $(HOME)/.vst
	rm -rf $(HOME)/.vst/Sylvatone.vst
	cp -r $(BUILD)/Sylvatone.vst $(HOME)/.vst/
	@echo "installed $(HOME)/.vst/Sylvatone.vst"
	mkdir -p $(HOME)/.lv2
	rm -rf $(HOME)/.lv2/sylvatone.lv2
	cp -r $(BUILD)/sylvatone.lv2 $(HOME)/.lv2/
	@echo "installed $(HOME)/.lv2/sylvatone.lv2"
	mkdir -p "$(MANUAL_DIR)"
	cp "$(BUILD)/Sylvatone.vst/Contents/Resources/ZYM sylvatone Manual.pdf" "$(MANUAL_DIR)/"
	@echo "installed $(MANUAL_DIR)/ZYM sylvatone Manual.pdf"

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
