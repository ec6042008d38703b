#!/usr/bin/env bash
# Renews the pictures in this folder: both pages of the main window, a
# selected block with the find list, the basic-settings page under a dark
# desktop palette, the simulation window (light and dark), and the port
# dialog with fake devices (umockdev); the real window on a private X
# server, each time in an empty start folder.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTOVRIX_BUILD_TESTS=ON -DTOVRIX_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build-bench --target tovrix_screenshot tovrix_ports_screenshot >/dev/null
bin=$(pwd)/build-bench/bin
out=$(pwd)/docs
shoot() {
    local work
    work=$(mktemp -d)
    (cd "$work" && env -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work" \
        xvfb-run -a -s "-screen 0 1280x1024x24" "$@")
    rm -rf "$work"
}
shoot "$bin/tovrix_screenshot" "$out"
shoot "$bin/tovrix_screenshot" "$out" --dark
# The port dialog's picture shows a device the user may not open: made as
# root, the program leaves root's privileges before it draws.
shoot "$bin/tovrix_ports_screenshot" "$out"
echo "written: $out/screenshot-basic.png $out/screenshot-table.png $out/screenshot-dark.png" \
    "$out/screenshot-find.png" \
    "$out/screenshot-simulation.png $out/screenshot-simulation-dark.png" \
    "$out/screenshot-ports.png $out/screenshot-ports-menu.png"
