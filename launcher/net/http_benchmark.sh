#!/usr/bin/env bash
# The HTTP client's throughput and memory against a 200 MB file on a loopback server:
# curl's figure for context, then launcher_http_benchmark under Wine (client and bare WinINet
# loop taking turns, then the client's peak memory in a process of its own).
#
#   launcher/net/http_benchmark.sh BUILD_DIR    e.g. build/win64
set -euo pipefail
build=$(cd "${1:?usage: http_benchmark.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$build/http_benchmark
address=127.12.99.1
mkdir -p "$work"
[ -f "$work/big.bin" ] || head -c 200000000 /dev/urandom >"$work/big.bin"
echo '{"/big.bin": {"file": "big.bin"}}' >"$work/routes.json"

python3 "$root/tests/support/http_server.py" --address $address --root "$work" &
for _ in $(seq 100); do
  exec 3<>/dev/tcp/$address/81 2>/dev/null && break
  sleep 0.1
done
trap 'exec 3>&-; wait' EXIT

for run in 1 2 3; do
  curl -s -o /dev/null -w "curl run $run: %{size_download} bytes, %{speed_download} bytes/s\n" "http://$address/big.bin"
done
"$build/wine-run" "$build/bin/launcher_http_benchmark.exe" "http://$address/big.bin" 9
"$build/wine-run" "$build/bin/launcher_http_benchmark.exe" "http://$address/big.bin" --memory
