#!/usr/bin/env bash
# Builds the release program and measures its start-up on a private X server
# (the real window system path) and headless.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTOVRIX_BUILD_TESTS=ON -DTOVRIX_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build-bench --target tovrix startup_bench >/dev/null
runs=${1:-20}
echo "== X server (Xvfb)"
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1280x1024x24" \
    build-bench/bin/startup_bench build-bench/bin/tovrix "$runs"
echo "== headless (offscreen)"
QT_QPA_PLATFORM=offscreen build-bench/bin/startup_bench build-bench/bin/tovrix "$runs"
