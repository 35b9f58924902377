#!/usr/bin/env bash
# Draws the main window's pictures with ImageMagick. The results are kept in the repository;
# run this again only to change them. Magenta (#FF00FF) in the bottom-left pixel marks transparency;
# shapes on it are drawn without anti-aliasing, so no edge pixel is half magenta.
set -euo pipefail
cd "$(dirname "$0")"
key='#FF00FF'

led() { # colour light dark file
  convert -size 16x16 xc:$key +antialias -fill "$3" -draw 'circle 7.5,7.5 7.5,1' -fill "$1" -draw 'circle 7.5,7.5 7.5,2.5' \
    -fill "$2" -draw 'circle 6,6 6,4.5' -type truecolor "BMP3:$4"
}
led '#909090' '#D8D8D8' '#505050' led-grey.bmp
led '#10C020' '#A0FFA0' '#086010' led-green.bmp
led '#E01010' '#FFA0A0' '#700808' led-red.bmp
convert led-grey.bmp led-green.bmp led-red.bmp +append -type truecolor BMP3:leds.bmp
rm led-grey.bmp led-green.bmp led-red.bmp

kind() { # colour letter file
  convert -size 16x16 xc:$key +antialias -fill "$1" -stroke '#202020' -draw 'rectangle 1,2 14,14' -stroke none \
    -antialias -fill white -font DejaVu-Sans-Bold -pointsize 10 -gravity center -annotate +0+1 "$2" -type truecolor "BMP3:$3"
}
kind '#2060D0' Z kind-zip.bmp
kind '#A030B0' R kind-rar.bmp
kind '#D08010' A kind-ace.bmp
convert kind-zip.bmp kind-rar.bmp kind-ace.bmp +append -type truecolor BMP3:kinds.bmp
rm kind-zip.bmp kind-rar.bmp kind-ace.bmp

folder() { # file
  convert -size 16x16 xc:$key +antialias -fill '#E0B030' -stroke '#805000' -draw 'rectangle 1,4 14,13' \
    -draw 'rectangle 1,2 6,4' -stroke none -fill '#F8D870' -draw 'rectangle 2,6 13,12' -type truecolor "BMP3:$1"
}
folder folder.bmp

# Tab icons: Files, Options / List, Details.
convert -size 16x16 xc:$key +antialias -fill white -stroke '#404040' -draw 'rectangle 3,1 12,14' -stroke '#6080C0' \
  -draw 'line 5,5 10,5' -draw 'line 5,8 10,8' -draw 'line 5,11 10,11' -type truecolor BMP3:tab-files.bmp
convert -size 16x16 xc:$key +antialias -fill '#808080' -stroke '#303030' -draw 'circle 7.5,7.5 7.5,2' -fill $key \
  -draw 'circle 7.5,7.5 7.5,5.5' -type truecolor BMP3:tab-options.bmp
convert tab-files.bmp tab-options.bmp +append -type truecolor BMP3:pages.bmp
convert -size 16x16 xc:$key +antialias -fill '#3060C0' -draw 'rectangle 2,2 4,4' -draw 'rectangle 2,7 4,9' \
  -draw 'rectangle 2,12 4,14' -fill '#202020' -draw 'rectangle 6,3 13,3' -draw 'rectangle 6,8 13,8' \
  -draw 'rectangle 6,13 13,13' -type truecolor BMP3:tab-list.bmp
convert -size 16x16 xc:$key +antialias -fill white -stroke '#404040' -draw 'rectangle 1,2 14,13' -draw 'line 1,5 14,5' \
  -draw 'line 6,2 6,13' -draw 'line 10,2 10,13' -type truecolor BMP3:tab-details.bmp
convert tab-list.bmp tab-details.bmp +append -type truecolor BMP3:views.bmp
rm tab-files.bmp tab-options.bmp tab-list.bmp tab-details.bmp

# Arrow from the source row down to the target row, for the 29 x 45 toggle.
convert -size 16x36 xc:$key +antialias -fill '#2050B0' -stroke '#0A1838' -draw 'rectangle 6,2 9,26' -draw 'polygon 2,24 13,24 7.5,33' \
  -type truecolor BMP3:arrow.bmp
# Go (green triangle) and Stop (red square).
convert -size 16x16 xc:$key +antialias -fill '#10A020' -stroke '#085010' -draw 'polygon 4,2 13,8 4,14' -type truecolor BMP3:go.bmp
convert -size 16x16 xc:$key +antialias -fill '#D01010' -stroke '#600000' -draw 'rectangle 3,3 12,12' -type truecolor BMP3:stop.bmp
# Desktop: a small monitor.
convert -size 16x16 xc:$key +antialias -fill '#3070D0' -stroke '#202020' -draw 'rectangle 1,2 14,11' -fill '#404040' \
  -draw 'rectangle 5,12 10,14' -type truecolor BMP3:desktop.bmp

# Window icon: 32 and 16 pixels.
for s in 32 16; do
  convert -size ${s}x${s} xc:none -fill '#1E3A8A' -draw "roundrectangle 0,0 $((s-1)),$((s-1)) 4,4" \
    -fill '#FBBF24' -font DejaVu-Sans-Bold -pointsize $((s*6/10)) -gravity center -annotate +0+0 Q icon$s.png
done
convert icon32.png icon16.png quennex.ico
rm icon32.png icon16.png

# Logo, 302 x 113.
convert -size 302x113 gradient:'#0B1F4D'-'#2E5FB8' \
  -fill '#FBBF24' -font DejaVu-Sans-Bold -pointsize 30 -gravity northwest -annotate +16+14 'Quennick' \
  -fill white -font DejaVu-Sans -pointsize 16 -annotate +18+52 'Description Extractor' \
  -fill '#9DB8E8' -pointsize 11 -annotate +18+84 'file_id.diz  ->  Files.BBS  Descript.ION  xls  csv' \
  -fill '#FBBF24' -draw 'rectangle 230,16 286,72' -fill '#0B1F4D' -font DejaVu-Sans-Bold -pointsize 40 \
  -gravity northwest -annotate +243+18 'Q' -quality 90 logo.jpg
