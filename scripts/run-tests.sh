#!/usr/bin/env bash
# Installs what is missing, builds Tessaly with its tests and runs them all.
# Tests that need a real display get an Xvfb server started here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" test
cmake -S "$root" -B "$root/build/tests" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALY_BUILD_TESTS=ON
cmake --build "$root/build/tests"
cd "$root/build/tests"
export QT_QPA_PLATFORM=offscreen
exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2 "$@"
