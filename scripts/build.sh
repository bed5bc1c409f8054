#!/usr/bin/env bash
# Configures and builds into $BUILD_DIR (default: build), with the given build type and any further
# CMake options given after it. The folder is configured again, from a fresh cache, whenever the
# build type or the options differ from those it was last configured with, so an option left out
# goes back to its default.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$top/build}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$top}
build_type=${1:-RelWithDebInfo}
shift || true
configure=(-G Ninja -DCMAKE_BUILD_TYPE="$build_type" "$@")
stamp="$build_dir/parlovox-configure-args"
wanted=$(printf '%s\n' "${configure[@]}")
if [ ! -f "$build_dir/build.ninja" ] || [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$wanted" ]; then
  fresh=()
  [ -f "$build_dir/CMakeCache.txt" ] && fresh=(--fresh)
  rm -f "$stamp"
  cmake "${fresh[@]}" -S "$top" -B "$build_dir" "${configure[@]}"
  printf '%s\n' "$wanted" >"$stamp"
fi
cmake --build "$build_dir" -j "${BUILD_JOBS:-$(nproc)}"
