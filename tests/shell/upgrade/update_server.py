#!/usr/bin/env python3
"""A local update server for the upgrade tests and for trying the program by hand.

Serves the files under --root on 127.0.0.1 (port 0 picks a free one) and writes the port to
--port-file once it listens. Every request is logged to --log as one JSON line (path and the
headers the client sent). Paths beginning with:
  /stall/  files over 1 KiB: send the headers and half of the file, then nothing more (the
           connection stays open); smaller files (a "version") are served as they are;
  /slow/   send the file in 10240-byte pieces, --slow-delay seconds apart;
  /mute/   accept the request and never answer at all.
Anything else is served as a static file (404 when missing).
"""
import argparse
import http.server
import json
import os
import sys
import threading
import time


class Handler(http.server.SimpleHTTPRequestHandler):
    server_version = "PivaneTestUpdates/1"

    def log_message(self, fmt, *args):
        pass

    def record(self):
        entry = {"path": self.path}
        for name in ("User-Agent", "Accept", "Cache-Control", "Pragma"):
            entry[name] = self.headers.get(name)
        with self.server.log_lock:
            with open(self.server.log_path, "a", encoding="utf-8") as log:
                log.write(json.dumps(entry) + "\n")

    def local_file(self, prefix):
        return self.translate_path(self.path[len(prefix) - 1:])

    def do_GET(self):
        if self.server.log_path:
            self.record()
        for prefix, handler in (("/stall/", self.stall), ("/slow/", self.slow),
                                ("/mute/", self.mute)):
            if self.path.startswith(prefix):
                handler(self.local_file(prefix))
                return
        super().do_GET()

    def send_file_headers(self, data):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()

    def read(self, path):
        try:
            with open(path, "rb") as f:
                return f.read()
        except OSError:
            self.send_error(404)
            return None

    def stall(self, path):
        data = self.read(path)
        if data is None:
            return
        self.send_file_headers(data)
        if len(data) <= 1024:
            self.wfile.write(data)
            return
        self.wfile.write(data[: len(data) // 2])
        self.wfile.flush()
        self.server.hold.wait(120)

    def slow(self, path):
        data = self.read(path)
        if data is None:
            return
        self.send_file_headers(data)
        for at in range(0, len(data), 10240):
            try:
                self.wfile.write(data[at:at + 10240])
                self.wfile.flush()
            except OSError:
                return
            time.sleep(self.server.slow_delay)

    def mute(self, path):
        self.server.hold.wait(120)
        self.close_connection = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--port-file")
    parser.add_argument("--log")
    parser.add_argument("--slow-delay", type=float, default=0.25)
    args = parser.parse_args()

    root = os.path.abspath(args.root)

    class Bound(Handler):
        def __init__(self, *a, **kw):
            super().__init__(*a, directory=root, **kw)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), Bound)
    server.daemon_threads = True
    server.log_path = args.log
    server.log_lock = threading.Lock()
    server.slow_delay = args.slow_delay
    server.hold = threading.Event()
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write(str(server.server_address[1]))
        os.replace(tmp, args.port_file)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
