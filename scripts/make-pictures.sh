#!/bin/sh
# Draws the README's pictures with the reader itself (tovanel-cli render,
# offscreen), so they can be made again whenever the look changes:
#   sh scripts/make-pictures.sh [path/to/tovanel-cli]
# The main window always; each dialog the companion can draw (--dialog NAME)
# as well. Pictures go to docs/pictures/; each should stay under 100 KB.
set -eu
cd "$(dirname "$0")/.."
cli=${1:-build/tools/cli/tovanel-cli}
out=docs/pictures
size=360x480
lesson=30
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen

"$cli" render "$lesson" --window --size "$size" --out "$out/main-window.png"

if "$cli" render --help | grep -q -- '--dialog'; then
    for dialog in index search font; do
        if "$cli" render "$lesson" --window --size "$size" --dialog "$dialog" \
            --out "$out/$dialog.png" >/dev/null 2>"$out/.error"; then
            echo "drew the $dialog dialog"
        else
            echo "no picture of the $dialog dialog: $(head -n 1 "$out/.error")"
            rm -f "$out/$dialog.png"
        fi
    done
    rm -f "$out/.error"
else
    echo "this tovanel-cli draws no dialogs (no --dialog): only the main window"
fi

for picture in "$out"/*.png; do
    bytes=$(wc -c < "$picture")
    if [ "$bytes" -gt 102400 ]; then
        echo "warning: $picture is $bytes bytes; keep pictures under 100 KB"
    fi
done
