#!/usr/bin/env bash
# Runs the end-to-end cases with the Linux build and with mapjass.exe and
# mapjass-split.exe under wine, and compares everything they leave:
# - the scripts must be the Linux ones with every LF turned into CR LF;
# - the doodad files must be byte-identical;
# - standard output and standard error must match once the pause text is
#   taken out and CR LF read as LF; the exit status must match.
#   tests/windows/compare.sh LINUX_BINARY WINDOWS_EXE SAMPLE_FOLDER
set -uo pipefail
linux=$(realpath "$1")
exe=$(realpath "$2")
# mapjass-split stands beside each.
linux_split=$(dirname "$linux")/mapjass-split
exe_split=$(dirname "$exe")/mapjass-split.exe
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
# The case's folder, named in full in some messages, reads FOLDER on both
# sides (wine names it Z:\tmp\...\windows).
normalised() {
  local dir
  dir=$(dirname "$1")
  L="$dir/linux" W="Z:$(printf '%s' "$dir/windows" | tr / '\\')" perl -0pe '
    BEGIN { ($l, $w) = ($ENV{L}, $ENV{W}) }
    s/\r\n/\n/g; s/Press any key to continue[ .]*//g; s/\Q$l\E/FOLDER/g; s/\Q$w\E/FOLDER/g' "$1"
}

# Runs the Linux program $2 in $1/linux and the Windows one $3 in
# $1/windows, each with $1/answers as standard input and the arguments
# after $3. The files of $1/linux are noted first, to tell later what the
# run wrote.
run_both() {
  local dir=$1 linux_program=$2 windows_program=$3
  shift 3
  (cd "$dir/linux" && find . -type f -exec md5sum {} + | sort -k 2) >"$dir/before"
  (cd "$dir/linux" && "$linux_program" "$@" <../answers >../linux.out 2>../linux.err)
  echo $? >"$dir/linux.status"
  (cd "$dir/windows" && "$wine" "$windows_program" "$@" <../answers >../windows.out 2>../windows.err)
  echo $? >"$dir/windows.status"
}

# Compares what the two runs in $2 printed and left.
check_case() {
  local name=$1 dir=$2 file problems=""
  cmp -s "$dir/linux.status" "$dir/windows.status" ||
    problems+=" exit status $(cat "$dir/linux.status") vs $(cat "$dir/windows.status");"
  cmp -s <(normalised "$dir/linux.out") <(normalised "$dir/windows.out") || problems+=" stdout;"
  cmp -s <(normalised "$dir/linux.err") <(normalised "$dir/windows.err") || problems+=" stderr;"
  local linux_files windows_files
  linux_files=$(cd "$dir/linux" && find . | sort)
  windows_files=$(cd "$dir/windows" && find . | sort)
  [ "$linux_files" = "$windows_files" ] || problems+=" files: [$linux_files] vs [$windows_files];"
  while IFS= read -r file; do
    [ -f "$dir/windows/$file" ] || continue
    # Scripts that the run wrote have CR LF line ends on Windows; files it
    # left alone must be untouched on both.
    if [[ "$file" == *.j ]] &&
      ! grep -qxF "$(cd "$dir/linux" && md5sum "$file")" "$dir/before"; then
      cmp -s <(crlf "$dir/linux/$file") "$dir/windows/$file" || problems+=" $file;"
    else
      cmp -s "$dir/linux/$file" "$dir/windows/$file" || problems+=" $file;"
    fi
  done < <(cd "$dir/linux" && find . -type f | sort)
  if [ -n "$problems" ]; then
    echo "FAILED $name:$problems"
    failures=$((failures + 1))
  else
    echo "ok     $name"
  fi
}

# run_case NAME ANSWERS DOO W3E [SETUP [ARGUMENT...]], SETUP being run in
# both folders
run_case() {
  local name=$1 answers=$2 doo=$3 w3e=$4 setup=${5:-}
  shift 5 2>/dev/null || shift $#
  local dir="$work/$cases"
  cases=$((cases + 1))
  prepare "$dir/linux" "$doo" "$w3e"
  prepare "$dir/windows" "$doo" "$w3e"
  if [ -n "$setup" ]; then
    (cd "$dir/linux" && eval "$setup")
    (cd "$dir/windows" && eval "$setup")
  fi
  printf '%s' "$answers" >"$dir/answers"
  run_both "$dir" "$linux" "$exe" "$@"
  check_case "$name" "$dir"
}

# split_case NAME ANSWERS SETUP [ARGUMENT...]: mapjass-split in folders that
# SETUP fills, the same on both sides.
split_case() {
  local name=$1 answers=$2 setup=$3
  shift 3
  local dir="$work/$cases"
  cases=$((cases + 1))
  mkdir -p "$dir/linux" "$dir/windows"
  (cd "$dir/linux" && eval "$setup")
  (cd "$dir/windows" && eval "$setup")
  printf '%s' "$answers" >"$dir/answers"
  run_both "$dir" "$linux_split" "$exe_split" "$@"
  check_case "$name" "$dir"
}

# The first start of wine makes its prefix and says so on standard error.
(cd "$work" && "$wine" "$exe" </dev/null >/dev/null 2>&1)

# Damaged inputs, made from the samples.
broken="$work/broken"
mkdir -p "$broken"
head -c 100 "$samples/tft/war3map.doo" >"$broken/short.doo"
head -c 80 "$samples/tft/war3map.w3e" >"$broken/short.w3e"
: >"$broken/empty"
# A doodad file of the first beta editor's version 6, with one record.
perl -e 'print pack("a4l<3", "W3do", 6, 7, 1), "\0" x 41' >"$broken/beta.doo"
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
run_case "a function name of two words" "1 0 1 Place Doodads 1 1 1
" "$samples/tft/war3map.doo" "$samples/tft/war3map.w3e"
run_case "an argument" "0 0
" "$samples/tft/war3map.doo" "" ":" some/map
run_case "--help" "" "" "" ":" --help
run_case "--version" "" "" "" ":" --version
run_case "version 6" "$all" "$broken/beta.doo" "$samples/tft/war3map.w3e"

# Scripts for mapjass-split, written by the Linux build.
scripts="$work/scripts"
mkdir -p "$scripts"
(cd "$scripts" && cp "$samples/tft/war3map.doo" "$samples/tft/war3map.w3e" . &&
  printf '1 0 0 0 0 1 0\n' | "$linux" >/dev/null 2>&1)
# A terrain script long enough for two functions.
perl -e 'print "call SetTerrainType(0.00, 0.00, q, -1, 1, 1)\r\n" x 9001' >"$scripts/long.j"
split_case "split: a script dropped on it, in a folder named in Chinese" "Terrain
" "mkdir 地图 && cp '$scripts/war3map.w3e.j' 地图/" "地图/war3map.w3e.j"
split_case "split: 9,001 lines, CR LF" "Terrain
" "cp '$scripts/long.j' ." long.j
split_case "split: both scripts in the folder" "0 1 PlaceDoodads
" "cp '$scripts/war3map.w3e.j' '$scripts/war3map.doo.j' ."
split_case "split: a name JASS refuses" "Place-1
" "cp '$scripts/war3map.doo.j' ."
split_case "split: no script" "" ":"
split_case "split: two arguments" "" "cp '$scripts/long.j' ." long.j long.j
split_case "split: --help" "" ":" --help
split_case "split: --version" "" ":" --version

# mapjass-build, where both builds have it: the maps it builds must hold the
# same files on both sides (the archives' bytes differ with the library's
# version), and it must refuse alike.
linux_build=$(dirname "$linux")/mapjass-build
exe_build=$(dirname "$exe")/mapjass-build.exe
archive_tool=$(dirname "$linux")/mapjass_archive_tool
build_case() {
  local name=$1 map=$2
  shift 2
  local dir="$work/$cases" side problems=""
  cases=$((cases + 1))
  mkdir -p "$dir/linux" "$dir/windows"
  [ -n "$map" ] && cp -r "$map" "$dir/linux/Map.w3x" && cp -r "$map" "$dir/windows/Map.w3x"
  : >"$dir/answers"
  run_both "$dir" "$linux_build" "$exe_build" "$@"
  cmp -s "$dir/linux.status" "$dir/windows.status" || problems+=" exit status;"
  cmp -s <(normalised "$dir/linux.out") <(normalised "$dir/windows.out") || problems+=" stdout;"
  cmp -s <(normalised "$dir/linux.err") <(normalised "$dir/windows.err") || problems+=" stderr;"
  [ "$(cd "$dir/linux" && ls)" = "$(cd "$dir/windows" && ls)" ] || problems+=" files;"
  if [ -f "$dir/linux/Map.built.w3x" ]; then
    for side in linux windows; do
      mkdir -p "$dir/$side.files"
      "$archive_tool" extract "$dir/$side/Map.built.w3x" "$dir/$side.files" war3map.j war3map.doo \
        war3map.w3e war3map.lua war3map.w3i "(listfile)"
    done
    diff -r "$dir/linux.files" "$dir/windows.files" >/dev/null || problems+=" files inside;"
  elif [ -d "$dir/linux/Map.built.w3x" ]; then
    diff -r "$dir/linux/Map.built.w3x" "$dir/windows/Map.built.w3x" >/dev/null ||
      problems+=" files inside;"
  fi
  if [ -n "$problems" ]; then
    echo "FAILED $name:$problems"
    failures=$((failures + 1))
  else
    echo "ok     $name"
  fi
}
# windows_case NAME HELD ERROR: mapjass-build.exe on Map.w3x (none when
# HELD is empty) beside a map it built, while mapjass_hold_file holds HELD
# open. It must fail with ERROR alone and leave every file as it was.
hold_tool=$(dirname "$exe")/mapjass_hold_file.exe
windows_case() {
  local name=$1 held=$2 expected=$3 status problems="" line
  local dir="$work/$cases"
  cases=$((cases + 1))
  mkdir -p "$dir/windows"
  cp "$broken/sample.w3x" "$dir/windows/Map.w3x"
  cp "$broken/sample.built.w3x" "$dir/windows/Map.built.w3x"
  local before
  before=$(cd "$dir/windows" && md5sum ./*)
  local arguments=(Map.w3x)
  if [ -n "$held" ]; then
    coproc HOLDER { cd "$dir/windows" && exec "$wine" "$hold_tool" "$held" 2>&1; }
    read -r line <&"${HOLDER[0]}"
    line=${line%$'\r'}
    [ "$line" = held ] || problems+=" not held ($line);"
  else
    arguments=()
  fi
  (cd "$dir/windows" && "$wine" "$exe_build" "${arguments[@]}" </dev/null >../out 2>../err)
  status=$?
  if [ -n "$held" ]; then
    eval "exec ${HOLDER[1]}>&-"
    wait "$HOLDER_PID" 2>/dev/null
  fi
  [ "$status" = 1 ] || problems+=" exit status $status;"
  [ "$(normalised "$dir/err")" = "$expected" ] || problems+=" stderr: $(cat "$dir/err");"
  [ "$(cd "$dir/windows" && md5sum ./*)" = "$before" ] || problems+=" files changed;"
  if [ -n "$problems" ]; then
    echo "FAILED $name:$problems"
    failures=$((failures + 1))
  else
    echo "ok     $name"
  fi
}
if [ -x "$linux_build" ] && [ -f "$exe_build" ] && [ -x "$archive_tool" ]; then
  perl -e 'print join("\r\n", "globals", "endglobals", "function main takes nothing returns nothing",
    "local integer i", "call InitBlizzard()", "endfunction", "")' >"$broken/war3map.j"
  "$archive_tool" make "$broken/sample.w3x" "war3map.doo=$samples/tft/war3map.doo" \
    "war3map.j=$broken/war3map.j" "war3map.w3e=$samples/tft/war3map.w3e"
  perl -e 'print pack("a4l<3", "W3do", 8, 11, 1), "LTlt", "\0" x 32, "\2\xff", "\0" x 12' \
    >"$broken/doodads.doo"
  "$archive_tool" make "$broken/doodads.w3x" "war3map.doo=$broken/doodads.doo" \
    "war3map.j=$broken/war3map.j"
  mkdir -p "$broken/folder.w3x/Units" "$broken/folder.w3x/empty"
  cp "$samples/tft/war3map.doo" "$samples/tft/war3map.w3e" "$broken/war3map.j" "$broken/folder.w3x/"
  printf 'model' >"$broken/folder.w3x/Units/a b.mdx"
  build_case "build: a sample map" "$broken/sample.w3x" Map.w3x
  build_case "build: a sample map saved as a folder" "$broken/folder.w3x" Map.w3x
  "$archive_tool" info "$broken/lua.w3i" 1
  printf 'function main()\r\n    InitGlobals()\r\nend\r\n' >"$broken/war3map.lua"
  "$archive_tool" make "$broken/lua.w3x" "war3map.doo=$samples/tft/war3map.doo" \
    "war3map.lua=$broken/war3map.lua" "war3map.w3i=$broken/lua.w3i" "war3map.j=$broken/war3map.j"
  build_case "build: a Lua map" "$broken/lua.w3x" Map.w3x
  build_case "build: a map of doodads only" "$broken/doodads.w3x" Map.w3x
  build_case "build: not a map" "$broken/empty" Map.w3x
  build_case "build: no map" "" Map.w3x
  build_case "build: --help" "" --help
  # Windows alone: a file held open by another program, without sharing,
  # as the World Editor holds the map it edits and the game the map it
  # plays; and no map at all, as a double click starts it.
  (cd "$broken" && "$linux_build" sample.w3x >/dev/null)
  windows_case "build: the map open in the World Editor" Map.w3x \
    "Map.w3x: is open in another program (the World Editor?), which keeps others from reading it; close the map there and build again"
  windows_case "build: the built map open in the game" Map.built.w3x \
    "Map.built.w3x: is open in another program, so it cannot be replaced; close it there (the game, when it is testing the map), then run again"
  windows_case "build: started without a map" "" \
    "mapjass-build: drop a map (.w3x or .w3m) onto mapjass-build.exe, or run mapjass-build MAP [OUTPUT]"
else
  echo "skipped mapjass-build: it is not in both builds"
fi

echo "$((cases - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
