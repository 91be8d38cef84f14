#!/bin/sh
# Screenshots of the item popup (a featured CueList; an AudioCue and a TextCue of the search
# results; a Current Playlist entry) and of the colour-theme and player-skin lists over the
# demo library, portrait and landscape at QVGA and VGA, into docs/screenshots/.
#   tools/screenshots/popups.sh [BUILD_DIR]
set -eu
build=${1:-build}
out=$(dirname "$0")/../../docs/screenshots
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
for size in 240x320 320x240 480x640 640x480; do
  rm -f "$work/data.dat"
  cat > "$work/script" <<SCRIPT
waitfor text "row 0 selected Cuelist"
key Enter
screenshot $out/popup-featured-cuelist-$size.png
menu Cancel
softkey left
text Café
key Enter
waitfor text "Results for: Café"
key Enter
screenshot $out/popup-search-audiocue-$size.png
key Enter
waitfor message 12024 20000
waitfor text "Wikipedia Article"
SCRIPT
  # The TextCue's row: Down until it is selected.
  for i in 1 2 3 4 5 6 7 8; do echo "key Down" >> "$work/script"; done
  cat >> "$work/script" <<SCRIPT
key Enter
screenshot $out/popup-search-textcue-$size.png
menu Cancel
post 1124 0 2
key Enter
screenshot $out/popup-playlist-audiocue-$size.png
menu Cancel
menu "Color Themes... (C key)"
screenshot $out/list-themes-$size.png
menu Cancel
menu "Player Skins..."
screenshot $out/list-skins-$size.png
SCRIPT
  XDG_RUNTIME_DIR="$work/runtime" XDG_CACHE_HOME="$work/cache" "$build/app/vornalo" --screen "$size" --script "$work/script" \
    --config-dir "$work/config" --data-dir "$work" --audio null > /dev/null
done
