#!/bin/sh
# Redraws the program's icon and logos into resources/. Run by hand when the
# art changes (needs ImageMagick); the results are committed.
set -e
out=$(cd "$(dirname "$0")/../../resources" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The mark: a sheet of paper with a folded corner and a navy quill stroke.
mark() { # size file
    s=$1
    convert -size 64x64 xc:none \
        -fill '#ffffff' -stroke '#1f3b73' -strokewidth 3 \
        -draw "polygon 12,4 42,4 54,16 54,60 12,60" \
        -fill '#c9d6ee' -draw "polygon 42,4 42,16 54,16" \
        -stroke '#8aa2cf' -strokewidth 2 \
        -draw "line 19,26 47,26" -draw "line 19,34 47,34" -draw "line 19,42 38,42" \
        -stroke '#1f3b73' -strokewidth 5 -fill none \
        -draw "line 30,54 58,18" \
        -stroke '#e0a020' -strokewidth 3 -draw "line 52,26 58,18" \
        -resize "${s}x${s}" "$2"
}
mark 16 "$tmp/16.png"; mark 32 "$tmp/32.png"; mark 48 "$tmp/48.png"
convert "$tmp/16.png" "$tmp/32.png" "$tmp/48.png" "$out/app.ico"
"$(dirname "$0")/palette-icon-48.py" "$out/app.ico"

# Small logo for the banner, 32 x 32, 8-bit palette.
mark 32 "$tmp/small.png"
convert -size 32x32 xc:white "$tmp/small.png" -composite -colors 64 -type Palette PNG8:"$out/logosmall.png"

# Tall logo for the strip at the left, 120 x 260, 8-bit palette.
convert -size 120x260 gradient:'#2a4f93-#0f2246' \
    \( -size 120x260 xc:none -fill '#ffffff22' -draw "circle 110,40 110,150" \
       -fill '#ffffff14' -draw "circle 10,230 10,300" \) -composite \
    \( "$tmp/48.png" -resize 56x56 \) -geometry +32+150 -composite \
    -fill '#ffffff' -stroke none -draw "rectangle 32,222 88,224" \
    -colors 128 -type Palette PNG8:"$out/logo.png"

# The pictures of the drive and folder lists, 16 x 16, drawn pixel by pixel
# in the .xpm files next to this script. Their bottom-left pixel (magenta)
# is the colour the lists leave transparent. BMP with a palette of their
# few colours, 4 bits a pixel (a fourth of the 24-bit file's size).
art=$(cd "$(dirname "$0")" && pwd)
for name in fixed-drive removable-drive open-folder closed-folder; do
    convert "$art/$name.xpm" -alpha off -type Palette BMP3:"$out/$(echo "$name" | tr -d -).bmp"
done
