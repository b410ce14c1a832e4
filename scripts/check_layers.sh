#!/usr/bin/env bash
# Checks that every #include of the program's own code goes down the layers
# and never up or sideways. The libraries' links (CMakeLists.txt) refuse a
# wrong-way call; this also refuses a wrong-way include whose use lives in
# the header alone, which the linker never sees.
#   scripts/check_layers.sh [SOURCE_DIR]
# Prints each offending line and exits 1 when there is one. The table below
# is the one in README.md ("Layout"); tests sit on top of the layer they
# test and are not checked. Benchmarks and tools live at the top (bench/,
# tools/), outside every layer, so one parked in a library's folder is held
# to that library's layer.
set -euo pipefail
cd "${1:-$(dirname "${BASH_SOURCE[0]}")/..}"

# Each layer and the layers it builds on directly (its library's links).
declare -A uses=(
  [settings]=""
  [devicelink]="settings"
  [hook]="settings"
  [assign]="settings"
  [macro]="assign hook"
  [ui/outline]="settings"
  [ui]="ui/outline hook settings"
  [assign/dialogs]="ui assign"
  [macro/editor]="assign/dialogs ui macro devicelink"
  [agent/mapper]="devicelink"
  [agent]="agent/mapper macro devicelink"
  [cli]="agent macro assign devicelink settings"
  [app/rules]="settings"
  [app]="app/rules macro/editor assign/dialogs ui macro assign hook devicelink settings"
  [skin]="ui"
)
# Layers that must not reach Qt.
qt_free="settings devicelink hook assign macro ui/outline app/rules agent/mapper agent cli"

# The layer a source path belongs to.
layer_of() {
  case "$1" in
    ui/outline_cache.* | ui/region_from_bitmap.*) echo ui/outline ;;
    assign/dialogs/*) echo assign/dialogs ;;
    macro/editor/*) echo macro/editor ;;
    app/rules/*) echo app/rules ;;
    agent/mapper_types.h | agent/button_plan.* | agent/function_keys.* | agent/input_mapper.* | \
    agent/key_ledger.h | agent/pointer_motion.* | agent/sequence_player.*) echo agent/mapper ;;
    *) echo "${1%%/*}" ;;
  esac
}

# A layer with every layer below it, once each.
below() {
  local layer seen=" " queue=("$1")
  while ((${#queue[@]})); do
    layer=${queue[0]}
    queue=("${queue[@]:1}")
    [[ $seen == *" $layer "* ]] && continue
    seen+="$layer "
    # shellcheck disable=SC2206
    queue+=(${uses[$layer]})
  done
  echo "$seen"
}

status=0
while IFS= read -r file; do
  own=$(layer_of "$file")
  [[ -v "uses[$own]" ]] || continue
  allowed=$(below "$own")
  while IFS=: read -r line include; do
    target=${include#*\"}
    target=${target%%\"*}
    [[ $target == */* ]] || continue
    if [[ $allowed != *" $(layer_of "$target") "* ]]; then
      echo "$file:$line: $own may not include $target" >&2
      status=1
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
  if [[ " $qt_free " == *" $own "* ]] &&
     grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$file" >/dev/null; then
    echo "$file: $own builds without Qt, yet includes a Qt header" >&2
    status=1
  fi
done < <(find settings devicelink hook assign macro ui agent cli app skin \
           -name tests -prune -o \
           -type f \( -name '*.h' -o -name '*.cpp' \) -print | sort)

if ((status == 0)); then echo "layers: every include goes down"; fi
exit "$status"
