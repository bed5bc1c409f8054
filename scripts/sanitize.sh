#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan (or
# $ASAN_BUILD_DIR) and runs the whole test suite there with leak detection. Any finding fails the
# run. Arguments after the script's own are passed to ctest (for example -R Upload).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${ASAN_BUILD_DIR:-$top/build-asan}
flags="-fsanitize=address,undefined -fno-omit-frame-pointer"

"$top/scripts/install-packages.sh"
BUILD_DIR="$build_dir" "$top/scripts/build.sh" Debug \
  -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DPARLOVOX_BUILD_BENCH=OFF

# Leaks inside system libraries the program only calls (fonts, the audio and X client
# libraries) are theirs, not ours. The Linux sound player does not destroy its libcanberra
# context (one per player, so one per process).
cat >"$build_dir/lsan.supp" <<'SUPP'
leak:ca_context_create
leak:libfontconfig.so
leak:libpulse.so
leak:libpulsecommon
leak:libX11.so
leak:libxcb.so
leak:libdbus-1.so
leak:libglib-2.0.so
leak:libQt6DBus.so
SUPP

# The crash reporter's test child writes through a null pointer on purpose, to crash.
cat >"$build_dir/ubsan.supp" <<'SUPP'
null:CrashingChild.cpp
SUPP

# The crash reporter installs its own fatal-signal handler, which its tests exercise: let it.
# Any undefined behaviour still ends the test at the first report.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:strict_init_order=1:allow_user_segv_handler=1"
export LSAN_OPTIONS="suppressions=$build_dir/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$build_dir/ubsan.supp"
cd "$build_dir"
"$top/scripts/with-test-env.sh" ctest --output-on-failure -j "${TEST_JOBS:-4}" "$@"
