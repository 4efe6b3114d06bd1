#!/usr/bin/env bash
# Runs the end-to-end cases with the Linux build and with mapjass.exe under
# wine, and compares everything they leave:
# - the scripts must be the Linux ones with every LF turned into CR LF;
# - the doodad files must be byte-identical;
# - standard output and standard error must match once the pause text is
#   taken out and CR LF read as LF; the exit status must match.
#   tests/windows/compare.sh LINUX_BINARY WINDOWS_EXE SAMPLE_FOLDER
set -uo pipefail
linux=$(realpath "$1")
exe=$(realpath "$2")
samples=$(realpath "$3")
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
work=$(mktemp -d)
# KEEP=1 keeps the folders of the cases for a look.
if [ -n "${KEEP:-}" ]; then echo "cases in $work"; else trap 'rm -rf "$work"' EXIT; fi
failures=0
cases=0

# Folder $1 gets the inputs and every earlier output.
prepare() {
  local folder=$1 doo=$2 w3e=$3 name
  mkdir -p "$folder"
  for name in war3map.doo.j war3map.w3e.j war3mapCONV.doo war3map.old war3mapNULL.doo \
    war3mapKEEP.doo; do
    printf 'earlier %s\n' "$name" >"$folder/$name"
  done
  [ -n "$doo" ] && cp "$doo" "$folder/war3map.doo"
  [ -n "$w3e" ] && cp "$w3e" "$folder/war3map.w3e"
  return 0
}

crlf() { perl -pe 's/\n/\r\n/g' "$1"; }
normalised() { perl -0pe 's/\r\n/\n/g; s/Press any key to continue[ .]*//g' "$1"; }

# run_case NAME ANSWERS DOO W3E [SETUP], SETUP being run in both folders
run_case() {
  local name=$1 answers=$2 doo=$3 w3e=$4 setup=${5:-}
  local dir="$work/$cases"
  cases=$((cases + 1))
  prepare "$dir/linux" "$doo" "$w3e"
  prepare "$dir/windows" "$doo" "$w3e"
  if [ -n "$setup" ]; then
    (cd "$dir/linux" && eval "$setup")
    (cd "$dir/windows" && eval "$setup")
  fi
  printf '%s' "$answers" >"$dir/answers"
  (cd "$dir/linux" && "$linux" <../answers >../linux.out 2>../linux.err)
  echo $? >"$dir/linux.status"
  (cd "$dir/windows" && "$wine" "$exe" <../answers >../windows.out 2>../windows.err)
  echo $? >"$dir/windows.status"

  local problems=""
  cmp -s "$dir/linux.status" "$dir/windows.status" ||
    problems+=" exit status $(cat "$dir/linux.status") vs $(cat "$dir/windows.status");"
  cmp -s <(normalised "$dir/linux.out") <(normalised "$dir/windows.out") || problems+=" stdout;"
  cmp -s <(normalised "$dir/linux.err") <(normalised "$dir/windows.err") || problems+=" stderr;"
  local linux_files windows_files
  linux_files=$(cd "$dir/linux" && ls -A)
  windows_files=$(cd "$dir/windows" && ls -A)
  [ "$linux_files" = "$windows_files" ] || problems+=" files: [$linux_files] vs [$windows_files];"
  for file in $linux_files; do
    [ -f "$dir/windows/$file" ] || continue
    # Scripts that were written have CR LF line ends on Windows; files the
    # run left alone must be untouched on both.
    if [[ "$file" == *.j ]] && [ "$(cat "$dir/linux/$file")" != "earlier $file" ]; then
      cmp -s <(crlf "$dir/linux/$file") "$dir/windows/$file" || problems+=" $file;"
    else
      cmp -s "$dir/linux/$file" "$dir/windows/$file" || problems+=" $file;"
    fi
  done
  if [ -n "$problems" ]; then
    echo "FAILED $name:$problems"
    failures=$((failures + 1))
  else
    echo "ok     $name"
  fi
}

# The first start of wine makes its prefix and says so on standard error.
(cd "$work" && "$wine" "$exe" </dev/null >/dev/null 2>&1)

# Damaged inputs, made from the samples.
broken="$work/broken"
mkdir -p "$broken"
head -c 100 "$samples/tft/war3map.doo" >"$broken/short.doo"
head -c 80 "$samples/tft/war3map.w3e" >"$broken/short.w3e"
: >"$broken/empty"
cp "$samples/tft/war3map.w3e" "$broken/nan.w3e"
# centerX of the sample terrain (4 ground and 2 cliff ids) stands at 21+16+8+8.
printf '\x00\x00\xc0\x7f' | dd of="$broken/nan.w3e" bs=1 seek=53 conv=notrunc status=none

# Enough doodads to be split into functions, with varied values.
perl -e 'print pack("a4l<3", "W3do", 8, 11, 20000);
  for $i (0 .. 19999) {
    print pack("a4l<f<7CCl<3", "LTlt", $i % 10, $i * 1.37 - 9000, 4000 - $i * 0.61,
      $i % 7, $i / 3000, 1, 1, 0.75 + ($i % 4) / 4, 2, $i % 120, -1, 0, $i);
  }
  print pack("l<2", 0, 0);' >"$broken/many.doo"

all="1 1 1 PlaceDoodads 1 1 1 0
"
for map in tft reforged roc; do
  run_case "$map, every answer yes" "$all" "$samples/$map/war3map.doo" "$samples/$map/war3map.w3e"
done
run_case "textures only, filter Lgrs" "1 0 0 0 0 1 1 1 Lgrs
" "$samples/tft/war3map.doo" "$samples/tft/war3map.w3e"
run_case "a name JASS refuses, a filter that matches nothing" "1 0 1 Init-1 1 0 1 1 1 ldrt
" "$samples/tft/war3map.doo" "$samples/tft/war3map.w3e"
run_case "no job" "0 0
" "$samples/tft/war3map.doo" "$samples/tft/war3map.w3e"
run_case "invalid answer" "x
" "$samples/tft/war3map.doo" "$samples/tft/war3map.w3e"
run_case "missing inputs" "$all" "" ""
run_case "empty inputs" "$all" "$broken/empty" "$broken/empty"
run_case "truncated inputs" "$all" "$broken/short.doo" "$broken/short.w3e"
run_case "NaN centerX" "$all" "$samples/roc/war3map.doo" "$broken/nan.w3e"
run_case "20000 doodads" "$all" "$broken/many.doo" "$samples/tft/war3map.w3e"
run_case "a folder in place of an input" "$all" "" "$samples/tft/war3map.w3e" "mkdir war3map.doo"
run_case "a folder in place of an output" "$all" "$samples/tft/war3map.doo" \
  "$samples/tft/war3map.w3e" "rm war3mapCONV.doo && mkdir war3mapCONV.doo"
run_case "a read-only script" "$all" "$samples/tft/war3map.doo" "$samples/tft/war3map.w3e" \
  "chmod a-w war3map.doo.j"
run_case "a read-only kept file" "$all" "$samples/tft/war3map.doo" "$samples/tft/war3map.w3e" \
  "chmod a-w war3mapKEEP.doo"

echo "$((cases - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
