#!/usr/bin/env bash
# Installs what is missing, builds Tessaly with its tests and runs them all.
# Tests draw offscreen unless they need a real X display (the app's window
# end to end, the installed package, the compositor check): for those an Xvfb
# server is started here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" test
cmake -S "$root" -B "$root/build/tests" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALY_BUILD_TESTS=ON
cmake --build "$root/build/tests"
cd "$root/build/tests"
exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2 "$@"
