#!/usr/bin/env python3
"""`kiln compress --zlib` writes bare zlib streams that Python's zlib inflates, and
`kiln uncompress --zlib` inflates what Python's zlib writes at any level."""
import os
import random
import subprocess
import sys
import tempfile
import zlib

kiln = sys.argv[1]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


rng = random.Random(8)
samples = {
    "empty": b"",
    "text": b"".join(b"line %d\n" % (i % 113) for i in range(40000)),
    "random": bytes(rng.getrandbits(8) for _ in range(100000)),
}

with tempfile.TemporaryDirectory() as work:
    plain_path = os.path.join(work, "plain")
    packed_path = os.path.join(work, "packed")
    out_path = os.path.join(work, "out")
    for name, data in samples.items():
        with open(plain_path, "wb") as f:
            f.write(data)
        result = subprocess.run([kiln, "compress", "--zlib", plain_path, packed_path], capture_output=True)
        check(result.returncode == 0, f"{name}: kiln compress failed: {result.stderr!r}")
        with open(packed_path, "rb") as f:
            packed = f.read()
        check(packed[:2] == b"\x78\xda", f"{name}: header {packed[:2].hex()} is not deflate at level 7-9")
        check(zlib.decompress(packed) == data, f"{name}: Python's zlib inflated other bytes")
        check(packed == zlib.compress(data, 8), f"{name}: differs from zlib's own level 8 output")

        for level in (0, 1, 6, 9):
            with open(packed_path, "wb") as f:
                f.write(zlib.compress(data, level))
            result = subprocess.run([kiln, "uncompress", "--zlib", packed_path, out_path], capture_output=True)
            check(result.returncode == 0, f"{name} level {level}: kiln rejected: {result.stderr!r}")
            with open(out_path, "rb") as f:
                check(f.read() == data, f"{name} level {level}: kiln inflated other bytes")

    # Control: raw deflate without the zlib header is not a zlib stream.
    deflater = zlib.compressobj(8, zlib.DEFLATED, -15)
    with open(packed_path, "wb") as f:
        f.write(deflater.compress(samples["text"]) + deflater.flush())
    result = subprocess.run([kiln, "uncompress", "--zlib", packed_path, out_path], capture_output=True)
    check(result.returncode != 0, "raw deflate was accepted as a zlib stream")

for failure in failures:
    print("FAIL:", failure)
print(f"{len(failures)} failure(s)")
sys.exit(1 if failures else 0)
