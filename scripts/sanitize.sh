#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and UndefinedBehaviorSanitizer in a build
# folder of its own (build-sanitize/) and runs every test there; prints how long each part took.
# Not part of CI: the instrumented build and run take several times as long as ./test.sh.
# Extra arguments go to ctest (scripts/sanitize.sh -R connection).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

BUILD=build-sanitize
FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
start=$SECONDS
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$FLAGS" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$BUILD"
built=$SECONDS

# Qt and fontconfig keep their caches until the process ends: leak reports would drown the rest.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen
status=0
ctest --test-dir "$BUILD" --output-on-failure "$@" || status=$?
done_at=$SECONDS

printf 'sanitize: build %d s, tests %d s, total %d s\n' $((built - start)) $((done_at - built)) $((done_at - start))
exit $status
