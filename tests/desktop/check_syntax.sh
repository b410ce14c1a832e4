#!/bin/bash
# Parses the desktops' scripts without running them: the KWin script and
# both builds of the GNOME Shell extension (the build for 45 and later as an
# ES module). Debian 12's shell is 43, so the later build can only be
# parsed here. 77 (CTest's skip code) without node.
#
#   tests/desktop/check_syntax.sh PACKAGING_DIR
set -u
if ! command -v node >/dev/null; then
  echo "SKIPPED: node is not installed (Debian: apt-get install nodejs)"
  exit 77
fi
packaging=$1
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
cp "$packaging/gnome-shell/45/extension.js" "$scratch/extension.mjs" || exit 1
status=0
for file in "$packaging/kwin/vantix-focus.js" "$packaging/gnome-shell/43-44/extension.js" "$scratch/extension.mjs"; do
  node --check "$file" || status=1
done
for file in "$packaging"/gnome-shell/*/metadata.json; do
  node -e 'JSON.parse(require("fs").readFileSync(process.argv[1], "utf8"))' "$file" || status=1
done
exit $status
