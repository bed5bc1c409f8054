#!/usr/bin/env bash
# Configures (once) and builds into $BUILD_DIR (default: build), with the given build type and any
# further CMake options given after it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$top/build}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$top}
build_type=${1:-RelWithDebInfo}
shift || true
if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S "$top" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" "$@"
fi
cmake --build "$build_dir" -j "${BUILD_JOBS:-$(nproc)}"
