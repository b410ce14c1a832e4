#!/usr/bin/env bash
# Regenerates the contact sheets of every window, menu and dialog, in English
# and German at scale 1 and 2, into docs/windows/ (sheet-LANG-SCALEx.png).
# Builds what it needs in build/ (configured with the default preset when
# missing); runs on Qt's offscreen platform, so no display is needed.
#
#   scripts/window_sheets.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
out="$root/docs/windows"

[[ -f $build/CMakeCache.txt ]] || cmake --preset default -S "$root" >/dev/null
cmake --build "$build" --target vantix_window_sheet vantix_skin --parallel "${VANTIX_JOBS:-2}"

mkdir -p "$out"
for language in en de; do
    for scale in 1 2; do
        sheet="$out/sheet-$language-${scale}x.png"
        QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=$scale VANTIX_LANGUAGE=$language \
            "$build/app/vantix_window_sheet" "$build/bin" "$sheet"
        echo "wrote ${sheet#"$root"/}"
    done
done
