#!/usr/bin/env bash
# What the user sees behind the wizard: a screenshot of the bench's screen, whose
# sampled rows must hold exactly the blue of their band, and the banner's white text
# over its black shadow. Usage: backdrop_shot.sh BUILD_DIR REMOVR.EXE
set -uo pipefail
build=$1 removr=$2
. "$build/bench/env"
artifacts=$build/artifacts
mkdir -p "$artifacts"
dir="$WINEPREFIX/drive_c/e2eshot"
mkdir -p "$dir" && cp "$removr" "$dir/REMOVR.EXE"
shot=$artifacts/backdrop-1024x768.png

wine "$dir/REMOVR.EXE" </dev/null >/dev/null 2>&1 & program=$!
pixel() { convert "$shot" -format "%[hex:p{$1,$2}]" info:; }
# Waits for the backdrop (its top row pure blue) and the wizard over its centre.
deadline=$((SECONDS + 60)) ready=0
while [ $SECONDS -lt $deadline ]; do
  import -window root "$shot" 2>/dev/null && [ "$(pixel 0 0)" = 0000FF ] &&
    [ "$(pixel 512 384 | cut -c1-2)" != 00 ] && { ready=1; break; }
  sleep 0.2
done
fail=0
check() {  # x y expected what
  local got; got=$(pixel "$1" "$2")
  if [ "$got" != "$3" ]; then echo "FAIL $4 at ($1,$2): got $got, expected $3"; fail=1
  else echo "ok   $4 at ($1,$2) = $got"; fi
}
if [ $ready = 1 ]; then
  check 0 0 0000FF "band 0"
  check 1023 3 0000FE "band 1 (rows 3-5)"
  check 0 300 00009C "band 99"
  check 0 400 00007B "band 132"
  check 0 766 000002 "band 253"
  check 0 767 000001 "band 254, last row, never black"
  check 1023 767 000001 "band 254, last row, right edge"
  # Banner: some pure black shadow pixel and some near-white text pixel in its box.
  black=$(convert "$shot" -crop 540x80+0+0 -fill none -format '%[fx:minima.r==0 && minima.b==0 ? 1 : 0]' info:)
  white=$(convert "$shot" -crop 540x80+0+0 -format '%[fx:maxima.r>0.85 ? 1 : 0]' info:)
  [ "$black" = 1 ] && echo "ok   banner shadow has black pixels" || { echo "FAIL no black shadow"; fail=1; }
  [ "$white" = 1 ] && echo "ok   banner text has white pixels" || { echo "FAIL no white text"; fail=1; }
else
  echo "FAIL backdrop not seen within 60 s"; fail=1
fi
# The program is left at its wizard: end it by the process this script started.
kill "$program" 2>/dev/null; wait "$program" 2>/dev/null
rm -rf "$dir"
exit $fail
