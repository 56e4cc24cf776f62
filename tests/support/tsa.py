#!/usr/bin/python3
"""A time-stamp authority on 127.0.0.1 for the signing tests: tsa.py OPENSSL_TS_CONFIG.
Prints its port, then answers each RFC 3161 request (HTTP POST) with `openssl ts -reply`
until it gets SIGTERM."""
import http.server
import subprocess
import sys
import tempfile


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        with tempfile.NamedTemporaryFile() as query:
            query.write(self.rfile.read(int(self.headers["Content-Length"])))
            query.flush()
            reply = subprocess.run(["openssl", "ts", "-reply", "-config", sys.argv[1], "-queryfile", query.name],
                                   capture_output=True, check=False).stdout
        self.send_response(200 if reply else 500)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_port, flush=True)
server.serve_forever()
