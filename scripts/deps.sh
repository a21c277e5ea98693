#!/usr/bin/env bash
# Installs the Debian packages Tessaly needs that are not there yet.
#   scripts/deps.sh run    what building and running the app needs
#   scripts/deps.sh test   that, plus what the test suite and benchmarks use
#   scripts/deps.sh fuzz   what building the app needs, plus clang's libFuzzer
#   scripts/deps.sh package  what building the app needs, plus the Debian
#                            packaging tools
set -euo pipefail

build_pkgs=(build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-declarative-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
    libgl-dev libxcb1-dev zlib1g-dev nlohmann-json3-dev libqpdf-dev libimage-exiftool-perl librsvg2-bin libzip-dev)
run_pkgs=(qml6-module-qtqml qml6-module-qtqml-workerscript qml6-module-qtquick
    qml6-module-qtquick-window qml6-module-qtquick-controls qml6-module-qtquick-templates
    qml6-module-qtquick-layouts
    qml6-module-qtquick-shapes libqt6svg6 qt6-qpa-plugins libgl1-mesa-dri fonts-dejavu-core
    adwaita-icon-theme libarchive-zip-perl mkvtoolnix bubblewrap dbus qt6-translations-l10n libqt6widgets6 qt6-xdgdesktopportal-platformtheme xdg-desktop-portal xdg-utils)
test_pkgs=(qml6-module-qttest xvfb xauth xfonts-base x11-utils xdotool xcompmgr imagemagick
    dbus-daemon qpdf img2pdf ffmpeg libraw-bin appstream desktop-file-utils libglib2.0-bin poppler-utils rawtran-doc
    libheif-examples dpkg-dev binutils file dosfstools fusefat fuse3 acl attr libopenjp2-tools
    qt6-image-formats-plugins strace passwd util-linux libjxl-tools
    libreoffice-writer-nogui libreoffice-calc-nogui libreoffice-impress-nogui)
fuzz_pkgs=(clang libclang-rt-14-dev ccache)
package_pkgs=(dpkg-dev binutils file lintian)

wanted=("${build_pkgs[@]}" "${run_pkgs[@]}")
if [ "${1:-run}" = test ]; then
    wanted+=("${test_pkgs[@]}")
elif [ "${1:-run}" = fuzz ]; then
    wanted+=("${fuzz_pkgs[@]}")
elif [ "${1:-run}" = package ]; then
    wanted+=("${package_pkgs[@]}")
fi

missing=()
for pkg in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$pkg")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
