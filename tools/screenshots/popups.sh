#!/bin/sh
# Screenshots of the item popup (a featured CueList; a TextCue, a CueList and an AudioCue of
# the search results; a Current Playlist entry) and of the colour-theme and player-skin lists
# over the demo library, portrait and landscape at QVGA and VGA, into docs/screenshots/.
#   tools/screenshots/popups.sh [BUILD_DIR]
set -eu
build=${1:-build}
out=$(dirname "$0")/../../docs/screenshots
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
for size in 240x320 320x240 480x640 640x480; do
  rm -rf "$work/data.dat" "$work/config"
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
screenshot $out/popup-search-textcue-$size.png
menu Cancel
key Down
key Enter
screenshot $out/popup-search-cuelist-$size.png
menu Cancel
key Down
key Enter
screenshot $out/popup-search-audiocue-$size.png
key Enter
waitfor message 12024 20000
post 1124 0 2
key Enter
screenshot $out/popup-playlist-audiocue-$size.png
menu Cancel
char c
char c
char c
char c
char c
char c
char c
char c
char c
menu "Color Themes... (C key)"
screenshot $out/list-themes-$size.png
menu Cancel
menu "Player Skins..."
screenshot $out/list-skins-$size.png
SCRIPT
  XDG_RUNTIME_DIR="$work/runtime" XDG_CACHE_HOME="$work/cache" "$build/app/vornalo" --screen "$size" --script "$work/script" \
    --config-dir "$work/config" --data-dir "$work" --audio null > /dev/null
done
