#!/bin/sh
# Draws the three 32 x 32 pictures of the address window's buttons (ImageMagick), at four
# times the size and scaled down so the edges are smooth. Run from this folder.
set -e
S="-size 128x128 xc:none -strokewidth 4"
# Effacer: a tilted eraser over a rubbed-out line
convert $S \
  -stroke '#9aa0a8' -strokewidth 6 -draw "line 14,112 114,112" \
  -stroke '#5a3a3a' -strokewidth 4 \
  -fill '#e8544e' -draw "translate 70,62 rotate -40 roundrectangle -22,-20 44,20 6,6" \
  -fill '#f4f4f4' -draw "translate 70,62 rotate -40 roundrectangle -46,-20 -14,20 6,6" \
  -fill '#7fa7d8' -stroke none -draw "translate 70,62 rotate -40 rectangle -18,-18 -12,18" \
  -resize 32x32 -depth 8 -strip PNG32:erase.png
# Exporter: a page with a folded corner and an arrow leaving it
convert $S \
  -stroke '#55595f' -fill white -draw "polygon 18,8 68,8 90,30 90,120 18,120" \
  -fill '#d8dce2' -draw "polygon 68,8 68,30 90,30" \
  -stroke '#9aa0a8' -strokewidth 5 -draw "line 32,48 66,48" -draw "line 32,66 58,66" -draw "line 32,84 62,84" -draw "line 32,102 52,102" \
  -stroke '#1e7a2e' -strokewidth 4 -fill '#3cb44b' \
  -draw "polygon 56,76 92,76 92,58 124,90 92,122 92,104 56,104" \
  -resize 32x32 -depth 8 -strip PNG32:export.png
# Fermer: an open door with an arrow going out
convert $S \
  -stroke '#55595f' -fill '#eef0f3' -draw "rectangle 26,8 90,120" \
  -stroke '#5b3411' -fill '#a0622d' -draw "polygon 26,8 62,22 62,116 26,120" \
  -stroke none -fill '#f0c040' -draw "circle 54,68 58,68" \
  -stroke '#8e1b1b' -strokewidth 4 -fill '#e04040' \
  -draw "polygon 66,56 96,56 96,40 124,68 96,96 96,80 66,80" \
  -resize 32x32 -depth 8 -strip PNG32:close.png
