#!/usr/bin/env bash
# Installs what is missing, builds a Release of Tessaly and packs it into a
# Debian package in build/package, then checks the package with lintian.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/package"
"$root/scripts/deps.sh" package
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSALY_BUILD_TESTS=OFF "${launcher[@]}"
cmake --build "$build"
rm -f "$build"/tessaly_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/tessaly_*.deb)
echo "Package: $deb"
lintian --info "$deb"
echo "Install it with: sudo apt install $deb"
