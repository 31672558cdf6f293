#!/usr/bin/env bash
# Runs the built `kiln` program as a process: sealing through a pipe, binary standard streams,
# exit codes and error text.
#   tool_process_test.sh WORK_FOLDER KILN [RUNNER...]   (RUNNER: the Windows build's Wine shim)
set -uo pipefail

work=$1
kiln=$2
shift 2
runner=("$@")

rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

tool() {
  "${runner[@]}" "$kiln" "$@"
}

# Bytes a text-mode stream would change: CR LF, a lone LF, NUL, 0x1A, high bytes.
printf 'line one\r\nline two\n\000\032\203\121end\r\n' >plain.bin

tool seal "the key" <plain.bin | tool unseal "the key" >round.bin
status=$?
[ $status -eq 0 ] || fail "seal | unseal exited $status"
cmp -s plain.bin round.bin || fail "seal | unseal changed the bytes: $(od -c round.bin | head -3)"

tool seal "the key" <plain.bin >sealed.txt || fail "seal exited non-zero"
[ "$(tail -c 1 sealed.txt | od -An -c | tr -d ' ')" = '\n' ] || fail "sealed text does not end in a line feed"
grep -q $'\r' sealed.txt && fail "sealed text has a carriage return"

tool unseal "other key" <sealed.txt >wrong.bin 2>wrong.err
status=$?
[ $status -ne 0 ] || fail "unseal with a wrong key exited 0"
[ -s wrong.bin ] && fail "unseal with a wrong key wrote output"
grep -q "kiln unseal:" wrong.err || fail "unseal with a wrong key gave no error text"

printf '123456789' >digits.txt
out=$(tool crc32 digits.txt) || fail "crc32 exited non-zero"
[ "$out" = "cbf43926  digits.txt" ] || fail "crc32 printed '$out'"

tool compress --lzma plain.bin packed.lzma || fail "compress exited non-zero"
tool uncompress --lzma packed.lzma unpacked.bin || fail "uncompress exited non-zero"
cmp -s plain.bin unpacked.bin || fail "compress | uncompress changed the bytes"

tool compress --gzip plain.bin out.bin 2>usage.err
status=$?
[ $status -eq 2 ] || fail "a bad format exited $status, not 2"
grep -q "usage: kiln compress" usage.err || fail "a bad format printed no usage"

tool md5 no_such_file.bin >/dev/null 2>missing.err
status=$?
[ $status -eq 1 ] || fail "an unreadable file exited $status, not 1"
grep -q "cannot read 'no_such_file.bin'" missing.err || fail "an unreadable file gave no error text"

tool --help >help.txt || fail "--help exited non-zero"
grep -q "kiln oauth-header" help.txt || fail "--help does not list oauth-header"

# The sample game as the build stages it (KILN_SAMPLE_GAME: the Windows builds), or as a maker
# would copy it from the project (KILN_DEMO_SOURCE: the System.ini text and the pictures).
if [ -n "${KILN_SAMPLE_GAME:-}" ]; then
  cp -r "$KILN_SAMPLE_GAME" sample-game
elif [ -n "${KILN_DEMO_SOURCE:-}" ]; then
  mkdir -p sample-game
  "$KILN_DEMO_SOURCE/../tools/to-cp932" "$KILN_DEMO_SOURCE/System.ini" sample-game/System.ini
  cp -r "$KILN_DEMO_SOURCE/pictures" sample-game/
  printf 'MZ' >sample-game/Launcher.exe  # the launcher is a Windows build's: here only its name counts
fi
if [ -d sample-game ]; then
  tool check sample-game >check.txt 2>check.err
  status=$?
  above_note=$(grep -v '^note: ' check.txt)
  case ${KILN_SAMPLE_ENGINE:-none} in
    i386)
      [ $status -eq 0 ] || fail "check of the sample game exited $status: $(cat check.txt check.err)"
      [ -z "$above_note" ] || fail "check of the sample game reported: $above_note"
      ;;
    x86-64)  # the 64-bit build's sample engine: the only finding, since the launcher players get is 32-bit
      [ $status -eq 1 ] || fail "check of the 64-bit sample game exited $status"
      [ "$above_note" = "error: Engine.dll: is built for 64-bit Windows (x86-64), but the launcher is a 32-bit program; the launcher shows its \"could not be loaded\" error instead of starting the game" ] ||
        fail "check of the 64-bit sample game reported: $above_note"
      ;;
    none)
      [ $status -eq 1 ] || fail "check of the sample game without its engine exited $status"
      [ "$above_note" = "error: Engine.dll: is missing; the launcher starts nothing when the player starts the game" ] ||
        fail "check of the sample game without its engine reported: $above_note"
      ;;
  esac
  tool check sample-game --json >check.json || [ "${KILN_SAMPLE_ENGINE:-none}" != i386 ] || fail "check --json exited non-zero"
  head -c 1 check.json | grep -q '\[' || fail "check --json printed no array: $(head -c 200 check.json)"
fi

# An update published as a maker does it: the tool finds the patch program's code beside itself,
# leaves out the maker's Game.ini, the signing secret and a .kilnignore'd folder, and a second
# run changes nothing but the serial.
# A 32-bit DLL exporting RunEngine, written from the published file layout: headers and an
# export table, no code (all the check reads).
python3 - pub-engine.dll <<'PY'
import struct, sys
name, export = b"Engine.dll\0", b"RunEngine\0"
rva = 0x1000
at_name = 40
at_export = at_name + len(name)
at_tables = at_export + len(export)  # functions, names, ordinals: one each
data = bytearray(40)  # the export directory
struct.pack_into("<IIIIIII", data, 12, rva + at_name, 1, 1, 1, rva + at_tables, rva + at_tables + 4,
                 rva + at_tables + 8)
data += name + export + struct.pack("<IIH", 0x2000, rva + at_export, 0)
data += bytes(-len(data) % 0x200)
head = bytearray(0x200)
head[0:2] = b"MZ"
struct.pack_into("<I", head, 0x3C, 0x40)
head[0x40:0x44] = b"PE\0\0"
struct.pack_into("<HHIIIHH", head, 0x44, 0x14C, 1, 0, 0, 0, 224, 0x2102)
opt = 0x58
struct.pack_into("<H", head, opt, 0x10B)
struct.pack_into("<II", head, opt + 32, 0x1000, 0x200)
struct.pack_into("<II", head, opt + 56, 0x2000, 0x200)
struct.pack_into("<III", head, opt + 92, 16, rva, len(data))
sec = opt + 224
struct.pack_into("<8sIIII", head, sec, b".edata", len(data), rva, len(data), 0x200)
struct.pack_into("<I", head, sec + 36, 0x40000040)
open(sys.argv[1], "wb").write(bytes(head + data))
PY
mkdir -p pub/old pub/new/debug
tool keygen pub/new/update-secret.txt >pub/public.txt || fail "keygen exited non-zero"
for version in 1.00 1.01; do
  folder=pub/old
  [ $version = 1.01 ] && folder=pub/new
  printf '[Game]\r\nTitle=Sample\r\nVersion=%s\r\n[Launcher]\r\nEnableAutoPatch=yes\r\n[Updater]\r\nUpdateInfoFile=update.txt\r\nPatchFilePrefix=MyGame_%%1%%.exe\r\nBaseURL1=http://a.example/game/\r\nUpdatePublicKey=%s\r\n[KeyConfig]\r\nUP=yes\r\n' \
    $version "$(tr -d '\r\n' <pub/public.txt)" >$folder/System.ini
  cp pub-engine.dll $folder/Engine.dll
  printf 'MZ launcher' >$folder/Launcher.exe
  printf 'story of %s' $version >$folder/story.txt
done
printf '[General]\r\nFullScreen=Yes\r\n' >pub/new/Game.ini
printf 'frame 1' >pub/new/debug/trace.log
printf 'debug/\n' >pub/new/.kilnignore
tool publish pub/old pub/new pub/out --secret pub/new/update-secret.txt >pub/first.out 2>pub/first.err
status=$?
[ $status -eq 0 ] || fail "publish exited $status: $(cat pub/first.err)"
for left in "Game.ini" "debug" "update-secret.txt"; do
  [ "$(grep -c "^kiln publish: left out: $left (" pub/first.err)" = 1 ] || fail "publish did not name $left once: $(cat pub/first.err)"
done
[ "$(cd pub/out && ls -A | tr '\n' ' ')" = "MyGame_1.01.exe update.txt update.txt.sig " ] || fail "publish left in OUTDIR: $(ls -A pub/out)"
printf 'upload from pub/out to every server, in binary mode, the patch first:\n  MyGame_1.01.exe\n  update.txt\n  update.txt.sig\nservers:\n  http://a.example/game/\n' >pub/expected.out
cmp -s pub/first.out pub/expected.out || fail "publish printed: $(cat pub/first.out)"
tool patch info pub/out/MyGame_1.01.exe >pub/info.txt || fail "patch info exited non-zero"
grep -q 'change story.txt' pub/info.txt || fail "the patch does not change story.txt: $(cat pub/info.txt)"
grep -qiE 'Game.ini|debug|secret' pub/info.txt && fail "the patch carries what it must not: $(cat pub/info.txt)"
cp -r pub/out pub/first
tool publish pub/old pub/new pub/out --secret pub/new/update-secret.txt >pub/second.out 2>pub/second.err || fail "publish again exited non-zero: $(cat pub/second.err)"
cmp -s pub/first/MyGame_1.01.exe pub/out/MyGame_1.01.exe || fail "publish again built other patch bytes"
cmp -s pub/first/update.txt pub/out/update.txt && fail "publish again kept the serial"
[ "$(grep -v '^Serial=' pub/first/update.txt)" = "$(grep -v '^Serial=' pub/out/update.txt)" ] || fail "publish again changed more than the serial"
tool verify "$(tr -d '\r\n' <pub/public.txt)" pub/out/update.txt >pub/verify.txt || fail "verify of the published information failed"

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all process checks passed"
