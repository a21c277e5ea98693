#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a scratch
# root and checks what an installed Tessaly needs: every library its programs
# load is shipped or depended on, the desktop files pass the desktop's own
# validators, and the unpacked app cleans a JPEG, a PDF and an MKV.
set -euo pipefail
build_dir=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
app=
trap '[ -n "$app" ] && kill "$app" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$work" && cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1) \
    || { cat "$work/cpack.log" >&2; fail "cpack could not build the package"; }
deb=$(ls "$work"/pkg/tessaly_*_*.deb)
root="$work/root"
dpkg -x "$deb" "$root"
# Names only: "a (>= 1) | b" gives a and b.
declared=$(dpkg-deb -f "$deb" Depends Pre-Depends Recommends | sed 's/^[A-Za-z-]*: //' \
    | tr ',|' '\n\n' | sed 's/(.*)//; s/[[:space:]]//g' | grep -v '^$' | sort -u)
depends=$(dpkg-deb -f "$deb" Depends Pre-Depends | sed 's/^[A-Za-z-]*: //' \
    | tr ',|' '\n\n' | sed 's/(.*)//; s/[[:space:]]//g' | grep -v '^$' | sort -u)

# What the app needs at run time and the developers install for it must
# reach users of the package too.
run_pkgs=$(bash -c "source <(sed -n '/^run_pkgs=(/,/)/p' '$source_dir/scripts/deps.sh'); echo \${run_pkgs[@]}")
[ -n "$run_pkgs" ] || fail "no run_pkgs in scripts/deps.sh"
for pkg in $run_pkgs; do
    grep -qx "$pkg" <<<"$declared" || fail "$pkg is in deps.sh run_pkgs but not declared by the package"
done

usr="$root/usr"
test -x "$usr/bin/tessaly" || fail "no usr/bin/tessaly"
test -x "$usr/share/tessaly/exiftool" || fail "no bundled exiftool"
test -f "$usr/share/tessaly/lib/Image/ExifTool.pm" || fail "no ExifTool modules"
[ "$(readlink "$usr/libexec/tessaly/mkvpropedit")" = /usr/bin/mkvpropedit ] \
    || fail "libexec/tessaly/mkvpropedit is not a link to /usr/bin/mkvpropedit"
grep -qx mkvtoolnix <<<"$depends" || fail "mkvpropedit's package is not a dependency"

elfs=()
while IFS= read -r -d '' f; do
    [ "$(head -c4 "$f" | od -An -tx1 | tr -d ' ')" = 7f454c46 ] && elfs+=("$f")
done < <(find "$root" -type f -print0)
[ ${#elfs[@]} -ge 1 ] || fail "no ELF file in the package"
for f in "${elfs[@]}"; do
    case "${f#"$root"}" in
        /usr/bin/*|/usr/libexec/*|/usr/lib/*) ;;
        *) fail "executable ${f#"$root"} outside bin/, lib/ and libexec/" ;;
    esac
done

# Each NEEDED library of each ELF is shipped, or comes from a package that
# Depends names.
for f in "${elfs[@]}"; do
    resolved=$(LD_LIBRARY_PATH= ldd "$f")
    for lib in $(objdump -p "$f" | awk '$1 == "NEEDED" { print $2 }'); do
        if [ -n "$(find "$root" -name "$lib" -print -quit)" ]; then
            continue
        fi
        # The dynamic loader is listed by its path alone.
        path=$(awk -v l="$lib" '$1 == l && $2 == "=>" { print $3 } $1 ~ "/" l "$" { print $1 }' <<<"$resolved")
        [ -n "$path" ] && [ "$path" != "not" ] || fail "${f#"$root"} needs $lib, which is nowhere"
        owner=
        for candidate in "$path" "${path#/usr}" "/usr$path" "$(readlink -f "$path")"; do
            owner=$(dpkg -S "$candidate" 2>/dev/null | head -n1 | cut -d: -f1) && [ -n "$owner" ] && break
        done
        [ -n "$owner" ] || fail "no package owns $path (needed by ${f#"$root"})"
        grep -qx "$owner" <<<"$depends" || fail "${f#"$root"} needs $lib from $owner, which Depends lacks"
    done
done

desktop-file-validate "$usr/share/applications/org.tessaly.Tessaly.desktop"
grep -q '^Exec=tessaly --review %F$' "$usr/share/applications/org.tessaly.Tessaly.desktop" || fail "desktop entry does not run tessaly --review %F"
# Only the launcher entry, which a double-click may reach, waits for review;
# the file managers' "Clean Metadata" is asked for by name and cleans at once.
grep -q '^Exec=tessaly %F$' "$usr/share/kio/servicemenus/org.tessaly.Tessaly.clean.desktop" || fail "no Dolphin service menu"
grep -q '^Exec=tessaly %F$' "$usr/share/nemo/actions/org.tessaly.Tessaly.clean.nemo_action" || fail "no Nemo action"
# Installed into a desktop that has no other handler, the package sets no
# default of its own: no mimeapps.list or defaults.list. GIO and xdg-mime then
# pick the one handler there is all the same (the MIME-apps rules leave no
# way to be offered in Open With but never chosen), which is why the
# launcher's files wait for a click.
if find "$usr" -name 'mimeapps.list' -o -name 'defaults.list' -o -name '*-mimeapps.list' | grep -q .; then
    fail "the package sets a default application"
fi
private=$(mktemp -d)
mkdir -p "$private/data/applications" "$private/config" "$private/bin"
cp "$usr/share/applications/org.tessaly.Tessaly.desktop" "$private/data/applications/"
printf '#!/bin/sh\n' > "$private/bin/tessaly" && chmod +x "$private/bin/tessaly"
update-desktop-database "$private/data/applications"
defaults=$(PATH="$private/bin:$PATH" XDG_DATA_HOME="$private/data" XDG_DATA_DIRS="$private/data" \
           XDG_CONFIG_HOME="$private/config" XDG_CONFIG_DIRS="$private/config" gio mime application/pdf)
grep -q 'org.tessaly.Tessaly.desktop' <<<"$defaults" || fail "Open With does not offer Tessaly for PDFs"
rm -rf "$private"
appstreamcli validate --no-net --pedantic "$usr/share/metainfo/org.tessaly.Tessaly.metainfo.xml" >/dev/null
test -s "$usr/share/icons/hicolor/scalable/apps/org.tessaly.Tessaly.svg" || fail "no scalable icon"
for size in 16 24 32 48 64 128 256; do
    png="$usr/share/icons/hicolor/${size}x${size}/apps/org.tessaly.Tessaly.png"
    file "$png" | grep -q "PNG image data, $size x $size," || fail "icon $png is not a ${size}px PNG"
done

# Three files carrying an author or a title, made by Debian's own tools.
convert -size 16x16 xc:gray "$work/photo.jpg"
# qpdf rebuilds the cross-reference table this short PDF leaves out.
cat > "$work/raw.pdf" <<'PDF'
%PDF-1.4
1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj
2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj
3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 72 72] >> endobj
4 0 obj << /Author (Jane Marker) /Title (Secret Plans) >> endobj
trailer << /Size 5 /Root 1 0 R /Info 4 0 R >>
%%EOF
PDF
qpdf "$work/raw.pdf" "$work/doc.pdf" 2>/dev/null || [ $? -eq 3 ]
ffmpeg -v error -f lavfi -i color=c=blue:s=32x32:d=1 -c:v ffv1 -metadata title='Secret Plans' \
    -metadata artist='Jane Marker' "$work/video.mkv"
exiftool="$usr/share/tessaly/exiftool"
markers() { "$exiftool" -s3 -Artist -Author -Title "$1"; }
"$exiftool" -q -overwrite_original -Artist='Jane Marker' "$work/photo.jpg"
for f in photo.jpg doc.pdf video.mkv; do
    [ -n "$(markers "$work/$f")" ] || fail "fixture $f has no marker"
done

[ -n "${DISPLAY:-}" ] && unset QT_QPA_PLATFORM
# Settings and staging notes of its own, not the user's, and no session bus on
# which a Tessaly the user has open would take the files.
XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" DBUS_SESSION_BUS_ADDRESS= \
    "$usr/bin/tessaly" "$work/photo.jpg" "$work/doc.pdf" "$work/video.mkv" >"$work/app.log" 2>&1 &
app=$!
# One exiftool run per look: it starts slowly.
deadline=$((SECONDS + 60))
while :; do
    left=$("$exiftool" -q -if '$Artist or $Author or $Title' -p '$FileName' \
        "$work/photo.jpg" "$work/doc.pdf" "$work/video.mkv" 2>/dev/null | tr '\n' ' ' || true)
    [ -z "$left" ] || [ $SECONDS -ge $deadline ] && break
    kill -0 "$app" 2>/dev/null || break
    sleep 0.5
done
if [ -n "$left" ]; then
    cat "$work/app.log" >&2
    fail "the unpacked app left metadata in: $left"
fi
echo "package $(basename "$deb"): ${#elfs[@]} ELF files with their libraries declared, 3 files cleaned"
