#!/usr/bin/env bash
# Writes the seed files of the TIFF and property-map fuzzers.
# Usage: fuzz/make-seeds.sh (needs raw2tiff from libtiff-tools, and perl)
set -euo pipefail
cd "$(dirname "$0")"

# TIFF: small images in the codings and layouts the reader meets, and a header
# that claims a strip of 4 GiB.
out=corpus/tiffopen
mkdir -p "$out"
raw=$(mktemp)
trap 'rm -f "$raw"' EXIT

# seed <name> <width> <lines> <bands> <raw2tiff options...>: a deterministic pattern as an image.
seed() {
    local name=$1 width=$2 lines=$3 bands=$4
    shift 4
    perl -e 'print map { chr(($_ * 37 + 11) % 256) } 0 .. $ARGV[0] - 1' $((width * lines * bands)) >"$raw"
    raw2tiff -w "$width" -l "$lines" -b "$bands" "$@" "$raw" "$out/$name.tif"
}

seed chart-cmyk-lzw 16 8 4 -p cmyk -c lzw -r 1
seed seven-inks-lzw 4 4 7 -p cmyk -c lzw -r 1
seed grey-stored-rows4 13 9 1 -p minisblack -c none -r 4
seed rgb-deflate-predictor 8 6 3 -p rgb -c zip:2 -r 3
seed lab-packbits 8 4 3 -p cielab -c packbits -r 2
seed rgb-jpeg 16 16 3 -p rgb -c jpeg -r 16
perl -e 'print map { chr(($_ * 37 + 11) % 256) } 0 .. 9 * 5 * 2 - 1' >"$raw"
raw2tiff -w 9 -l 5 -d short -p minisblack -c lzw:2 -r 5 "$raw" "$out/grey16-lzw-predictor.tif"

# 65535 x 65535 grey in one LZW strip of 12 bytes: 134 bytes that claim 4 GiB.
perl -e 'print pack("a4 V v (v v V V)9 V a12", "II*\0", 8, 9,
    256, 4, 1, 65535, 257, 4, 1, 65535, 258, 3, 1, 8, 259, 3, 1, 5, 262, 3, 1, 1,
    273, 4, 1, 122, 277, 3, 1, 1, 278, 4, 1, 65535, 279, 4, 1, 12, 0, "\x80" x 12)' >"$out/huge-strip-lzw.tif"

# Property maps, in the byte form of fuzz_propertymap.cpp: a map is an entry
# count, each entry a key index (see kKeys there), a kind and the value.
out=corpus/propertymap
mkdir -p "$out"
# A page: measure type 260, no take-up, a patch width record, a drying time record as text.
perl -e 'print pack("C (C C l<) (C C C) (C C C (C C d<) (C C Q<)) (C C C (C C C a2))",
    4, 1, 0, 260, 12, 6, 0, 8, 8, 2, 19, 4, 6.5, 20, 3, 3, 3, 9, 1, 19, 7, 2, "30")' >"$out/page.bin"
# A job of two pages, its paper size as records and its pages in the group.
perl -e 'print pack("C (C C l<) (C C C (C C d<) (C C Q<)) (C C C (C C d<) (C C Q<))
    (C C C (C C C (C C l<) (C C l<)) (C C C (C C C (C C d<) (C C Q<))))",
    4, 15, 0, 2, 16, 8, 2, 19, 4, 500, 20, 3, 3, 17, 8, 2, 19, 4, 330, 20, 3, 3,
    18, 8, 2, 27, 8, 2, 7, 0, 4, 6, 0, 20, 28, 8, 1, 10, 8, 2, 19, 4, -1e300, 20, 3, 3)' >"$out/job.bin"
