#!/bin/sh
# Draws the README's pictures with the reader itself (tovanel-cli render,
# offscreen), so they can be made again whenever the look changes:
#   sh scripts/make-pictures.sh [path/to/tovanel-cli]
# The main window, and every dialog the companion can draw (--dialog NAME).
# Pictures go to docs/pictures/; each should stay under 100 KB.
set -eu
cd "$(dirname "$0")/.."
cli=${1:-build/tools/cli/tovanel-cli}
out=docs/pictures
size=360x480
lesson=30
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen
# A settings file of its own, so that the pictures show the reader's
# defaults and not the settings of whoever runs this.
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
export TOVANEL_REGISTRY="$settings/registry.reg"

"$cli" render "$lesson" --window --size "$size" --out "$out/main-window.png"

# Every dialog this tovanel-cli can draw: the names listed under "dialogs:".
dialogs=$("$cli" render --dialog --help 2>/dev/null |
          sed -n '/^dialogs:/,$p' | sed -n 's/^  \([a-z-]*\) .*/\1/p')
if [ -z "$dialogs" ]; then
    echo "this tovanel-cli draws no dialogs: only the main window"
fi
for dialog in $dialogs; do
    "$cli" render --dialog "$dialog" --lesson "$lesson" --bookmarks 30,120 \
        --size "$size" --out "$out/$dialog.png"
done

for picture in "$out"/*.png; do
    bytes=$(wc -c < "$picture")
    if [ "$bytes" -gt 102400 ]; then
        echo "warning: $picture is $bytes bytes; keep pictures under 100 KB"
    fi
done
