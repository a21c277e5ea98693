#!/usr/bin/env bash
# cmake --install into a fresh prefix gives an app that runs from there: it
# finds its own exiftool, cleans a file named on its command line, and ships a
# desktop entry and metainfo that the desktop's own validators accept.
set -euo pipefail
build_dir=$1
prefix=$(mktemp -d)
work=$(mktemp -d)
trap 'kill "$app" 2>/dev/null || true; rm -rf "$prefix" "$work"' EXIT

cmake --install "$build_dir" --prefix "$prefix" >/dev/null
desktop-file-validate "$prefix/share/applications/org.tessaly.Tessaly.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/org.tessaly.Tessaly.metainfo.xml" >/dev/null
test -s "$prefix/share/icons/hicolor/scalable/apps/org.tessaly.Tessaly.svg"
grep -q '^Exec=tessaly %F$' "$prefix/share/applications/org.tessaly.Tessaly.desktop"

exiftool="$prefix/share/tessaly/exiftool"
convert -size 8x8 xc:gray "$work/photo.jpg"
"$exiftool" -q -overwrite_original -Artist='Jane Marker' "$work/photo.jpg"
"$exiftool" -s3 -Artist "$work/photo.jpg" | grep -q 'Jane Marker'

QT_QPA_PLATFORM=offscreen "$prefix/bin/tessaly" "$work/photo.jpg" >/dev/null 2>&1 &
app=$!
for _ in $(seq 1 150); do
    if ! grep -q 'Jane Marker' "$work/photo.jpg"; then
        echo "installed app cleaned the file"
        exit 0
    fi
    sleep 0.2
done
echo "the installed app did not clean the file" >&2
exit 1
