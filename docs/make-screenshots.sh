#!/usr/bin/env bash
# Renews the pictures of both pages of the main window in this folder: the
# real window on a private X server, in an empty start folder.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTOVRIX_BUILD_TESTS=ON -DTOVRIX_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build-bench --target tovrix_screenshot >/dev/null
out=$(pwd)/docs
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
env -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work" \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$OLDPWD/build-bench/bin/tovrix_screenshot" "$out"
echo "written: $out/screenshot-basic.png $out/screenshot-table.png"
