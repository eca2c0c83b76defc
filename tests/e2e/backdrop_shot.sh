#!/usr/bin/env bash
# What the user sees behind the wizard: a screenshot of the screen, whose sampled
# rows must hold exactly the blue of their band, and the banner's white text over its
# black shadow. Taken on the bench's screen (1024x768) and on a second bench of
# 800x600 that this script starts and stops itself.
# Usage: backdrop_shot.sh BUILD_DIR REMOVR.EXE
set -uo pipefail
build=$1 removr=$2
. "$build/bench/env"
artifacts=$build/artifacts
mkdir -p "$artifacts"
dir="$WINEPREFIX/drive_c/e2eshot"
mkdir -p "$dir" && cp "$removr" "$dir/REMOVR.EXE"
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
  # Banner: some pure black shadow pixel and some near-white text pixel in its box.
  local black white
  black=$(convert "$shot" -crop 540x80+0+0 -fill none -format '%[fx:minima.r==0 && minima.b==0 ? 1 : 0]' info:)
  white=$(convert "$shot" -crop 540x80+0+0 -format '%[fx:maxima.r>0.85 ? 1 : 0]' info:)
  [ "$black" = 1 ] && echo "ok   banner shadow has black pixels" || { echo "FAIL no black shadow"; fail=1; }
  [ "$white" = 1 ] && echo "ok   banner text has white pixels" || { echo "FAIL no white text"; fail=1; }
  return 0
}

# 768 rows: band step 302, band j on rows 302*j/100 .. 302*(j+1)/100 - 1.
if shoot 1024 768; then
  check 0 0 0000FF "band 0"
  check 1023 3 0000FE "band 1 (rows 3-5)"
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
  mkdir -p "$dir" && cp "$removr" "$dir/REMOVR.EXE"
  # 600 rows: band step 236, band j on rows 236*j/100 .. 236*(j+1)/100 - 1.
  if shoot 800 600; then
    check 0 0 0000FF "band 0"
    check 799 3 0000FE "band 1 (rows 2-3)"
    check 0 5 0000FD "band 2 (rows 4-6)"
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
