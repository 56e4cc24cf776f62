#!/usr/bin/python3
"""A time-stamp authority on 127.0.0.1 for the signing test: tsa.py OPENSSL_TS_CONFIG prints
its port, then answers each RFC 3161 request (HTTP POST) with `openssl ts -reply`."""
import http.server
import subprocess
import sys


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.end_headers()
        self.wfile.write(subprocess.run(["openssl", "ts", "-reply", "-config", sys.argv[1], "-queryfile", "/dev/stdin"],
                                        input=query, capture_output=True, check=False).stdout)


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_port, flush=True)
server.serve_forever()
