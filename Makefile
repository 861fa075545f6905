# Front door: every target installs what it is missing, then builds through CMake.
BUILD      ?= build
JOBS       ?= $(shell nproc)

PLAY_PACKAGES = g++ cmake make pkg-config libsdl1.2-dev libfreetype-dev fonts-dejavu-core
TEST_PACKAGES = $(PLAY_PACKAGES) googletest libgtest-dev xvfb xdotool x11-apps

.PHONY: play test build deps test-deps clean data bench fuzz screenshot install uninstall

play: deps build
	./$(BUILD)/kanamiina

test: test-deps build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

build:
	cmake -S . -B $(BUILD)
	cmake --build $(BUILD) -j $(JOBS)

deps:
	@tools/install-deps $(PLAY_PACKAGES)

test-deps:
	@tools/install-deps $(TEST_PACKAGES)

# Redraws the committed pictures, icon and font from the tools.
data: build
	$(BUILD)/tools/makepictures data desktop
	$(BUILD)/tools/makefont data/fontti

clean:
	rm -rf $(BUILD)
