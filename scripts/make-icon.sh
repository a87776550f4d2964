#!/usr/bin/env bash
# Draws the program icon (a power symbol on a blue tile) at the sizes Windows
# asks for at today's display scales (16 to 64 pixels) and at 256 for
# Explorer, into src/res/quillmarsh.ico. The 256 image is PNG-compressed, as
# Vista introduced; older systems pass over it and take a smaller one. The result is committed, so building
# needs no ImageMagick; run this only to change the icon.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 256x256 xc:none \
    -fill '#2b6cb0' -stroke '#1a4480' -strokewidth 8 -draw 'roundrectangle 8,8 248,248 40,40' \
    -fill none -stroke white -strokewidth 26 -draw 'arc 58,66 198,206 -55,235' \
    -draw 'line 128,40 128,128' \
    "$tmp/icon-256.png"
images=()
for size in 16 20 24 32 40 48 64 256; do
    convert "$tmp/icon-256.png" -resize ${size}x${size} "PNG32:$tmp/icon-$size.png"
    images+=("$tmp/icon-$size.png")
done
convert "${images[@]}" "$root/src/res/quillmarsh.ico"
