#!/usr/bin/env python3
"""Ed25519 between `kiln` and Python's cryptography package (OpenSSL): its signatures verify in
`kiln verify`, `kiln sign`'s verify in it, and `kiln keygen`'s secret gives it the same public
key."""
import base64
import os
import random
import subprocess
import sys
import tempfile

from cryptography.exceptions import InvalidSignature
from cryptography.hazmat.primitives import serialization
from cryptography.hazmat.primitives.asymmetric.ed25519 import Ed25519PrivateKey, Ed25519PublicKey

kiln = sys.argv[1]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def run(*args):
    return subprocess.run([kiln, *args], capture_output=True)


def raw_public(private):
    return private.public_key().public_bytes(serialization.Encoding.Raw, serialization.PublicFormat.Raw)


rng = random.Random(25519)
messages = [b"", b"1.00,,0,base\r\n1.01,900150983cd24fb0d6963f7d28e17f72,0,p\r\n",
            bytes(rng.getrandbits(8) for _ in range(70000))]

with tempfile.TemporaryDirectory() as work:
    secret = os.path.join(work, "secret")
    made = run("keygen", secret)
    check(made.returncode == 0, f"keygen failed: {made.stderr!r}")
    with open(secret, "rb") as f:
        seed = base64.b64decode(f.read().strip(), validate=True)
    ours = Ed25519PrivateKey.from_private_bytes(seed)
    printed = made.stdout.decode().strip()
    check(base64.b64encode(raw_public(ours)).decode() == printed, "keygen's public key is not the seed's")
    public = Ed25519PublicKey.from_public_bytes(base64.b64decode(printed))

    theirs = Ed25519PrivateKey.generate()
    their_key = base64.b64encode(raw_public(theirs)).decode()
    path = os.path.join(work, "update.txt")
    for i, message in enumerate(messages):
        with open(path, "wb") as f:
            f.write(message)
        # kiln signs, OpenSSL verifies; update information is stamped with its serial first
        result = run("sign", secret, path)
        check(result.returncode == 0, f"message {i}: kiln sign failed: {result.stderr!r}")
        with open(path, "rb") as f:
            signed = f.read()
        if b"1.00," in message:
            check(signed.startswith(message + b"\r\nSerial="), f"message {i}: update information not stamped")
            message = signed
        else:
            check(signed == message, f"message {i}: a file that is no update information was changed")
        with open(path + ".sig", "rb") as f:
            text = f.read()
        check(text.endswith(b"\n") and text.count(b"\n") == 1, f"message {i}: .sig is not one line")
        signature = base64.b64decode(text.strip(), validate=True)
        try:
            public.verify(signature, message)
        except InvalidSignature:
            failures.append(f"message {i}: OpenSSL rejects kiln's signature")
        check(signature == ours.sign(message), f"message {i}: signatures differ (Ed25519 is deterministic)")

        # OpenSSL signs, kiln verifies; and rejects it under another key or for other bytes
        with open(path + ".sig", "wb") as f:
            f.write(base64.b64encode(theirs.sign(message)) + b"\n")
        result = run("verify", their_key, path)
        check(result.returncode == 0 and result.stdout.startswith(b"good\n"),
              f"message {i}: kiln rejects OpenSSL's signature")
        check(run("verify", printed, path).returncode != 0, f"message {i}: accepted under the wrong key")
        with open(path, "wb") as f:
            f.write(message + b"\0")
        check(run("verify", their_key, path).returncode != 0, f"message {i}: accepted for changed bytes")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print(f"ok: {len(messages)} messages both ways, keygen's key matches")
