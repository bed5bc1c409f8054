#!/usr/bin/env bash
# Installs what is missing, checks the format of the C++ sources, builds, and runs every test
# inside a private X display and audio server.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/install-packages.sh"
# Every C++ file present now, also those added since this script was written, keeps the format.
mapfile -d '' sources < <(find "$top/src" "$top/tests" "$top/bench" -type f \
  \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' -o -name '*.cc' \) -print0 | sort -z)
if ! clang-format --dry-run --Werror "${sources[@]}"; then
  echo "test.sh: the files above differ from .clang-format; run clang-format -i on them" >&2
  exit 1
fi
"$top/scripts/build.sh" RelWithDebInfo
build_dir=${BUILD_DIR:-$top/build}
cd "$build_dir"
"$top/scripts/with-test-env.sh" ctest --output-on-failure -j "${TEST_JOBS:-4}" "$@"
