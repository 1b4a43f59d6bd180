#!/bin/sh
# Makes the pictures that the decoding tests read: small, one of each kind
# the service accepts, with the features each test looks for.
# Usage: make_test_pictures.sh <convert program> <output folder>
set -eu
convert=$1
out=$2
mkdir -p "$out"
cd "$out"

# 40 x 20, left half red, right half blue: which side is which shows mirroring.
halves="-size 20x20 xc:red -size 20x20 xc:blue +append +repage -depth 8"

$convert $halves PNG24:rgb8.png
$convert $halves -depth 16 PNG48:rgb16.png
$convert $halves PNG8:palette.png
$convert $halves BMP3:halves.bmp
# Red left half opaque, right half fully transparent.
$convert -size 20x20 xc:red -size 20x20 xc:none +append +repage PNG32:alpha.png
# Frame 0 as alpha.png, frame 1 all green.
$convert \( -size 20x20 xc:red -size 20x20 xc:none +append +repage \) \
         \( -size 40x20 xc:lime \) -set dispose none animated.gif
# Page 0 the halves, page 1 all green.
$convert \( $halves \) \( -size 40x20 xc:lime \) -compress none pages.tiff
# Stored sideways: upright it is 20 x 40 with red on top.
$convert $halves -orient RightTop rotated.tiff
# A plain JPEG; the tests add EXIF blocks to copies of it.
$convert $halves -quality 95 halves.jpg
# 8 x 8 pictures for exact values.
$convert -size 8x8 xc:white PNG24:white.png
$convert -size 8x8 xc:red PNG24:red.png
touch stamp
