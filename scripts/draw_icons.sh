#!/usr/bin/env bash
# Draws the updater's program icons (resources/updater.ico with 16, 32 and 48 pixels, and
# resources/updater_small.ico with 16): a pale five-pointed star on a night-blue rounded square.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for size in 16 32 48; do
  star=$(python3 -c "
import math
s = $size; c = s / 2; outer = s * 0.40; inner = outer * 0.42
points = []
for i in range(10):
    angle = -math.pi / 2 + i * math.pi / 5
    radius = outer if i % 2 == 0 else inner
    points.append('%.1f,%.1f' % (c + radius * math.cos(angle), c + 0.03 * s + radius * math.sin(angle)))
print(' '.join(points))")
  convert -size "${size}x${size}" xc:none -fill '#2a1f5c' \
    -draw "roundrectangle 0,0 $((size - 1)),$((size - 1)) $((size / 6)),$((size / 6))" \
    -fill '#f5e6a8' -draw "polygon $star" "$work/icon$size.png"
done
convert "$work/icon16.png" "$work/icon32.png" "$work/icon48.png" resources/updater.ico
convert "$work/icon16.png" resources/updater_small.ico
