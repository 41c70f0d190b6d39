#!/bin/sh
# Draws the window icon: a plastic card with a magnetic stripe and three ink dots.
# Needs ImageMagick; the generated files are committed, so the build does not.
set -eu
cd "$(dirname "$0")"
convert -size 256x256 xc:none \
    -fill '#1d5f7a' -stroke '#0e3446' -strokewidth 6 -draw 'roundrectangle 14,46 242,210 22,22' \
    -stroke none -fill '#14202a' -draw 'rectangle 17,74 239,104' \
    -fill '#e8c15a' -draw 'roundrectangle 36,124 84,162 6,6' \
    -fill '#00b7eb' -draw 'circle 140,168 140,182' \
    -fill '#e6007e' -draw 'circle 172,168 172,182' \
    -fill '#ffe100' -draw 'circle 204,168 204,182' \
    kalyxprntool.png
convert kalyxprntool.png -define icon:auto-resize=256,64,48,32,16 orvane.ico
