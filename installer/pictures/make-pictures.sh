#!/usr/bin/env bash
# Draws the installer's pictures with ImageMagick. The results are kept in the repository;
# run this again only to change them.
set -euo pipefail
cd "$(dirname "$0")"

# The LEDs are the main window's own: ../../extractor/pictures/leds.bmp.

# Window icon: a box with a down arrow, 32 and 16 pixels.
for s in 32 16; do
  q=$((s / 8))
  convert -size ${s}x${s} xc:none -fill '#8A5A1E' -stroke '#4A2A08' \
    -draw "rectangle $((q)),$((s / 2)) $((s - 1 - q)),$((s - 1 - q / 2))" -stroke none -fill '#1E3A8A' \
    -draw "polygon $((s / 2 - 3 * q)),$((s / 4 + q)) $((s / 2 + 3 * q)),$((s / 4 + q)) $((s / 2)),$((s / 2 + 2 * q))" \
    -draw "rectangle $((s / 2 - q)),0 $((s / 2 + q)),$((s / 4 + q))" icon$s.png
done
convert icon32.png icon16.png setup.ico
rm icon32.png icon16.png

# Banner, 302 x 113.
convert -size 302x113 gradient:'#3A0B4D'-'#2E5FB8' \
  -fill '#FBBF24' -font DejaVu-Sans-Bold -pointsize 26 -gravity northwest -annotate +16+12 'Vellmark Tools' \
  -fill white -font DejaVu-Sans -pointsize 15 -annotate +18+48 'Quennick Extractor Setup' \
  -fill '#C9D8F4' -pointsize 11 -annotate +18+82 'Click here to visit our home page' \
  -fill '#FBBF24' -draw 'rectangle 244,52 288,96' -fill '#3A0B4D' -draw 'polygon 252,66 280,66 266,88' \
  -draw 'rectangle 261,56 271,66' -quality 90 banner.jpg
