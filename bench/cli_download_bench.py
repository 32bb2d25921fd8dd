#!/usr/bin/env python3
"""Throughput and peak memory of mirevo-cli downloading a large video on loopback,
against the curl command fetching the same address from the same server.

The servers are the benchmark's own, so that the clients, not the server, set the
pace: a parsing service on the port of the build's compiled-in service address
(HTTPS, certificate from the test CA) that answers every link with the video's
address, and a plain HTTP server that sends the video file with sendfile(). The
two clients run in turn, several times; each run, the median throughput of each
client and their ratio are printed. mirevo-cli's time includes its request to the
service. Peak memory is the client's maximum resident set size, from GNU time.

usage: bench/cli_download_bench.py BUILD_DIR [--megabytes 500] [--runs 3] [--out DIR]
"""

import argparse
import http.server
import json
import os
import re
import shutil
import ssl
import statistics
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class VideoHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        path = self.server.video
        with open(path, "rb") as video:
            self.send_response(200)
            self.send_header("Content-Type", "video/mp4")
            self.send_header("Content-Length", str(os.path.getsize(path)))
            self.end_headers()
            self.wfile.flush()
            self.connection.sendfile(video)

    def log_message(self, *args):
        pass


class ServiceHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        body = json.dumps({"msg": "yes", "url": self.server.video_url}).encode()
        self.send_response(200)
        self.send_header("Content-Type", "application/json; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def serve(server):
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def service_base(build_dir):
    with open(os.path.join(build_dir, "CMakeCache.txt")) as cache:
        for line in cache:
            if line.startswith("MIREVO_SERVICE_BASE:"):
                return line.split("=", 1)[1].strip()
    sys.exit("no MIREVO_SERVICE_BASE in the build's cache")


def timed_run(command, env, memory_file):
    """Wall seconds, exit status and peak resident kilobytes of one child. The peak
    comes from GNU time, which execs the command from a small process of its own:
    a child forked straight from Python would count Python's pages as its own."""
    start = time.monotonic()
    code = subprocess.call(["/usr/bin/time", "-f", "%M", "-o", memory_file] + command, env=env,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    seconds = time.monotonic() - start
    with open(memory_file) as memory:
        peak_kb = int(memory.read().split()[-1])
    return seconds, code, peak_kb


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build_dir")
    parser.add_argument("--megabytes", type=int, default=500)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--out", help="folder for the downloaded files (default: inside the build)")
    args = parser.parse_args()

    build = os.path.abspath(args.build_dir)
    program = os.path.join(build, "app", "mirevo-cli")
    base = service_base(build)
    match = re.fullmatch(r"https://localhost:(\d+)", base)
    if not match:
        sys.exit("the service address must be https://localhost:PORT, not " + base)
    certs = os.path.join(build, "bench_certs")
    out = os.path.abspath(args.out or os.path.join(build, "bench_downloads"))
    ca = os.path.join(certs, "ca.pem")
    if not os.path.exists(ca):
        subprocess.run([os.path.join(ROOT, "tools", "test_ca", "make_certs.sh"), certs], check=True,
                       stdout=subprocess.DEVNULL)
    os.makedirs(out, exist_ok=True)
    size = args.megabytes * 1000 * 1000
    source = os.path.join(out, "source.mp4")
    with open(source, "wb") as video:
        block = bytes(i % 251 for i in range(1 << 20))
        left = size
        while left > 0:
            video.write(block[:min(left, len(block))])
            left -= len(block)

    video_server = serve(http.server.ThreadingHTTPServer(("127.0.0.1", 0), VideoHandler))
    video_server.video = source
    video = "http://localhost:%d/video.mp4" % video_server.server_address[1]
    service = http.server.ThreadingHTTPServer(("127.0.0.1", int(match.group(1))), ServiceHandler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(certs, "server.pem"), os.path.join(certs, "server.key"))
    service.socket = context.wrap_socket(service.socket, server_side=True)
    service.video_url = video
    serve(service)
    link = "https://v.example/share"
    try:
        os.makedirs(out, exist_ok=True)
        env = dict(os.environ, MIREVO_CA_FILE=ca)
        print("file: %d bytes from %s" % (size, video))
        results = {"curl": [], "mirevo-cli": []}
        for run in range(args.runs):
            for name in ("curl", "mirevo-cli"):
                folder = os.path.join(out, name)
                shutil.rmtree(folder, ignore_errors=True)
                os.makedirs(folder)
                if name == "curl":
                    command = ["curl", "-sS", "--cacert", ca, "-o", os.path.join(folder, "video.mp4"), video]
                else:
                    command = [program, "--dir", folder, link]
                seconds, code, peak_kb = timed_run(command, env, os.path.join(out, "memory"))
                files = os.listdir(folder)
                got = os.path.getsize(os.path.join(folder, files[0])) if len(files) == 1 else -1
                shutil.rmtree(folder, ignore_errors=True)
                if code != 0 or got != size:
                    sys.exit("%s failed: exit %d, %d bytes" % (name, code, got))
                rate = size / seconds / 1e6
                results[name].append((rate, peak_kb))
                print("run %d %-10s %6.2f s  %7.1f MB/s  peak memory %6.1f MB" %
                      (run + 1, name, seconds, rate, peak_kb / 1024))
        median = {name: statistics.median(rate for rate, _ in runs) for name, runs in results.items()}
        peak = {name: max(kb for _, kb in runs) / 1024 for name, runs in results.items()}
        print("median throughput: curl %.1f MB/s, mirevo-cli %.1f MB/s, ratio %.3f (target >= 0.9)" %
              (median["curl"], median["mirevo-cli"], median["mirevo-cli"] / median["curl"]))
        print("peak memory: mirevo-cli %.1f MB (target <= 30 MB), curl %.1f MB" % (peak["mirevo-cli"], peak["curl"]))
    finally:
        service.shutdown()
        video_server.shutdown()
        os.remove(source)


if __name__ == "__main__":
    main()
