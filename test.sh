#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test inside a private X display and audio server.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/install-packages.sh"
"$top/scripts/build.sh" RelWithDebInfo
build_dir=${BUILD_DIR:-$top/build}
cd "$build_dir"
"$top/scripts/with-test-env.sh" ctest --output-on-failure -j "${TEST_JOBS:-4}" "$@"
