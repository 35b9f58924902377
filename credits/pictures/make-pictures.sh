#!/bin/sh
# Draws the credits window's pictures with ImageMagick: background.jpg and hidden.jpg (307 x 230)
# and credits.ico (32 x 32). Run from anywhere; writes next to this script.
set -eu
cd "$(dirname "$0")"
font=DejaVu-Sans-Bold

# Background: a night sky over a glowing grid, dark enough for the light scroll texts.
convert -size 307x230 gradient:'#06061e'-'#2a0838' \
  -seed 7 \( -size 307x230 xc:black +noise Random -channel G -separate +channel -threshold 99.3% \
             -morphology Dilate Disk:0.5 \) -compose Screen -composite \
  -fill '#ff7a2a' -draw 'circle 153,150 153,102' \
  -fill '#12041c' -draw 'rectangle 0,150 306,229' \
  -stroke '#c0308a' -strokewidth 1 \
  -draw 'line 0,150 306,150' -draw 'line 0,156 306,156' -draw 'line 0,165 306,165' \
  -draw 'line 0,178 306,178' -draw 'line 0,196 306,196' -draw 'line 0,221 306,221' \
  -draw 'line 153,150 153,229' -draw 'line 153,150 100,229' -draw 'line 153,150 206,229' \
  -draw 'line 153,150 40,229' -draw 'line 153,150 266,229' -draw 'line 153,150 -30,229' \
  -draw 'line 153,150 336,229' -draw 'line 153,150 -120,229' -draw 'line 153,150 426,229' \
  -stroke none -fill '#3a1450' -font "$font" -pointsize 15 -gravity south -annotate +0+6 'VELLMARK TOOLS' \
  -quality 90 background.jpg

# Hidden picture: what the wheel finds.
convert -size 307x230 gradient:'#fff4b0'-'#ffb347' \
  -fill '#4a2a0a' -stroke '#4a2a0a' -strokewidth 4 \
  -fill '#ffe066' -draw 'circle 153,100 153,40' \
  -fill '#4a2a0a' -stroke none -draw 'circle 132,85 132,77' -draw 'circle 174,85 174,77' \
  -fill none -stroke '#4a2a0a' -strokewidth 5 -draw 'arc 118,90 188,135 20,160' \
  -stroke none -fill '#7a3a00' -font "$font" -pointsize 22 -gravity south -annotate +0+32 'You found it!' \
  -pointsize 12 -annotate +0+12 'Greetings from the Vellmark crew' \
  -quality 90 hidden.jpg

# Window icon: a scroll with a note on it.
convert -size 32x32 xc:none \
  -fill '#f2e2b0' -stroke '#6b4a1a' -strokewidth 1 -draw 'roundrectangle 5,4 26,27 3,3' \
  -stroke '#6b4a1a' -draw 'line 9,10 22,10' -draw 'line 9,14 22,14' \
  -fill '#1a3aa0' -stroke '#1a3aa0' -draw 'circle 13,22 13,19' -draw 'line 15,22 15,13' \
  -draw 'line 15,13 20,15' \
  credits.ico
