#!/usr/bin/env bash
# Sets the machine up, builds, and runs the configuration utility on your own
# data folder. With arguments, they are the command to run instead of "show":
#   scripts/run.sh               print all five profiles
#   scripts/run.sh save          repair and rewrite the profile files
#   scripts/run.sh export 2 a.pfd
# The build's messages go to stderr, so the utility's output alone is on
# stdout. Relative paths in the arguments are taken from where you are.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# What gets built and run. The command-line tool stands in until the window
# program exists.
target=vantixctl
program="$root/build/bin/vantixctl"
default_args=(show)

(
  cd "$root"
  bash scripts/deps.sh
  cmake --preset default
  cmake --build --preset default --parallel 2 --target "$target"
) >&2

if [[ $# -eq 0 ]]; then set -- "${default_args[@]}"; fi
exec "$program" "$@"
