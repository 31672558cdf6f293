#!/usr/bin/env python3
"""A scripted HTTP server on one loopback address, for the Windows tests.

    http_server.py --address A --root FOLDER [--ports 80,8080] [--tls] [--nginx]

The routes come from FOLDER/routes.json: {"/path": {...}, ...}, each route a dict of
    "file": NAME        body from FOLDER/NAME            "body": TEXT   body from text
    "status": N         status code (200)                "length": N or null
                        announced Content-Length (default: the body's size; null: none)
    "send": N           send only the first N body bytes, then "after": "close" or "stall"
    "trickle": [N, S]   send N bytes every S seconds      "silent": true  never answer
    "oauth": {...}      an OAuth 1.0 token endpoint (oauth_provider.py)
    "download": {...}   a file served as download servers do (with "file"), see serve_download
A path not listed gets a 404 with a short body. The query part is ignored for routing.
Every request is appended to FOLDER/requests.log: "<port> <request line>", its header lines,
then an empty line; a download adds "<port> SENT <bytes>" and an empty line once it has sent.

With --tls the server makes a certificate for "localhost" (FOLDER/cert.der) and speaks TLS
on port 443 alone; other checkouts' tests may want that port too, so the server first waits
(up to --lock-seconds) for the exclusive lock /tmp/kiln-tls-443.lock and holds it while it runs. With --nginx, nginx from Debian serves FOLDER/www on port 80 instead (its
log: FOLDER/access.log).

The server runs while the test holds its lifeline: a connection to port 81 of the same
address, which the test opens once the server listens and closes (or loses, if it dies) to
stop it. It never runs longer than --max-seconds.
"""
import argparse
import fcntl
import json
import os
import re
import socket
import ssl
import subprocess
import sys
import threading
import time

import oauth_provider

stopping = threading.Event()
log_lock = threading.Lock()
# How many requests each download route has had, for options that change from one to the next.
download_counts = {}


def read_request(connection):
    data = b""
    while b"\r\n\r\n" not in data:
        piece = connection.recv(65536)
        if not piece:
            return None
        data += piece
        if len(data) > 1 << 20:
            return None
    head = data.split(b"\r\n\r\n", 1)[0].decode("latin-1")
    return head.split("\r\n")


def route_body(route, root):
    if "file" in route:
        with open(os.path.join(root, route["file"]), "rb") as f:
            return f.read()
    return route.get("body", "").encode("latin-1")


def send_all(connection, data):
    connection.sendall(data)


def log_line(root, text):
    with log_lock, open(os.path.join(root, "requests.log"), "a", encoding="latin-1") as log:
        log.write(text + "\n\n")


def serve_download(connection, port, route, root, path, header_lines):
    """A file as download servers serve it, some options lists indexed by the route's request
    number:
        "etags": ["\"a\"", ...]   the file's ETag (none when absent; the last one holds on)
        "ranges": false           Range is ignored: always 200 and the whole file
        "cut": [0.3, 0.8]         the connection closes once the position in the file reaches that
                                  share of it (requests after the list: the whole file)
        "bad_range": true         a Range request gets 206 with the whole file as "bytes 0-..."
        "trickle": [N, S]         N bytes every S seconds
    Range requests are "bytes=START-"; If-Range is compared with the ETag of the moment."""
    options = route["download"]
    with log_lock:
        index = download_counts.get(path, 0)
        download_counts[path] = index + 1

    def pick(name, default):
        values = options.get(name)
        return values[min(index, len(values) - 1)] if values else default

    headers = {}
    for line in header_lines:
        name, _, value = line.partition(":")
        headers[name.strip().lower()] = value.strip()
    file_path = os.path.join(root, route["file"])
    size = os.path.getsize(file_path)
    etag = pick("etags", None)
    start, status = 0, 200
    asked = re.fullmatch(r"bytes=(\d+)-", headers.get("range", ""))
    if asked and options.get("ranges", True):
        if_range = headers.get("if-range")
        if if_range is None or (etag is not None and if_range == etag):
            start, status = int(asked.group(1)), 206
    if status == 206 and start >= size:
        send_all(connection, b"HTTP/1.1 416 Range Not Satisfiable\r\nConnection: close\r\nContent-Length: 0\r\n"
                             + f"Content-Range: bytes */{size}\r\n\r\n".encode("latin-1"))
        log_line(root, f"{port} SENT 0")
        return
    if status == 206 and options.get("bad_range"):
        start = 0
    head = f"HTTP/1.1 {status} Scripted\r\nConnection: close\r\nContent-Type: application/octet-stream\r\n"
    head += f"Content-Length: {size - start}\r\n"
    if status == 206:
        head += f"Content-Range: bytes {start}-{size - 1}/{size}\r\n"
    if etag is not None:
        head += f"ETag: {etag}\r\n"
    if options.get("ranges", True):
        head += "Accept-Ranges: bytes\r\n"
    send_all(connection, (head + "\r\n").encode("latin-1"))
    cuts = options.get("cut", [])
    stop = max(start, min(size, int(cuts[index] * size))) if index < len(cuts) else size
    piece, pause = options.get("trickle", [1 << 20, 0])
    sent = 0
    try:
        with open(file_path, "rb") as f:
            f.seek(start)
            while start + sent < stop and not stopping.is_set():
                data = f.read(min(piece, stop - start - sent))
                if not data:
                    break
                send_all(connection, data)
                sent += len(data)
                if pause:
                    time.sleep(pause)
    finally:
        log_line(root, f"{port} SENT {sent}")


def serve(connection, port, routes, root):
    try:
        lines = read_request(connection)
        if not lines:
            return
        with log_lock, open(os.path.join(root, "requests.log"), "a", encoding="latin-1") as log:
            log.write(f"{port} " + "\n".join(lines) + "\n\n")
        target = lines[0].split(" ")[1] if len(lines[0].split(" ")) > 1 else "/"
        path = target.split("?", 1)[0]
        route = routes.get(path, {"status": 404, "body": "not found"})
        if "download" in route:
            serve_download(connection, port, route, root, path, lines[1:])
            return
        if "oauth" in route:
            status, body = oauth_provider.answer(route["oauth"], target, lines[1:], root)
            send_all(connection, f"HTTP/1.1 {status} OAuth\r\nConnection: close\r\nContent-Length: {len(body)}\r\n"
                                 "Content-Type: text/plain\r\n\r\n".encode("latin-1") + body)
            return
        if route.get("silent"):
            stopping.wait()
            return
        status = route.get("status", 200)
        head = f"HTTP/1.1 {status} Scripted\r\nConnection: close\r\nContent-Type: application/octet-stream\r\n"
        if "file" in route and not ({"send", "trickle", "length"} & route.keys()):
            # a plain file goes out from the kernel's page cache (large files, benchmarks)
            with open(os.path.join(root, route["file"]), "rb") as f:
                head += f"Content-Length: {os.fstat(f.fileno()).st_size}\r\n\r\n"
                send_all(connection, head.encode("latin-1"))
                connection.sendfile(f)
            return
        body = route_body(route, root)
        length = route.get("length", len(body))
        if length is not None:
            head += f"Content-Length: {length}\r\n"
        send_all(connection, (head + "\r\n").encode("latin-1"))
        if "send" in route:
            send_all(connection, body[:route["send"]])
            if route.get("after") == "stall":
                stopping.wait()
            return
        if "trickle" in route:
            size, pause = route["trickle"]
            for start in range(0, len(body), size):
                if stopping.is_set():
                    return
                send_all(connection, body[start:start + size])
                time.sleep(pause)
            return
        send_all(connection, body)
    except OSError:
        pass  # the client went away
    finally:
        try:
            connection.shutdown(socket.SHUT_WR)
        except OSError:
            pass
        connection.close()


def listen(address, port):
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((address, port))
    listener.listen(64)
    return listener


def accept_loop(listener, port, root, tls_context):
    while not stopping.is_set():
        try:
            connection, _ = listener.accept()
        except OSError:
            return
        if tls_context is not None:
            try:
                connection = tls_context.wrap_socket(connection, server_side=True)
            except (OSError, ssl.SSLError):
                connection.close()
                continue
        with open(os.path.join(root, "routes.json"), encoding="utf-8") as f:
            routes = json.load(f)
        threading.Thread(target=serve, args=(connection, port, routes, root), daemon=True).start()


def make_certificate(root):
    key, cert, der = (os.path.join(root, n) for n in ("key.pem", "cert.pem", "cert.der"))
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "2", "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost"],
                   check=True, capture_output=True)
    subprocess.run(["openssl", "x509", "-in", cert, "-outform", "DER", "-out", der], check=True, capture_output=True)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


def start_nginx(address, root):
    www = os.path.join(root, "www")
    conf = os.path.join(root, "nginx.conf")
    with open(conf, "w", encoding="utf-8") as f:
        f.write(f"""daemon off;
master_process off;
user root;
pid {root}/nginx.pid;
error_log {root}/error.log;
events {{ worker_connections 64; }}
http {{
    access_log {root}/access.log;
    client_body_temp_path {root}/client_body;
    proxy_temp_path {root}/proxy;
    fastcgi_temp_path {root}/fastcgi;
    uwsgi_temp_path {root}/uwsgi;
    scgi_temp_path {root}/scgi;
    types {{ application/octet-stream exe; text/plain txt; }}
    server {{
        listen {address}:80;
        root {www};
    }}
}}
""")
    return subprocess.Popen(["/usr/sbin/nginx", "-c", conf, "-p", root + "/"],
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def wait_for_port(address, port, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            socket.create_connection((address, port), timeout=1).close()
            return True
        except OSError:
            time.sleep(0.05)
    return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--address", required=True)
    parser.add_argument("--root", required=True)
    parser.add_argument("--ports", default="80")
    parser.add_argument("--tls", action="store_true")
    parser.add_argument("--nginx", action="store_true")
    parser.add_argument("--max-seconds", type=float, default=600)
    parser.add_argument("--lock-seconds", type=float, default=150)
    args = parser.parse_args()

    nginx = None
    if args.nginx:
        nginx = start_nginx(args.address, args.root)
        if not wait_for_port(args.address, 80, 10):
            nginx.kill()
            return 1
    elif args.tls:
        # Held until the process ends: the kernel drops it however the server stops.
        lock = open("/tmp/kiln-tls-443.lock", "a")
        deadline = time.monotonic() + args.lock_seconds
        while True:
            try:
                fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
                break
            except BlockingIOError:
                if time.monotonic() > deadline:
                    return 1
                time.sleep(0.2)
        context = make_certificate(args.root)
        listener = listen(args.address, 443)
        threading.Thread(target=accept_loop, args=(listener, 443, args.root, context), daemon=True).start()
    else:
        for port in (int(p) for p in args.ports.split(",")):
            listener = listen(args.address, port)
            threading.Thread(target=accept_loop, args=(listener, port, args.root, None), daemon=True).start()

    control = listen(args.address, 81)
    # The test connects as soon as the port listens; one that gave up meanwhile must not leave
    # the server (and the TLS lock) behind for long.
    control.settimeout(min(args.max_seconds, 30))
    try:
        lifeline, _ = control.accept()
        lifeline.settimeout(args.max_seconds)
        while lifeline.recv(4096):
            pass
    except OSError:
        pass
    stopping.set()
    if nginx is not None:
        nginx.terminate()
        try:
            nginx.wait(10)
        except subprocess.TimeoutExpired:
            nginx.kill()
    return 0


if __name__ == "__main__":
    sys.exit(main())
