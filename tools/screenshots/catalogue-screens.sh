#!/bin/sh
# Screenshots of the featured, search results and new-search screens over the demo library,
# portrait and landscape at QVGA and VGA, into docs/screenshots/.
#   tools/screenshots/catalogue-screens.sh [BUILD_DIR]
set -eu
build=${1:-build}
out=$(dirname "$0")/../../docs/screenshots
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
for size in 240x320 320x240 480x640 640x480; do
  cat > "$work/script" <<SCRIPT
waitfor text "row 0 selected Cuelist"
screenshot $out/vornalo-featured-$size.png
softkey left
text Café
screenshot $out/vornalo-newsearch-$size.png
key Enter
waitfor text "Results for: Café"
key Down
screenshot $out/vornalo-search-$size.png
SCRIPT
  XDG_RUNTIME_DIR="$work/runtime" XDG_CACHE_HOME="$work/cache" "$build/app/vornalo" --screen "$size" --script "$work/script" \
    --config-dir "$work/config" --data-dir "$work" --audio null > /dev/null
done
