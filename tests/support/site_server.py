"""Serves the browser build's site on 127.0.0.1 for the browser tests.

Usage: site_server.py FOLDER PRELOAD [MAX_AGE]

Prints "port N" once it listens. When the file PRELOAD exists, its text is
put into index.html as the first script of the page: what a test needs in
the page before the page's own script runs, for a browser whose driver
cannot add such a script itself. With MAX_AGE (seconds), every answer says
that browsers may keep it that long, as many static hosts do.
"""

import http.server
import os
import sys

folder, preload = sys.argv[1], sys.argv[2]
max_age = int(sys.argv[3]) if len(sys.argv) > 3 else 0


class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=folder, **kwargs)

    def log_message(self, format, *args):
        pass

    def end_headers(self):
        if max_age:
            self.send_header("Cache-Control", "max-age=%d" % max_age)
        super().end_headers()

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        if path in ("/", "/index.html") and os.path.exists(preload):
            with open(os.path.join(folder, "index.html"), "rb") as f:
                page = f.read()
            with open(preload, "rb") as f:
                script = b"<script>" + f.read() + b"</script>"
            page = page.replace(b"<head>", b"<head>" + script, 1)
            self.send_response(200)
            self.send_header("Content-Type", "text/html; charset=utf-8")
            self.send_header("Content-Length", str(len(page)))
            self.end_headers()
            self.wfile.write(page)
            return
        super().do_GET()


Handler.extensions_map[".wasm"] = "application/wasm"
Handler.extensions_map[".webmanifest"] = "application/manifest+json"
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print("port", server.server_address[1], flush=True)
server.serve_forever()
