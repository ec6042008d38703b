#!/usr/bin/env bash
# Renews the pictures of the main window in this folder: both pages, and the
# basic-settings page under a dark desktop palette; the real window on a
# private X server, each time in an empty start folder.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTOVRIX_BUILD_TESTS=ON -DTOVRIX_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build-bench --target tovrix_screenshot >/dev/null
tool=$(pwd)/build-bench/bin/tovrix_screenshot
out=$(pwd)/docs
for variant in "" --dark; do
    work=$(mktemp -d)
    (cd "$work" && env -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work" \
        xvfb-run -a -s "-screen 0 1280x1024x24" "$tool" "$out" $variant)
    rm -rf "$work"
done
echo "written: $out/screenshot-basic.png $out/screenshot-table.png $out/screenshot-dark.png"
