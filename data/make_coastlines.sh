#!/usr/bin/env bash
# Remakes the coastline files data/coast/msMap2.dat, msMap9.dat and msMap30.dat and the sample's
# land/sea mask data/land/land_mask.pbm from the GSHHG shorelines, borders and rivers, dumped with
# GMT. Needs Debian's gmt and gmt-gshhg-low (not build dependencies; see data/README.md):
#
#   apt-get install -y gmt gmt-gshhg-low
#
# Thinning tolerance of the finest file, in hundredths of a degree: $FINE_TOLERANCE (default 1).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
coast_dir="$root/data/coast"
land_dir="$root/data/land"
fine_tolerance="${FINE_TOLERANCE:-1}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# GMT keeps its session files in the working directory.
cd "$work"

# Dumps one kind of line of the whole globe at a GSHHG resolution (c, l, i) into a text file.
dump() {
  local resolution="$1" lines="$2" out="$3"
  # shellcheck disable=SC2086 # $lines is a list of options
  gmt coast -Rd -D"$resolution" $lines -M >"$out"
}

# One coastline file: type 1 the sea's shores, type 2 the shores of lakes (with their islands and
# the ponds on those), type 3 national borders, type 4 the permanent major rivers.
make_coastline_file() {
  local resolution="$1" out="$2" tolerance="$3"
  dump "$resolution" "-W1/thin" coast.txt
  dump "$resolution" "-W2/thin -W3/thin -W4/thin" lakes.txt
  dump "$resolution" "-N1" borders.txt
  dump "$resolution" "-I1" rivers.txt
  python3 "$root/data/write_coastline_file.py" "$out" --tolerance "$tolerance" \
    1=coast.txt 2=lakes.txt 3=borders.txt 4=rivers.txt
}

mkdir -p "$coast_dir" "$land_dir"
make_coastline_file c "$coast_dir/msMap30.dat" 0
make_coastline_file l "$coast_dir/msMap9.dat" 0
make_coastline_file i "$coast_dir/msMap2.dat" "$fine_tolerance"

# The sample's area on its 0.05-degree grid, corner points included: land (and islands in lakes)
# 1, sea and lakes (and ponds) 0, from the same intermediate shorelines as msMap2.dat.
gmt grdlandmask -R110/160/10/50 -I0.05 -Di -N0/1/0/1/0 -Gmask.nc
read -r _ _ _ _ _ _ _ _ _ columns rows _ < <(gmt grdinfo -C mask.nc)
# One byte a point, top row first, each row west to east.
gmt grd2xyz mask.nc -ZTLc >mask.bytes
python3 "$root/data/write_land_mask.py" mask.bytes "$columns" "$rows" "$land_dir/land_mask.pbm"

ls -l "$coast_dir" "$land_dir"
