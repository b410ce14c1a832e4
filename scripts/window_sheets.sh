#!/usr/bin/env bash
# Regenerates the contact sheets of every window, menu and dialog into
# docs/windows/ (sheet-LANG-SCALEx.png): every language of skin/strings/ at
# scale 1, English and German at scale 2 as well. Then the strip of the main
# window in several languages that the README shows
# (docs/screenshots/main-languages.png).
# Builds what it needs in build/ (configured with the default preset when
# missing); runs on Qt's offscreen platform, so no display is needed.
#
#   scripts/window_sheets.sh [TAG...]     (default: every language)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
out="$root/docs/windows"
# The languages of the README's strip: one of each script the skin writes.
strip=(fr ru el ja ko zh_TW)

[[ -f $build/CMakeCache.txt ]] || cmake --preset default -S "$root" >/dev/null
cmake --build "$build" --target vantix_window_sheet vantix_skin --parallel "${VANTIX_JOBS:-2}"

if (($# > 0)); then
    languages=("$@")
else
    languages=()
    for folder in "$root"/skin/strings/*/; do languages+=("$(basename "$folder")"); done
fi

mains=$(mktemp -d)
trap 'rm -rf "$mains"' EXIT
mkdir -p "$out"
for language in "${languages[@]}"; do
    scales=(1)
    [[ $language == en || $language == de ]] && scales=(1 2)
    for scale in "${scales[@]}"; do
        sheet="$out/sheet-$language-${scale}x.png"
        main=()
        ((scale == 1)) && main=("$mains/$language.png")
        QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=$scale VANTIX_LANGUAGE=$language \
            "$build/tools/vantix_window_sheet" "$build/bin" "$sheet" "${main[@]}"
        echo "wrote ${sheet#"$root"/}"
    done
done

# Two rows of three, at half size, on the sheets' dark ground.
pictures=()
for language in "${strip[@]}"; do
    [[ -f $mains/$language.png ]] || exit 0  # not all of them made this time
    pictures+=("$mains/$language.png")
done
convert -background '#26272b' \
    \( "${pictures[@]:0:3}" -resize 50% -splice 6x6 +append \) \
    \( "${pictures[@]:3:3}" -resize 50% -splice 6x6 +append \) \
    -append -gravity southeast -splice 6x6 "$root/docs/screenshots/main-languages.png"
echo "wrote docs/screenshots/main-languages.png"
