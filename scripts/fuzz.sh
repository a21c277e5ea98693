#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and sanitizers and runs each
# for MINUTES minutes from its saved corpus:  scripts/fuzz.sh MINUTES
# New inputs go to build/fuzz/corpus/<target>; crashes to build/fuzz/crash-<target>-*.
set -euo pipefail
minutes=${1:?usage: scripts/fuzz.sh MINUTES}
cd "$(dirname "$0")/.."
scripts/deps.sh fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S fuzz -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
cmake --build build/fuzz -j2
targets=$(sed -n 's/^set(TESSALY_FUZZ_TARGETS \(.*\))/\1/p' fuzz/targets.cmake)
status=0
for target in $targets; do
    mkdir -p "build/fuzz/corpus/$target"
    echo "== fuzz_$target for $minutes min"
    build/fuzz/fuzz_"$target" -max_total_time=$((minutes * 60)) -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="build/fuzz/crash-$target-" "build/fuzz/corpus/$target" "fuzz/corpus/$target" || status=1
done
exit $status
