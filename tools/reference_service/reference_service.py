#!/usr/bin/env python3
"""The project's reference parsing service, for the end-to-end tests and the demo.

It is not part of the program. It stands in for the remote parsing service: HTTPS on
loopback (host name "localhost") with a certificate from the project's test CA, on a
fixed port (47443 unless --port says otherwise), because the program has its base
address compiled in. It is built on the test server (tools/test_server), so it also
serves that server's paths, among them the video bodies and /_log.

The four service paths take the share link raw after "url=" and answer per link. The
answer is chosen by the last path element of the link; the link's own query gives its
parameters. Any other link gets a success with a 1 MB video sent over 2 seconds, so a
link pasted by hand in the demo downloads something.

  https://v.mirevo.test/ok?size=N&ms=T   success; "url" names N bytes sent over T ms
  .../fail                               "msg" is "no"
  .../empty, not-json, html-error        an empty body, plain text, a 502 HTML page
  .../huge                               a 20 MB JSON answer (success, padded)
  .../deep                               success nested 100000 arrays deep
  .../bad-utf8                           success with an invalid UTF-8 sequence inside
  .../msg-Yes, msg-yes-space             "msg" of "Yes" and of "yes "
  .../no-url                             "msg" is "yes", no "url"
  .../url-file, url-javascript, url-relative
                                         a "url" that is not an http(s) address
  .../url-404, url-drop, url-redirect-loop
                                         a video that answers 404, whose connection
                                         is reset halfway, that redirects for ever
  .../never-answers?s=S                  keeps the connection open, never answers,
                                         and closes it after S seconds (120)

Every request is recorded as by the test server (path with its raw query, header lines
in order). GET /_log?contains=TEXT returns the records whose path holds TEXT, so that
tests running side by side each see their own (put a unique part in each link).

usage: reference_service.py start|serve|stop --state STATE_DIR --certs CERT_DIR
                            [--port 47443] [--idle-exit S] [--max-life S]
"""

import argparse
import json
import os
import signal
import subprocess
import sys
import threading
import time
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "test_server"))
import test_server  # noqa: E402

DEFAULT_PORT = 47443
SERVICE_PATHS = ("/api/dywsyjx", "/api/kswsyjx", "/api/tiktokwsyjx", "/api/xgspjx")
HUGE_BODY_BYTES = 20 * 1024 * 1024
DEEP_NESTING = 100000


def video_url(handler, path, **params):
    """An address on this service itself, as the program will fetch it."""
    query = ("?" + urllib.parse.urlencode(params)) if params else ""
    return "https://localhost:%d%s%s" % (handler.server.server_address[1], path, query)


def json_answer(document):
    return 200, [("Content-Type", "application/json; charset=utf-8")], json.dumps(document).encode()


def raw_json_answer(body):
    return 200, [("Content-Type", "application/json; charset=utf-8")], body


def param(params, name, default):
    try:
        return int(params.get(name, [str(default)])[0])
    except ValueError:
        return default


def success(handler, params, size=100000, ms=0):
    url = video_url(handler, "/download", size=param(params, "size", size), ms=param(params, "ms", ms))
    return json_answer({"msg": "yes", "url": url})


def small_video(handler):
    return video_url(handler, "/download", size=1000)


def never_answers(handler, params):
    deadline = time.monotonic() + param(params, "s", 120)
    while time.monotonic() < deadline:
        time.sleep(0.1)
        test_server.RECORDER.touch()
    handler.close_connection = True
    return None


def huge(handler, params):
    head = b'{"msg":"yes","url":"' + small_video(handler).encode() + b'","padding":"'
    tail = b'"}'
    return raw_json_answer(head + b"x" * (HUGE_BODY_BYTES - len(head) - len(tail)) + tail)


def deep(handler, params):
    head = b'{"msg":"yes","url":"' + small_video(handler).encode() + b'","deep":'
    return raw_json_answer(head + b"[" * DEEP_NESTING + b"]" * DEEP_NESTING + b"}")


def bad_utf8(handler, params):
    # "\xC3\x28": a lead byte followed by something that cannot continue it.
    return raw_json_answer(b'{"note":"\xc3\x28","msg":"yes","url":"' + small_video(handler).encode() + b'"}')


# Per link name: handler, params -> (status, headers, body), or None when answered.
ANSWERS = {
    "ok": success,
    "fail": lambda h, p: json_answer({"msg": "no"}),
    "empty": lambda h, p: raw_json_answer(b""),
    "not-json": lambda h, p: (200, [("Content-Type", "text/plain")], b"msg: yes"),
    "html-error": lambda h, p: (502, [("Content-Type", "text/html")],
                                b"<html><head><title>502 Bad Gateway</title></head><body>Bad Gateway</body></html>"),
    "huge": huge,
    "deep": deep,
    "bad-utf8": bad_utf8,
    "msg-Yes": lambda h, p: json_answer({"msg": "Yes", "url": small_video(h)}),
    "msg-yes-space": lambda h, p: json_answer({"msg": "yes ", "url": small_video(h)}),
    "no-url": lambda h, p: json_answer({"msg": "yes"}),
    "url-file": lambda h, p: json_answer({"msg": "yes", "url": "file:///C:/windows/win.ini"}),
    "url-javascript": lambda h, p: json_answer({"msg": "yes", "url": "javascript:alert(1)"}),
    "url-relative": lambda h, p: json_answer({"msg": "yes", "url": "../download?size=1000"}),
    "url-404": lambda h, p: json_answer({"msg": "yes", "url": video_url(h, "/download/missing")}),
    "url-drop": lambda h, p: json_answer({"msg": "yes", "url": video_url(h, "/download/reset", size=200000)}),
    "url-redirect-loop": lambda h, p: json_answer({"msg": "yes", "url": video_url(h, "/redirect-loop")}),
    "never-answers": never_answers,
}


def answer_parse(handler):
    """The parsing service: the link is everything after "url=", taken raw."""
    query = handler.query
    link = query[len("url="):] if query.startswith("url=") else ""
    split = urllib.parse.urlsplit(link)
    name = split.path.rstrip("/").rsplit("/", 1)[-1]
    params = urllib.parse.parse_qs(split.query, keep_blank_values=True)
    answer = ANSWERS.get(name)
    if answer is None:
        return success(handler, params, size=1 << 20, ms=2000)
    return answer(handler, params)


def answer_log(handler):
    contains = test_server.query_values(handler, "contains", "")[0]
    records = [r for r in test_server.RECORDER.snapshot() if contains in r["path"]]
    return 200, [("Content-Type", "application/json")], json.dumps(records).encode()


HANDLERS = dict(test_server.HANDLERS)
HANDLERS.update({path: answer_parse for path in SERVICE_PATHS})
HANDLERS["/_log"] = answer_log


class ReferenceHandler(test_server.Handler):
    server_version = "MirevoReferenceService/1.0"

    def handlers(self):
        return HANDLERS


def serve(args):
    server = test_server.Server("reference", ReferenceHandler, test_server.tls_context(args.certs, "server"), args.port)
    threading.Thread(target=server.serve_forever, daemon=True).start()

    os.makedirs(args.state, exist_ok=True)
    env_file = os.path.join(args.state, "server.env")
    with open(env_file + ".tmp", "w") as out:
        out.write("https_port=%d\npid=%d\n" % (server.server_address[1], os.getpid()))
    os.replace(env_file + ".tmp", env_file)

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    started = time.monotonic()
    while not stop.wait(1.0):
        idle = time.monotonic() - test_server.RECORDER.last_activity
        if idle > args.idle_exit or time.monotonic() - started > args.max_life:
            break
    try:
        os.remove(env_file)
    except OSError:
        pass


def start(args):
    """Starts the service in the background; returns once it listens, or fails when
    it cannot (the port is taken, say), with the reason from its output."""
    test_server.stop(args)
    os.makedirs(args.state, exist_ok=True)
    command = [sys.executable, os.path.abspath(__file__), "serve", "--state", args.state, "--certs", args.certs,
               "--port", str(args.port), "--idle-exit", str(args.idle_exit), "--max-life", str(args.max_life)]
    output_file = os.path.join(args.state, "server.out")
    with open(output_file, "wb") as output:
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=output, stderr=output,
                                   start_new_session=True)
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        env = test_server.read_env(args.state)
        if "pid" in env:
            print("\n".join("%s=%s" % item for item in env.items()))
            return 0
        if process.poll() is not None:
            break
        time.sleep(0.1)
    with open(output_file, errors="replace") as output:
        sys.stderr.write(output.read())
    print("reference service did not start on port %d" % args.port, file=sys.stderr)
    return 1


def main():
    parser = argparse.ArgumentParser(description="Mirevo's reference parsing service")
    parser.add_argument("command", choices=["start", "serve", "stop"])
    parser.add_argument("--state", required=True, help="folder for server.env and the service's output")
    parser.add_argument("--certs", help="folder made by tools/test_ca/make_certs.sh")
    parser.add_argument("--port", type=int, default=DEFAULT_PORT)
    parser.add_argument("--idle-exit", type=float, default=300, help="seconds without a request before exiting")
    parser.add_argument("--max-life", type=float, default=3600, help="seconds before exiting in any case")
    args = parser.parse_args()
    if args.command != "stop" and not args.certs:
        parser.error("--certs is needed to serve")
    args.state = os.path.abspath(args.state)
    if args.command == "serve":
        serve(args)
        return 0
    return start(args) if args.command == "start" else test_server.stop(args)


if __name__ == "__main__":
    sys.exit(main())
