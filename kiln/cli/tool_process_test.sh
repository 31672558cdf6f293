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

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all process checks passed"
