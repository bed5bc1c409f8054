#!/usr/bin/env bash
# Installs what is missing, builds a release and starts Parlovox in the current desktop session.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/install-packages.sh"
BUILD_DIR=${BUILD_DIR:-$top/build-release} "$top/scripts/build.sh" Release \
  -DPARLOVOX_BUILD_TESTS=OFF -DPARLOVOX_BUILD_BENCH=OFF
exec "${BUILD_DIR:-$top/build-release}/src/app/parlovox" "$@"
