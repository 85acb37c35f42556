#!/usr/bin/env bash
# Installs what is missing, builds Velmora and runs every test twice: once in
# the normal build and once under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# Suites named tst_x11_* (ctest label x11) start their own X server through
# xvfb-run, in both runs; every other suite runs offscreen.
export QT_QPA_PLATFORM=offscreen
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
