#!/usr/bin/env bash
# What the user sees behind the wizard: a screenshot of the screen, whose top 100
# rows, the banner's, must match those that banner_reference.exe draws within a few
# pixels, and whose rows below must hold exactly the blue of their band. Taken on the
# bench's screen (1024x768) and on a second bench of 800x600 that this script starts
# and stops itself.
# Usage: backdrop_shot.sh BUILD_DIR REMOVR.EXE banner_reference.exe
set -uo pipefail
build=$1 removr=$2 drawer=$3
. "$build/bench/env"
artifacts=$build/artifacts
mkdir -p "$artifacts"
# REMOVR.EXE with one file of its package beside it, so that it shows its wizard.
dir="$WINEPREFIX/drive_c/e2eshot"
mkdir -p "$dir" && cp "$removr" "$dir/REMOVR.EXE" && : >"$dir/RELNOTE.TXT"
fail=0
shot=

pixel() { convert "$shot" -format "%[hex:p{$1,$2}]" info:; }
check() {  # x y expected what
  local got; got=$(pixel "$1" "$2")
  if [ "$got" != "$3" ]; then echo "FAIL $4 at ($1,$2): got $got, expected $3"; fail=1
  else echo "ok   $4 at ($1,$2) = $got"; fi
}

# Runs REMOVR.EXE on the display $DISPLAY of size WIDTHxHEIGHT, waits for the backdrop
# and the wizard, saves the screenshot and checks the banner. The caller checks the
# bands afterwards. Usage: shoot WIDTH HEIGHT
shoot() {
  local width=$1 height=$2 program ready=0 deadline
  shot=$artifacts/backdrop-${width}x${height}.png
  echo "== ${width}x${height} on display $DISPLAY"
  wine "$dir/REMOVR.EXE" </dev/null >/dev/null 2>&1 & program=$!
  # Waits for the backdrop (its top row pure blue) and the wizard over its centre.
  deadline=$((SECONDS + 60))
  while [ $SECONDS -lt $deadline ]; do
    import -window root "$shot" 2>/dev/null && [ "$(pixel 0 0)" = 0000FF ] &&
      [ "$(pixel $((width / 2)) $((height / 2)) | cut -c1-2)" != 00 ] && { ready=1; break; }
    sleep 0.2
  done
  # The program is left at its wizard: end it by the process this script started.
  kill "$program" 2>/dev/null; wait "$program" 2>/dev/null
  if [ $ready = 0 ]; then
    echo "FAIL backdrop not seen within 60 s"; fail=1; return 1
  fi
  local size; size=$(convert "$shot" -format '%wx%h' info:)
  [ "$size" = "${width}x${height}" ] || { echo "FAIL screenshot is $size"; fail=1; return 1; }
  # Banner: the pixels whose colour is more than 8% away from the reference's.
  local reference=$artifacts/banner-${width}x${height}.ppm differ
  wine "$drawer" "$width" "$height" "Z:${reference//\//\\}" </dev/null >/dev/null 2>&1 ||
    { echo "FAIL banner_reference"; fail=1; return 0; }
  differ=$(convert "$shot" -crop "${width}x100+0+0" +repage png:- |
    compare -metric AE -fuzz 8% - "$reference" "$artifacts/banner-${width}x${height}-diff.png" 2>&1)
  if [ "$differ" -le 16 ] 2>/dev/null; then echo "ok   banner: $differ pixels differ"
  else echo "FAIL banner: $differ pixels differ from the reference"; fail=1; fi
  return 0
}

# 768 rows: band step 302, band j on rows 302*j/100 .. 302*(j+1)/100 - 1.
if shoot 1024 768; then
  check 0 300 00009C "band 99"
  check 0 400 00007B "band 132"
  check 0 766 000002 "band 253"
  check 0 767 000001 "band 254, last row, never black"
  check 1023 767 000001 "band 254, last row, right edge"
fi

# The bench's screen size is fixed when it starts, and a Wine prefix keeps the size of
# the display its desktop started on: the 800x600 shot runs on a second bench of its
# own (its prefix is kept between runs, its Xvfb and wineserver are stopped here).
rm -rf "$dir"
bench=$(dirname "$(realpath "$0")")/../../scripts/wine-bench
second=$build/bench-800x600
mkdir -p "$second"
if "$bench" up "$second" 800x600 >/dev/null; then
  . "$second/bench/env"
  dir="$WINEPREFIX/drive_c/e2eshot"
  mkdir -p "$dir" && cp "$removr" "$dir/REMOVR.EXE" && : >"$dir/RELNOTE.TXT"
  # 600 rows: band step 236, band j on rows 236*j/100 .. 236*(j+1)/100 - 1.
  if shoot 800 600; then
    check 0 300 000080 "band 127"
    check 0 400 000056 "band 169"
    check 0 598 000002 "band 253 (rows 597-598)"
    check 0 599 000001 "band 254, last row, never black"
    check 799 599 000001 "band 254, last row, right edge"
  fi
else
  echo "FAIL the 800x600 bench did not start"; fail=1
fi
"$bench" down "$second" >/dev/null 2>&1
rm -rf "$dir"
exit $fail
