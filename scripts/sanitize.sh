#!/usr/bin/env bash
# Builds everything in Debug with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/
# and runs the whole test suite there; any report stops the test that caused it
# (-fno-sanitize-recover=all, halt_on_error). Leaks are reported too, except those listed in
# scripts/lsan.supp (third-party libraries only). MEKALON_SHARED_DATA names another test data folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
root=$PWD
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
# The options hold for the test discovery during the build too.
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp:print_suppressions=0
export MEKALON_SANITIZED=1
data=()
if [ -n "${MEKALON_SHARED_DATA:-}" ]; then data=(-DMEKALON_SHARED_DATA="$MEKALON_SHARED_DATA"); fi
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" "${data[@]}" \
  -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="$sanitize" -DCMAKE_SHARED_LINKER_FLAGS="$sanitize" >/dev/null
cmake --build build-asan -j "$(nproc)"
cd build-asan
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" --timeout 900
