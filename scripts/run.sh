#!/usr/bin/env bash
# Installs what is missing, builds Velmora and starts it on its home page
# (or on the address given as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
exec build/bin/velmora "$@"
