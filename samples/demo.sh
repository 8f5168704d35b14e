#!/usr/bin/env bash
# The toolkit's demo: a translator's whole round trip with kvo on a small
# generated game data set, step by step, ending with an independent check
# (with the single-file programs) that the new disc image differs from the
# original exactly where the edits went.
#
# Usage: samples/demo.sh [BIN_FOLDER [GENERATOR]]
#   BIN_FOLDER  folder with the built programs       (default: build/bin)
#   GENERATOR   the sample data generator program    (default: BIN_FOLDER/../samples/sampledata)
# Exit status 0 only when every step worked and every final check passed.
set -Eeuo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
fail() { printf '\nDEMO FAILED: %s\n' "$*" >&2; exit 1; }
trap 'fail "unexpected failure in line $LINENO of $0"' ERR

bin="$(cd "${1:-$here/../build/bin}" 2>/dev/null && pwd)" ||
  fail "no program folder ${1:-$here/../build/bin}; build first: cmake --preset release && cmake --build --preset release"
gen="${2:-$bin/../samples/sampledata}"
[ -x "$gen" ] || fail "no sample data generator at $gen"
gen="$(cd "$(dirname "$gen")" && pwd)/$(basename "$gen")"

# The programs are called by their bare names below, so that the commands
# shown read as a translator would type them.
for tool in kvo kvolba kvocx kvobts kvogwh kvomap kvognop; do
  [ -x "$bin/$tool" ] || fail "program $tool not found in $bin"
  eval "$tool() { \"\$bin/$tool\" \"\$@\"; }"
done
sampledata() { "$gen" "$@"; }
for tool in awk cmp dd diff od sed; do
  command -v "$tool" > /dev/null || fail "the demo needs the standard tool $tool"
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# step TITLE: a numbered heading.
stepno=0
step() { stepno=$((stepno + 1)); printf '\n== %d. %s\n' "$stepno" "$1"; }
# run COMMAND [MAXLINES]: shows the command, runs it and shows what it printed
# (at most MAXLINES lines). A non-zero status or an "ERROR: " line ends the demo.
run() {
  local out status=0
  printf '$ %s\n' "$1"
  out="$(eval "$1" 2>&1)" || status=$?
  if [ -n "$out" ]; then
    local lines
    lines=$(printf '%s\n' "$out" | wc -l)
    if [ -n "${2:-}" ] && [ "$lines" -gt "$2" ]; then
      printf '%s\n' "$out" | head -n "$2" | sed 's/^/    /'
      printf '    ... (%d more lines)\n' $((lines - $2))
    else
      printf '%s\n' "$out" | sed 's/^/    /'
    fi
  fi
  [ "$status" -eq 0 ] || fail "'$1' ended with status $status"
  case "$out" in *"ERROR: "*) fail "'$1' reported an error" ;; esac
}
say() { printf '  -> %s\n' "$*"; }

printf 'kvo toolkit demo\n  programs: %s\n  sample data generator (sampledata): %s\n  scratch folder: %s\n' \
  "$bin" "$gen" "$work"

step "Generate a small game data set with the project's own code"
run "sampledata ."

step "Start a translation project from the disc image and its character table"
run "kvo init game.iso --table kvo.tbs --dir project"
run "sed -n '1,10p' project/kvo.toml"
cd project

step "Tell kvo about the headerless bitmap 0003 (its palettes are in file 0004)"
cat >> kvo.toml <<'RULE'

[[file]]
index = 3
kind = "gnop"
width = 256
height = 128
bpp = 8
palette = 4
RULE
run "tail -n 7 kvo.toml"
say "type detection finds dialog containers, map files and .gwh pictures alone;"
say "a headerless bitmap has no header to detect, so a [[file]] rule names it"

step "Unpack: every file decompressed, a PO file per dialog container, pictures as BMP"
run "kvo unpack"
run "find files text pics -type f | sort"
run "kvo status"

step "Translate: fill in one msgstr of text/0000.po"
cp text/0000.po ../0000.orig.po
awk '/^msgctxt "0000:2"$/ { entry = 1 }
     entry && /^msgstr ""$/ { print "msgstr \"[Hero]: Swords ready, everyone!\""; entry = 0; next }
     { print }' ../0000.orig.po > text/0000.po
run "diff ../0000.orig.po text/0000.po || true"
cmp -s ../0000.orig.po text/0000.po && fail "the translation changed nothing"

step "Retouch: paint eight pixels of pics/0001.bmp with palette index 1"
# The BMP is 8-bit and bottom-up: row y of the picture is stored (height-1-y)
# rows after the pixel data's start. Paint x = 10..17 of row y = 5.
bmp_u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
pixels=$(bmp_u32 pics/0001.bmp 10)
width=$(bmp_u32 pics/0001.bmp 18)
height=$(bmp_u32 pics/0001.bmp 22)
stride=$(( (width + 3) / 4 * 4 ))
edit_x=10 edit_y=5 edit_n=8
at=$((pixels + (height - 1 - edit_y) * stride + edit_x))
cp pics/0001.bmp ../0001.orig.bmp
run "printf '\\001\\001\\001\\001\\001\\001\\001\\001' | dd of=pics/0001.bmp bs=1 seek=$at conv=notrunc 2>/dev/null"
changed=$( (cmp -l ../0001.orig.bmp pics/0001.bmp || true) | wc -l | tr -d ' ')
[ "$changed" -eq "$edit_n" ] || fail "the picture edit changed $changed bytes, expected $edit_n"
say "$changed pixel bytes changed at BMP offset $at (picture ${width} x ${height}, row $edit_y, x $edit_x..$((edit_x + edit_n - 1)))"

step "See what changed, and whether it still fits"
run "kvo status"
run "kvo check"
say "each changed file is rebuilt in memory, compressed as before, and measured"
say "against the whole sectors it occupies in the image; nothing is written"

step "Pack a new disc image (checked again, written, read back and verified)"
if command -v xdelta3 > /dev/null; then
  run "kvo pack -o ../new.iso --patch ../new.xdelta"
  run "xdelta3 -d -f -s ../game.iso ../new.xdelta ../patched.iso && cmp ../patched.iso ../new.iso"
  say "the patch turns the original image into the new one"
else
  run "kvo pack -o ../new.iso"
  say "(xdelta3 is not installed: no patch with --patch)"
fi
cd ..

# ---------------------------------------------------------------------------
step "Check independently, with the single-file programs"
mkdir before after
run "kvolba -e game.iso 0-5 before/"
run "kvolba -e new.iso 0-5 after/"
run "kvocx -d before/0000.bt.c1 before/0000.bt"
run "kvocx -d after/0000.bt.c1 after/0000.bt"
run "kvobts -e2 -t kvo.tbs before/0000.bt before/0000.txt"
run "kvobts -e2 -t kvo.tbs after/0000.bt after/0000.txt"
run "diff before/0000.txt after/0000.txt || true"
for side in before after; do kvobts -e "$side/0000.bt" "$side/section" > /dev/null; done
run "kvogwh -e after/0001 after/0001.bmp"
run "kvognop -e before/0003 before/0004 before/0003.bmp"
run "kvomap -e before/0002.map before/map_"

bad=0
ok() { printf '  ok    %s\n' "$*"; }
no() { printf '  FAIL  %s\n' "$*"; bad=1; }
# check GOOD BAD COMMAND...: ok GOOD when the command succeeds, else FAIL BAD.
check() {
  local good=$1 failed=$2
  shift 2
  if "$@"; then ok "$good"; else no "$failed"; fi
}
# differing FILE1 FILE2: the offsets (from 0) of the bytes that differ.
differing() { { cmp -l "$1" "$2" || true; } | awk '{ print $1 - 1 }' | tr '\n' ' '; }

# Byte ranges that may change: the file table, the two edited files and the
# sizes file (which records the battle file's new size).
table_at=$((0x8c000))
allowed="$table_at $((table_at + 131072))"
while IFS='|' read -r _ offset span name; do
  case "$name" in 0000* | 0001* | 0005*) allowed+=" $((16#$offset)) $((16#$offset + 16#$span))" ;; esac
done < <(kvolba -p2 game.iso)
outside=$({ cmp -l game.iso new.iso || true; } | awk -v r="$allowed" '
  BEGIN { n = split(r, a, " ") }
  { off = $1 - 1; inside = 0
    for (i = 1; i < n; i += 2) if (off >= a[i] && off < a[i + 1]) inside = 1
    if (!inside) count++ }
  END { print count + 0 }')
same_files() { local f; for f in "$@"; do cmp -s "before/$f" "after/$f" || return 1; done; }
# The .gwh file holds 1040 bytes of header and palette, then the rows top-down.
want=$((1040 + edit_y * width + edit_x))
want_gwh=$(seq $want $((want + edit_n - 1)) | tr '\n' ' ')
# The sizes file holds 3 bytes per table entry; the battle file is entry 0.
sizes_diff=$(differing before/0005 after/0005)
expected_text=$(sed 's/^\[Hero\]: Swords ready!/[Hero]: Swords ready, everyone!/' before/0000.txt)

echo
check "the new image has the original's size" "the new image has another size" \
  [ "$(wc -c < game.iso)" -eq "$(wc -c < new.iso)" ]
check "no byte changed outside the file table, 0000, 0001 and the sizes file" \
  "$outside bytes changed outside the file table, 0000, 0001 and the sizes file" \
  [ "$outside" -eq 0 ]
check "files 0002.map, 0003 and 0004 are byte for byte the original ones" \
  "file 0002.map, 0003 or 0004 changed" same_files 0002.map 0003 0004
check "the sizes file changed in the battle file's record only" \
  "the sizes file changed at offsets ${sizes_diff:-none} (expected within 0-2)" \
  [ -n "$sizes_diff" -a -z "$(echo $sizes_diff | tr ' ' '\n' | awk '$1 > 2')" ]
check "the dialog text read back is the original with exactly the translated line changed" \
  "the dialog text read back is not the original with the translated line" \
  [ "$(cat after/0000.txt)" = "$expected_text" -a "$(cat after/0000.txt)" != "$(cat before/0000.txt)" ]
check "battle file sections 0, 1, 3 and 4 are byte for byte as before" \
  "a battle file section other than the dialogs (2) changed" same_files section0 section1 section3 section4
check "picture 0001: exactly the $edit_n painted pixels changed (file offsets $want to $((want + edit_n - 1)))" \
  "picture 0001 did not change in exactly the painted pixels (changed offsets: $(differing before/0001 after/0001))" \
  [ "$(differing before/0001 after/0001)" = "$want_gwh" ]
check "kvogwh exports the new image's picture 0001 as the edited pics/0001.bmp" \
  "kvogwh's export of the new picture 0001 is not the edited pics/0001.bmp" \
  cmp -s after/0001.bmp project/pics/0001.bmp
check "kvognop and kvomap export the unpacked pictures 0003 and 0002 alike" \
  "kvo unpack's pics/0003.bmp or pics/0002/00.bmp differs from kvognop's or kvomap's" \
  eval "cmp -s before/0003.bmp project/pics/0003.bmp && cmp -s before/map_00.bmp project/pics/0002/00.bmp"

echo
[ "$bad" -eq 0 ] || fail "the new image does not differ exactly where the edits went"
echo "Demo finished: every step worked, and the new image differs from the original exactly where the edits went."
