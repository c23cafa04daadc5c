#!/usr/bin/env bash
# Draws the busy animation ":/images/loading" (47x45, 8 frames): a ring of
# eight coloured dots, one of which grows as it goes round. Run once by hand
# after changing it; the GIF is committed.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
colors=("#ff6b6b" "#ffa94d" "#ffd43b" "#69db7c" "#38d9a9" "#4dabf7" "#748ffc" "#da77f2")
frames=8
for ((f = 0; f < frames; f++)); do
  draw=()
  for ((i = 0; i < 8; i++)); do
    x=$(awk -v i="$i" 'BEGIN { printf "%.1f", 23.5 + 15 * sin(i * 3.14159265 / 4) }')
    y=$(awk -v i="$i" 'BEGIN { printf "%.1f", 22.5 - 15 * cos(i * 3.14159265 / 4) }')
    d=$(( (i - f + 8) % 8 ))
    case $d in
      0) r=5.5 ;; 7) r=4.2 ;; 6) r=3.4 ;; *) r=2.6 ;;
    esac
    ex=$(awk -v x="$x" -v r="$r" 'BEGIN { printf "%.1f", x + r }')
    draw+=(-fill "${colors[$i]}" -draw "circle $x,$y $ex,$y")
  done
  convert -size 47x45 xc:none "${draw[@]}" "$tmp/frame$f.png"
done
convert -delay 10 -loop 0 -dispose background "$tmp"/frame{0..7}.png loading.gif
