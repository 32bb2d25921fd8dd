#!/usr/bin/env python3
"""The project's own HTTP/HTTPS test server, for tests that drive real HTTP clients.

It listens on loopback (use the host name "localhost"), on ports chosen at start:
  http            plain HTTP
  https           HTTPS with a certificate for localhost from the project's test CA
  untrusted_https HTTPS with a certificate from a CA nobody trusts
  wrong_name_https HTTPS from the test CA, but for another host name
  expired_https   HTTPS from the test CA, expired
  proxy           a small HTTP proxy that asks for Basic credentials
  stalled_connect a port whose connections are never accepted (connect time-outs)
The chosen ports and the proxy credentials go to STATE_DIR/server.env as key=value
lines. Every request is recorded (method, path, header lines in order, body) and
GET /_log returns the records as JSON (/_log?clear=1 also empties the list).

Answers per path are in the HANDLERS table; add a function there for a new path.

usage: test_server.py start|serve|stop --state STATE_DIR --certs CERT_DIR [--idle-exit S]
"start" runs the server in the background and returns once its ports are known;
"stop" ends it. The server also ends by itself after --idle-exit seconds without a
request, and after --max-life seconds in any case, so an orphan never lingers.
"""

import argparse
import base64
import http.client
import http.server
import json
import os
import signal
import socket
import ssl
import struct
import subprocess
import sys
import threading
import time
import urllib.parse

PROXY_USER = "mirevo"
PROXY_PASSWORD = "proxy-secret"


class Recorder:
    """The requests seen so far, in order, and the time of the last one."""

    def __init__(self):
        self.lock = threading.Lock()
        self.records = []
        self.last_activity = time.monotonic()

    def add(self, record):
        with self.lock:
            self.records.append(record)
            self.last_activity = time.monotonic()

    def touch(self):
        with self.lock:
            self.last_activity = time.monotonic()

    def snapshot(self, clear=False):
        with self.lock:
            out = list(self.records)
            if clear:
                self.records.clear()
            return out


RECORDER = Recorder()


def query_values(handler, name, default=None):
    values = urllib.parse.parse_qs(handler.query, keep_blank_values=True).get(name)
    return values if values else ([default] if default is not None else [])


def query_int(handler, name, default):
    try:
        return int(query_values(handler, name, str(default))[0])
    except ValueError:
        return default


def request_dump(handler):
    """The request as it arrived: request line, header lines, blank line, body."""
    lines = [handler.requestline] + handler.header_lines
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + handler.body


# Each handler answers one path: it returns (status, [(name, value)...], body bytes),
# or None when it has answered (or dropped the connection) itself.
def answer_echo(handler):
    return 200, [("Content-Type", "text/plain")], request_dump(handler)


def answer_bytes(handler):
    # Every byte value once, zero included, to show bodies come back unchanged.
    return 200, [("Content-Type", "application/octet-stream")], bytes(range(256))


def answer_redirect(handler):
    target = query_values(handler, "to", "/echo")[0]
    code = query_int(handler, "code", 302)
    return code, [("Location", target)], b"redirecting"


def answer_redirect_loop(handler):
    return 302, [("Location", "/redirect-loop")], b"again"


def answer_set_cookie(handler):
    headers = [("Set-Cookie", value) for value in query_values(handler, "c")]
    return 200, headers + [("Content-Type", "text/plain")], b"cookies set"


def answer_status(handler):
    code = query_int(handler, "code", 200)
    return code, [("Content-Type", "text/plain")], b"status %d" % code


def answer_slow(handler):
    time.sleep(query_int(handler, "ms", 1000) / 1000.0)
    return answer_echo(handler)


def answer_stall(handler):
    # Accepts the request and never answers; the connection is closed after a while.
    deadline = time.monotonic() + query_int(handler, "s", 30)
    while time.monotonic() < deadline:
        time.sleep(0.1)
    handler.close_connection = True
    return None


def answer_large(handler):
    size = query_int(handler, "bytes", 1 << 20)
    handler.send_response(200)
    handler.send_header("Content-Type", "application/octet-stream")
    handler.send_header("Content-Length", str(size))
    handler.end_headers()
    if handler.command == "HEAD":
        return None
    # Byte i of the body is i % 251, so a client can check any part of it.
    pattern = bytes(i % 251 for i in range(251)) * 261
    sent = 0
    while sent < size:
        offset = sent % 251
        chunk = pattern[offset:offset + min(len(pattern) - 251, size - sent)]
        handler.wfile.write(chunk)
        sent += len(chunk)
    return None


def download_body(size):
    """The body of the /download paths: byte i is i % 251, as for /large."""
    return (bytes(range(251)) * (size // 251 + 1))[:size]


def send_download(handler, announce_length, send_bytes, ms=0):
    """Sends a 200 video answer; the body goes out in up to 50 pieces over ms milliseconds."""
    size = query_int(handler, "size", 100000)
    body = download_body(size)
    handler.send_response(200)
    handler.send_header("Content-Type", "video/mp4")
    if announce_length:
        handler.send_header("Content-Length", str(size))
    handler.send_header("Connection", "close")
    handler.end_headers()
    handler.close_connection = True
    body = body[:send_bytes(size)]
    pieces = 50 if ms > 0 else 1
    step = max(1, -(-len(body) // pieces))
    for start in range(0, len(body), step):
        handler.wfile.write(body[start:start + step])
        handler.wfile.flush()
        if ms > 0:
            time.sleep(ms / 1000.0 / pieces)
            RECORDER.touch()


def answer_download(handler):
    # The whole body with its length; ?ms=N spreads it over N milliseconds.
    send_download(handler, True, lambda size: size, query_int(handler, "ms", 0))
    return None


def answer_download_unknown_length(handler):
    # No Content-Length: the end of the body is the end of the connection.
    send_download(handler, False, lambda size: size, query_int(handler, "ms", 0))
    return None


def answer_download_short(handler):
    # Announces the whole length, sends half, then closes the connection in order.
    send_download(handler, True, lambda size: size // 2)
    time.sleep(0.2)
    return None


def answer_download_reset(handler):
    # Announces the whole length, sends half, then resets the connection.
    send_download(handler, True, lambda size: size // 2)
    time.sleep(0.2)
    handler.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    handler.connection.close()
    return None


def answer_download_missing(handler):
    page = b"<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1></body></html>"
    return 404, [("Content-Type", "text/html")], page


def answer_log(handler):
    clear = query_values(handler, "clear", "0")[0] == "1"
    records = RECORDER.snapshot(clear)
    return 200, [("Content-Type", "application/json")], json.dumps(records).encode()


HANDLERS = {
    "/echo": answer_echo,
    "/bytes": answer_bytes,
    "/redirect": answer_redirect,
    "/redirect-loop": answer_redirect_loop,
    "/set-cookie": answer_set_cookie,
    "/status": answer_status,
    "/slow": answer_slow,
    "/stall": answer_stall,
    "/large": answer_large,
    "/download": answer_download,
    "/download/unknown-length": answer_download_unknown_length,
    "/download/short": answer_download_short,
    "/download/reset": answer_download_reset,
    "/download/missing": answer_download_missing,
    "/_log": answer_log,
}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "MirevoTestServer/1.0"

    def log_message(self, format, *args):
        pass

    def read_request(self):
        self.header_lines = ["%s: %s" % (name, value) for name, value in self.headers.items()]
        length = int(self.headers.get("Content-Length") or 0)
        self.body = self.rfile.read(length) if length > 0 else b""
        split = urllib.parse.urlsplit(self.path)
        self.route, self.query = split.path, split.query

    def record(self, server_name):
        if self.route == "/_log":
            RECORDER.touch()
            return
        RECORDER.add({
            "server": server_name,
            "method": self.command,
            "path": self.path,
            "headers": self.header_lines,
            "body": self.body.decode("latin-1"),
        })

    def send_answer(self, status, headers, body):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def dispatch(self):
        self.read_request()
        self.record(self.server.name)
        handler = self.handlers().get(self.route)
        if handler is None:
            self.send_answer(404, [("Content-Type", "text/plain")], b"no such path")
            return
        answer = handler(self)
        if answer is not None:
            self.send_answer(*answer)

    def handlers(self):
        """The table of answers by path; a server built on this one passes its own."""
        return HANDLERS


class ProxyHandler(Handler):
    """A forward proxy for plain HTTP behind Basic credentials. It never leaves loopback:
    localhost goes to the port asked for, and any host name under .test goes to the
    http listener, so a client that got an answer for such a name went through here."""

    origin_port = 0

    expected = "Basic " + base64.b64encode(("%s:%s" % (PROXY_USER, PROXY_PASSWORD)).encode()).decode()

    def dispatch(self):
        self.read_request()
        self.record("proxy")
        if self.headers.get("Proxy-Authorization") != self.expected:
            self.send_answer(407, [("Proxy-Authenticate", 'Basic realm="mirevo test proxy"'),
                                   ("Content-Type", "text/plain")], b"proxy credentials needed")
            return
        target = urllib.parse.urlsplit(self.path)
        if target.scheme == "http" and target.hostname in ("localhost", "127.0.0.1"):
            host, port = target.hostname, target.port or 80
        elif target.scheme == "http" and (target.hostname or "").endswith(".test"):
            host, port = "127.0.0.1", self.origin_port
        else:
            self.send_answer(403, [("Content-Type", "text/plain")], b"loopback only")
            return
        connection = http.client.HTTPConnection(host, port, timeout=60)
        path = target.path + ("?" + target.query if target.query else "")
        headers = {name: value for name, value in self.headers.items()
                   if name.lower() not in ("proxy-authorization", "proxy-connection", "connection")}
        connection.request(self.command, path, body=self.body or None, headers=headers)
        response = connection.getresponse()
        body = response.read()
        passed = [(n, v) for n, v in response.getheaders()
                  if n.lower() not in ("content-length", "connection", "transfer-encoding")]
        connection.close()
        self.send_answer(response.status, passed, body)


for _method in ("GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT", "PATCH"):
    setattr(Handler, "do_" + _method, lambda self: self.dispatch())


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, name, handler, tls_context=None, port=0):
        self.name = name
        self.tls_context = tls_context
        super().__init__(("127.0.0.1", port), handler)

    def finish_request(self, request, client_address):
        # The TLS handshake runs on the connection's own thread, so a client that
        # refuses the certificate cannot hold up the others.
        if self.tls_context is not None:
            try:
                request = self.tls_context.wrap_socket(request, server_side=True)
            except (ssl.SSLError, OSError):
                return
        super().finish_request(request, client_address)

    def handle_error(self, request, client_address):
        pass


class StalledListener:
    """A port where a connection is never accepted: its queue is kept full, so a
    client's connect attempt waits until the client gives up."""

    def __init__(self):
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(0)
        self.port = self.listener.getsockname()[1]
        self.fillers = []
        for _ in range(4):
            filler = socket.socket()
            filler.setblocking(False)
            try:
                filler.connect(("127.0.0.1", self.port))
            except BlockingIOError:
                pass
            self.fillers.append(filler)


def tls_context(certs, name):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(certs, name + ".pem"), os.path.join(certs, name + ".key"))
    return context


def serve(args):
    servers = {
        "http": Server("http", Handler),
        "https": Server("https", Handler, tls_context(args.certs, "server")),
        "untrusted_https": Server("untrusted_https", Handler, tls_context(args.certs, "rogue-server")),
        "wrong_name_https": Server("wrong_name_https", Handler, tls_context(args.certs, "wrong-name")),
        "expired_https": Server("expired_https", Handler, tls_context(args.certs, "expired")),
        "proxy": Server("proxy", ProxyHandler),
    }
    ProxyHandler.origin_port = servers["http"].server_address[1]
    for server in servers.values():
        threading.Thread(target=server.serve_forever, daemon=True).start()
    stalled_connect = StalledListener()

    os.makedirs(args.state, exist_ok=True)
    lines = ["%s_port=%d" % (name, server.server_address[1]) for name, server in servers.items()]
    lines.append("stalled_connect_port=%d" % stalled_connect.port)
    lines += ["proxy_user=" + PROXY_USER, "proxy_password=" + PROXY_PASSWORD, "pid=%d" % os.getpid()]
    env_file = os.path.join(args.state, "server.env")
    with open(env_file + ".tmp", "w") as out:
        out.write("\n".join(lines) + "\n")
    os.replace(env_file + ".tmp", env_file)

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    started = time.monotonic()
    while not stop.wait(1.0):
        idle = time.monotonic() - RECORDER.last_activity
        if idle > args.idle_exit or time.monotonic() - started > args.max_life:
            break
    try:
        os.remove(env_file)
    except OSError:
        pass


def read_env(state):
    try:
        with open(os.path.join(state, "server.env")) as env:
            return dict(line.strip().split("=", 1) for line in env if "=" in line)
    except OSError:
        return {}


def stop(args):
    pid = int(read_env(args.state).get("pid", "0"))
    if pid <= 0:
        return 0
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            break
        time.sleep(0.1)
    try:
        os.remove(os.path.join(args.state, "server.env"))
    except OSError:
        pass
    return 0


def start(args):
    stop(args)
    os.makedirs(args.state, exist_ok=True)
    command = [sys.executable, os.path.abspath(__file__), "serve", "--state", args.state, "--certs", args.certs,
               "--idle-exit", str(args.idle_exit), "--max-life", str(args.max_life)]
    with open(os.path.join(args.state, "server.out"), "wb") as output:
        subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=output, stderr=output, start_new_session=True)
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        env = read_env(args.state)
        if "pid" in env:
            print("\n".join("%s=%s" % item for item in env.items()))
            return 0
        time.sleep(0.1)
    print("test server did not start; see " + os.path.join(args.state, "server.out"), file=sys.stderr)
    return 1


def main():
    parser = argparse.ArgumentParser(description="Mirevo's HTTP/HTTPS test server")
    parser.add_argument("command", choices=["start", "serve", "stop"])
    parser.add_argument("--state", required=True, help="folder for server.env and the server's output")
    parser.add_argument("--certs", help="folder made by tools/test_ca/make_certs.sh")
    parser.add_argument("--idle-exit", type=float, default=300, help="seconds without a request before exiting")
    parser.add_argument("--max-life", type=float, default=3600, help="seconds before exiting in any case")
    args = parser.parse_args()
    if args.command != "stop" and not args.certs:
        parser.error("--certs is needed to serve")
    args.state = os.path.abspath(args.state)
    if args.command == "serve":
        serve(args)
        return 0
    return start(args) if args.command == "start" else stop(args)


if __name__ == "__main__":
    sys.exit(main())
