# Entry points; the README's two commands call `run` and `test`.
# Every target assumes scripts/install-deps has run (the README commands do that).

DEV_BIN := build/dev
ASAN_BIN := build/asan-ubsan
REL_BIN := build/release
PKG_BIN := build/package
JOBS ?= $(shell nproc)

.PHONY: run build test check-format format demo bench screenshots clean package check-package

build:
	cmake --preset dev >/dev/null
	cmake --build --preset dev -j $(JOBS)

# Runs the application against the real stats service (BASELARK_ENDPOINT overrides it).
run: build
	$(DEV_BIN)/src/app/baselark

# Every test, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test:
	cmake --preset asan-ubsan >/dev/null
	cmake --build --preset asan-ubsan -j $(JOBS)
	scripts/run-tests $(ASAN_BIN)

check-format:
	git ls-files '*.cpp' '*.h' | xargs clang-format-16 --dry-run --Werror

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format-16 -i

# The application against the local replay server and the recorded demo day.
demo: build
	scripts/demo $(DEV_BIN)

bench:
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS)
	scripts/run-bench $(REL_BIN)

# The Debian package, from a release build of the application alone: build/package/baselark_<version>_amd64.deb.
package:
	cmake --preset package >/dev/null
	cmake --build --preset package -j $(JOBS)
	cd $(PKG_BIN) && cpack

# The package unpacked into a scratch root and checked, then lintian on it.
check-package: package
	scripts/check-package --deb $(PKG_BIN)

clean:
	rm -rf build

# Offscreen renders of the window for the recorded days, into docs/screenshots/.
screenshots:
	scripts/screenshots $(DEV_BIN)
