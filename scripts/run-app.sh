#!/usr/bin/env bash
# Installs what is missing, builds Tessaly and starts it. Arguments are passed
# on to the app (files to clean).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" run
cmake -S "$root" -B "$root/build/app" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALY_BUILD_TESTS=OFF
cmake --build "$root/build/app"
exec "$root/build/app/bin/tessaly" "$@"
