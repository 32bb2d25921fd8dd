#!/usr/bin/env python3
"""The reference parsing service with one more answer, for the memory benchmark.

A link whose last path element is "bench-large" gets a success whose "url" names
/large?bytes=N on the service itself: N bytes (the link's ?size=N, 200 MB when
absent) that the server streams in pieces, never holding the whole body. The
link's ?run=R is passed on, so every run fetches an address of its own.

usage: bench_service.py serve --state STATE_DIR --certs CERT_DIR --port PORT
(runs in the foreground; the benchmark script starts and ends it)
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools", "reference_service"))
import reference_service as service  # noqa: E402


def large_video(handler, params):
    size = service.param(params, "size", 200 * 1024 * 1024)
    run = params.get("run", [""])[0]
    return service.json_answer({"msg": "yes", "url": service.video_url(handler, "/large", bytes=size, run=run)})


service.ANSWERS["bench-large"] = large_video

if __name__ == "__main__":
    sys.exit(service.main())
