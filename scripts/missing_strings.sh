#!/usr/bin/env bash
# Lists, for every language of skin/strings/, the texts the English files
# have and its own files lack, with the English text to translate:
#
#   fr  skins.ini  [General] 103=Polling interval
#
# then one line a language with its count. A text added to the English files
# (and the German ones) shows up here for every other language; translate
# each line into skin/strings/TAG/FILE under the same section and number, in
# the English files' order, and run the script again until it lists nothing.
#
#   scripts/missing_strings.sh [TAG...]
#
# Exits 1 when a text is missing. The skin_tests (HasEveryKeyOfTheEnglishFiles)
# fail on the same texts.
set -euo pipefail
strings="$(cd "$(dirname "$0")/.." && pwd)/skin/strings"

# The texts of the English file ($1) that the other ($2) lacks, one
# "[section] number=text" a line. Sections and numbers are matched as the
# INI rules read them: trimmed, sections in any letter case.
missing() {
    awk '
        { sub(/\r$/, "") }
        /^[ \t]*(;|$)/ { next }
        /^[ \t]*\[.*\][ \t]*$/ {
            section = $0; gsub(/^[ \t]*\[|\][ \t]*$/, "", section); next
        }
        {
            eq = index($0, "="); if (eq == 0) next
            key = substr($0, 1, eq - 1); gsub(/^[ \t]+|[ \t]+$/, "", key)
            id = tolower(section) SUBSEP key
            if (FILENAME == ARGV[2]) { have[id] = 1; next }
            order[++n] = id; shown[id] = "[" section "] " key "=" substr($0, eq + 1)
        }
        END { for (i = 1; i <= n; ++i) if (!(order[i] in have)) print shown[order[i]] }
    ' "$1" "$2"
}

if (($# > 0)); then
    languages=("$@")
else
    languages=()
    for folder in "$strings"/*/; do
        tag=$(basename "$folder")
        [[ $tag == en ]] || languages+=("$tag")
    done
fi

status=0
for tag in "${languages[@]}"; do
    [[ -d $strings/$tag ]] || { echo "no folder skin/strings/$tag" >&2; status=1; continue; }
    count=0
    for file in skins.ini general.ini; do
        own=$strings/$tag/$file
        [[ -f $own ]] || own=/dev/null
        while IFS= read -r line; do
            printf '%-6s %-12s %s\n' "$tag" "$file" "$line"
            count=$((count + 1))
        done < <(missing "$strings/en/$file" "$own")
    done
    printf '%-6s %d missing\n' "$tag" "$count"
    ((count == 0)) || status=1
done
exit $status
