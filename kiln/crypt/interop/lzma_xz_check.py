#!/usr/bin/env python3
"""LZMA containers written by `kiln compress --lzma` decode with xz once re-framed as .lzma
files, and .lzma files written by xz decode with `kiln uncompress --lzma` once re-framed as
containers.

Container: uncompressed length (4 bytes LE), 5 property bytes, raw stream.
.lzma (LZMA_Alone): 5 property bytes, uncompressed length (8 bytes LE, all 0xFF when unknown),
stream (xz writes an end marker)."""
import os
import random
import struct
import subprocess
import sys
import tempfile

kiln = sys.argv[1]
failures = []


def samples():
    rng = random.Random(4)
    text = b"".join(b"entry %d of the sample table;\r\n" % (i * 7919 % 997) for i in range(6000))
    return {
        "empty": b"",
        "one byte": b"x",
        "text": text,
        "random": bytes(rng.getrandbits(8) for _ in range(70000)),
        "zeros": bytes(3 << 20),
    }


def check(condition, message):
    if not condition:
        failures.append(message)


def run(*args, stdin=None):
    return subprocess.run(args, input=stdin, capture_output=True)


with tempfile.TemporaryDirectory() as work:
    plain_path = os.path.join(work, "plain")
    packed_path = os.path.join(work, "packed")
    for name, data in samples().items():
        with open(plain_path, "wb") as f:
            f.write(data)

        # kiln -> xz
        result = run(kiln, "compress", "--lzma", plain_path, packed_path)
        check(result.returncode == 0, f"{name}: kiln compress failed: {result.stderr!r}")
        with open(packed_path, "rb") as f:
            container = f.read()
        (length,) = struct.unpack("<I", container[:4])
        check(length == len(data), f"{name}: stored length {length} != {len(data)}")
        check(container[4:9] == b"\x5d\x00\x00\x00\x01", f"{name}: properties {container[4:9].hex()}")
        alone = container[4:9] + struct.pack("<Q", length) + container[9:]
        result = run("xz", "--format=lzma", "--decompress", "--stdout", stdin=alone)
        check(result.returncode == 0, f"{name}: xz rejected kiln's stream: {result.stderr!r}")
        check(result.stdout == data, f"{name}: xz decoded kiln's stream to other bytes")

        # xz -> kiln, at the default settings and at unusual lc/lp/pb
        for options in ([], ["--lzma1=preset=9,lc=0,lp=2,pb=0"], ["--lzma1=preset=1,dict=64KiB,lc=4"]):
            result = run("xz", "--format=lzma", "--compress", "--stdout", *options, stdin=data)
            check(result.returncode == 0, f"{name}: xz {options} failed")
            alone = result.stdout
            with open(packed_path, "wb") as f:
                f.write(struct.pack("<I", len(data)) + alone[:5] + alone[13:])
            out_path = os.path.join(work, "unpacked")
            if os.path.exists(out_path):
                os.remove(out_path)
            result = run(kiln, "uncompress", "--lzma", packed_path, out_path)
            check(result.returncode == 0, f"{name} {options}: kiln rejected xz's stream: {result.stderr!r}")
            if result.returncode == 0:
                with open(out_path, "rb") as f:
                    check(f.read() == data, f"{name} {options}: kiln decoded xz's stream to other bytes")

    # Control: a container whose length field is one short of xz's stream must fail.
    data = samples()["text"]
    alone = run("xz", "--format=lzma", "--compress", "--stdout", stdin=data).stdout
    with open(packed_path, "wb") as f:
        f.write(struct.pack("<I", len(data) - 1) + alone[:5] + alone[13:])
    result = run(kiln, "uncompress", "--lzma", packed_path, os.path.join(work, "short"))
    check(result.returncode != 0, "a length field one short of the stream was accepted")

for failure in failures:
    print("FAIL:", failure)
print(f"{len(failures)} failure(s)")
sys.exit(1 if failures else 0)
