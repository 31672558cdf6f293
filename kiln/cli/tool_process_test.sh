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

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all process checks passed"
