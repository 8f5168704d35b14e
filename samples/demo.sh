#!/usr/bin/env bash
# The toolkit's demo: a translator's whole round trip on a small generated
# game data set, step by step, ending with a check that the rebuilt disc image
# differs from the original exactly where the edits went.
#
# Usage: samples/demo.sh [BIN_FOLDER [GENERATOR]]
#   BIN_FOLDER  folder with the built programs       (default: build/bin)
#   GENERATOR   the sample data generator program    (default: BIN_FOLDER/../samples/sampledata)
# Exit status 0 only when every step worked and the final check passed.
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
for tool in kvolba kvocx kvocxd kvobts kvogwh kvomap kvognop; do
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
size() { wc -c < "$1" | tr -d ' '; }

printf 'kvo toolkit demo\n  programs: %s\n  sample data generator (sampledata): %s\n  scratch folder: %s\n' \
  "$bin" "$gen" "$work"

step "The codec on the bundled sample file: decompress it and log every token"
cp "$here/sample.c1" .
run "kvocxd -l sample.c1 sample.txt" 8
run "head -n 2 sample.txt"

step "Generate a small game data set with the project's own code"
run "sampledata ."

step "List the disc image's file table"
run "kvolba -p1 game.iso"
say "one line per file: table entry, start sector, padding, compressed and empty"
say "flags, size, the first bytes, and the name extraction gives the file"

step "Extract the five game files"
mkdir extracted
run "kvolba -e game.iso 0-4 extracted/"
run "ls extracted"

step "Decompress the battle file and look at its sections"
run "kvocx -d extracted/0000.bt.c1 0000.bt"
say "$(size extracted/0000.bt.c1) compressed bytes became $(size 0000.bt)"
run "kvobts -p 0000.bt"

step "Export the dialog section (section 2) to text through the character table"
run "tail -n 7 kvo.tbs"
say "the table's last entries: two character names, a wait code whose byte is carried"
say "across as hexadecimal text, and the line break (the game codes its letters from 0x80 up)"
run "kvobts -e2 -t kvo.tbs 0000.bt 0000.txt"
run "cat 0000.txt"

step "Export the pictures to BMP"
run "kvogwh -p extracted/0001"
run "kvogwh -e extracted/0001 0001.bmp"
run "kvomap -p extracted/0002.map"
run "kvomap -e extracted/0002.map map_"
run "kvomap -pg extracted/0002.map gnop_"
say "kvomap can also print the kvognop command that reads the same picture from the"
say "map file by offset; running it gives the same BMP:"
run "$(kvomap -pg extracted/0002.map gnop_)"
run "cmp gnop_00.bmp map_00.bmp"
run "kvognop -e extracted/0003 extracted/0004 0003.bmp"
run "ls map_00.bmp 0001.bmp 0003.bmp"

step "Translate: edit one dialog line"
cp 0000.txt 0000.orig.txt
run "sed 's/Swords ready!/Swords ready, everyone! Here they come!/' 0000.orig.txt > 0000.txt"
out=$(diff 0000.orig.txt 0000.txt || true)
[ -n "$out" ] || fail "the text edit changed nothing"
run "diff 0000.orig.txt 0000.txt || true"

step "Retouch: paint eight pixels of the .gwh picture's BMP with palette index 1"
# The BMP is 8-bit and bottom-up: row y of the picture is stored (height-1-y)
# rows after the pixel data's start. Paint x = 10..17 of row y = 5.
bmp_u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
pixels=$(bmp_u32 0001.bmp 10)
width=$(bmp_u32 0001.bmp 18)
height=$(bmp_u32 0001.bmp 22)
stride=$(( (width + 3) / 4 * 4 ))
edit_x=10 edit_y=5 edit_n=8
at=$((pixels + (height - 1 - edit_y) * stride + edit_x))
cp 0001.bmp 0001.orig.bmp
run "printf '\\001\\001\\001\\001\\001\\001\\001\\001' | dd of=0001.bmp bs=1 seek=$at conv=notrunc 2>/dev/null"
changed=$( (cmp -l 0001.orig.bmp 0001.bmp || true) | wc -l | tr -d ' ')
[ "$changed" -eq "$edit_n" ] || fail "the picture edit changed $changed bytes, expected $edit_n"
say "$changed pixel bytes changed at BMP offset $at (picture ${width} x ${height}, row $edit_y, x $edit_x..$((edit_x + edit_n - 1)))"

step "Import the edited text and the edited picture"
mkdir rebuilt import
run "kvobts -i2 -t kvo.tbs -o rebuilt/0000.bt 0000.bt 0000.txt"
say "battle file: $(size 0000.bt) bytes before, $(size rebuilt/0000.bt) after"
run "kvogwh -i extracted/0001 0001.bmp import/0001"

step "Compress the battle file again"
run "kvocx -c -m rebuilt/0000.bt import/0000.bt.c1"
say "$(size extracted/0000.bt.c1) compressed bytes before, $(size import/0000.bt.c1) now"

step "Import both files into a copy of the disc image"
cp game.iso game-new.iso
run "kvolba -i game-new.iso import"
run "kvolba -p1 game-new.iso"

# ---------------------------------------------------------------------------
step "Check: the rebuilt image differs from the original exactly where the edits went"
table_at=$((0x8c000))
entry_word() { od -An -tu4 -j $((table_at + 4 * $2)) -N4 "$1" | tr -d ' '; }
# Byte ranges of the table and of every file, from the listing of the original.
printf '%d %d table\n' "$table_at" $((table_at + 131072)) > regions.txt
kvolba -p2 game.iso > listing.txt
while IFS='|' read -r _ offset span name; do
  printf '%d %d %s\n' $((16#$offset)) $((16#$offset + 16#$span)) "$name" >> regions.txt
done < listing.txt
# The file that table entry E describes (found by its start sector).
file_of_entry() {
  local w
  w=$(entry_word game.iso "$1")
  if (( (w >> 23) & 1 )); then echo "-"; return; fi
  awk -v s=$(( (w & 0x3FFFFF) * 2048 )) '$1 == s && $3 != "table" { print $3; exit }' regions.txt
}
sizes_at=$(( ($(entry_word game.iso 15) & 0x3FFFFF) * 2048 ))
sizes_name=$(file_of_entry 15)
sizes_record() { od -An -tu1 -j $((sizes_at + 3 * $2)) -N3 "$1" | awk '{ print $1 + 256 * $2 + 65536 * $3 }'; }

[ "$(size game.iso)" -eq "$(size game-new.iso)" ] || fail "the rebuilt image has another size"
status=0
cmp -l game.iso game-new.iso > diffs.txt || status=$?
[ "$status" -le 1 ] || fail "cmp could not compare the images"
printf '$ cmp -l game.iso game-new.iso\n'
printf '    %d of %d bytes differ, in these places:\n' "$(wc -l < diffs.txt)" "$(size game.iso)"

# One line per changed place: kind, its number, its file, bytes that differ,
# first and last differing offset within it, its start in the image.
awk -v table="$table_at" -v sizes="$sizes_at" '
  NR == FNR { lo[NR] = $1; hi[NR] = $2; nm[NR] = $3; n = NR; next }
  {
    off = $1 - 1; key = "outside - -"; base = 0
    for (i = 1; i <= n; i++) if (off >= lo[i] && off < hi[i]) {
      if (nm[i] == "table") { key = "entry " int((off - table) / 4) " -"; base = table }
      else if (lo[i] == sizes) { key = "record " int((off - sizes) / 3) " " nm[i]; base = sizes }
      else { key = "file - " nm[i]; base = lo[i] }
      break
    }
    if (!(key in count)) { order[++k] = key; first[key] = off - base }
    count[key]++; last[key] = off - base; start[key] = base
  }
  END { for (j = 1; j <= k; j++) print order[j], count[order[j]], first[order[j]], last[order[j]], start[order[j]] }
' regions.txt diffs.txt > places.txt

edited=" 0000.bt.c1 0001 "
bad=0 seen_battle=0 seen_picture=0 changed_files=" "
while read -r kind number name count firstoff lastoff base; do
  case "$kind" in
    file)
      owner="$name"
      changed_files+="$name "
      printf '      file %-10s  sectors %d-%d: %d bytes (file offsets 0x%X to 0x%X)\n' "$name" \
        $((base / 2048)) $(((base + lastoff) / 2048)) "$count" "$firstoff" "$lastoff"
      [ "$name" = 0000.bt.c1 ] && seen_battle=1
      if [ "$name" = 0001 ]; then
        seen_picture=1 gwh_first=$firstoff gwh_last=$lastoff gwh_count=$count
      fi ;;
    entry)
      owner=$(file_of_entry "$number")
      old=$(entry_word game.iso "$number") new=$(entry_word game-new.iso "$number")
      printf '      table entry %d (file %s): %08X -> %08X, unused 8-byte units in its last sector %d -> %d\n' \
        "$number" "$owner" "$old" "$new" $((old >> 24)) $((new >> 24)) ;;
    record)
      owner=$(file_of_entry "$number")
      printf '      sizes file %s, record of entry %d (file %s): uncompressed size %d -> %d units of 8 bytes\n' \
        "$name" "$number" "$owner" "$(sizes_record game.iso "$number")" "$(sizes_record game-new.iso "$number")" ;;
    *)
      owner="-"
      printf '      %d bytes outside the table and every file, from image offset 0x%X\n' "$count" "$firstoff" ;;
  esac
  case "$edited" in *" $owner "*) ;; *) bad=1; printf '        ^ not one of the edited files\n' ;; esac
done < places.txt
unchanged=""
while read -r _ _ name; do
  case "$name" in table | "$sizes_name") ;; *) case "$changed_files" in *" $name "*) ;; *) unchanged+=" $name" ;; esac ;; esac
done < regions.txt

# The battle file, read back from the rebuilt image, section by section.
mkdir readback before after
run "kvolba -e game-new.iso 0 readback/"
run "kvocx -d readback/0000.bt.c1 readback/0000.bt"
run "kvobts -e 0000.bt before/section"
run "kvobts -e readback/0000.bt after/section"
run "kvobts -e2 -t kvo.tbs readback/0000.bt readback/0000.txt"
same=() differ=()
for s in 0 1 2 3 4; do
  if cmp -s "before/section$s" "after/section$s"; then same+=("$s"); else differ+=("$s"); fi
done

ok() { printf '  ok    %s\n' "$*"; }
no() { printf '  FAIL  %s\n' "$*"; bad=1; }
# check GOOD BAD COMMAND...: ok GOOD when the command succeeds, else FAIL BAD.
check() {
  local good=$1 failed=$2
  shift 2
  if "$@"; then ok "$good"; else no "$failed"; fi
}
echo
if [ "$bad" -eq 0 ]; then
  ok "only the edited files changed, with their table entries and size records;"
  ok "files${unchanged:- (none)} and the rest of the table and the sizes file are unchanged"
else
  no "something other than the edited files changed"
fi
check "the battle file 0000.bt.c1 changed" "the battle file 0000.bt.c1 did not change" \
  [ "$seen_battle" -eq 1 ]
# The .gwh file holds 1040 bytes of header and palette, then the rows top-down.
want=$((1040 + edit_y * width + edit_x))
if [ "$seen_picture" -eq 1 ] && [ "$gwh_count" -eq "$edit_n" ] && [ "$gwh_first" -eq "$want" ] &&
   [ "$gwh_last" -eq $((want + edit_n - 1)) ]; then
  ok "picture 0001: exactly the $edit_n painted pixels changed (file offsets $(printf '0x%X to 0x%X' $want $((want + edit_n - 1))))"
else
  no "picture 0001 did not change in exactly the $edit_n painted pixels (file offset $(printf '0x%X' $want))"
fi
check "battle file sections ${same[*]} are byte for byte as before; only section 2 (dialogs) changed" \
  "battle file sections that changed: ${differ[*]:-none} (expected only 2)" [ "${differ[*]:-}" = 2 ]
check "the dialog text read back from the new image is the edited text" \
  "the dialog text read back from the new image is not the edited text" cmp -s readback/0000.txt 0000.txt

echo
[ "$bad" -eq 0 ] || fail "the rebuilt image does not differ exactly where the edits went"
echo "Demo finished: every step worked, and the rebuilt image differs from the original exactly where the edits went."
