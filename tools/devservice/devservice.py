#!/usr/bin/env python3
"""tavi development service: a local stand-in for the online service, so the
client's profile page, registration and update can be tried and tested on
this machine. Listens on 127.0.0.1 only. See README.md for every option."""

import argparse
import hashlib
import os
import shutil
import signal
import sqlite3
import sys
import tempfile
import threading
from urllib.parse import quote

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # keep the installation folder as installed

from api import VERSION, Api, Offer  # noqa: E402
from faults import Faults, ModeError, RequestLog, parse_rule  # noqa: E402
from regpage import RegistrationPage  # noqa: E402
from server import Server, Service, log  # noqa: E402
from store import RegionError, Regions, Store, default_regions_path  # noqa: E402
from timeserver import open_beside  # noqa: E402

HOST = "127.0.0.1"


def options(argv):
    ap = argparse.ArgumentParser(prog="devservice", description="Local stand-in for the tavi online service.")
    ap.add_argument("--host", default=HOST, help="must be 127.0.0.1 (the only address it listens on)")
    ap.add_argument("--port", type=int, default=8765, help="port to listen on; 0 picks a free one (default 8765)")
    ap.add_argument("--port-file", metavar="PATH", help="also write the port to this file once listening")
    ap.add_argument("--db", metavar="PATH", help="SQLite file of users and schools (default: a fresh temporary "
                                                 "one, removed at exit)")
    ap.add_argument("--regions", metavar="PATH", help="region table (default: regions.tsv beside the service, "
                                                      "else tools/regiondata/regions.tsv)")
    ap.add_argument("--offer-update", metavar="FILE", help="offer FILE as a client update")
    ap.add_argument("--offer-version", metavar="X.Y.Z", help="version of the offered update")
    ap.add_argument("--offer-notes", metavar="TEXT", default="修复问题，改进体验。Fixes and improvements.",
                    help="what the update brings")
    ap.add_argument("--offer-always", action="store_true",
                    help="offer the update even to a client whose version is not older")
    ap.add_argument("--slow-download", metavar="BYTES_PER_SEC", type=int, default=0,
                    help="send the offered file at this rate")
    ap.add_argument("--redirect-download", metavar="N", type=int, default=0,
                    help="answer the download with N redirects before the file")
    ap.add_argument("--redirect-loop", action="store_true", help="answer the download with redirects forever")
    ap.add_argument("--fail", metavar="PATH=MODE", action="append", default=[],
                    help="answer PATH with a chosen failure: status[:WORD], http500[:json], garbage, wrongtype, "
                         "empty, delay:SECONDS, drop (repeatable)")
    args = ap.parse_args(argv)
    if args.host != HOST:
        ap.error("--host %s refused: the development service listens on %s only" % (args.host, HOST))
    if not 0 <= args.port <= 65535:
        ap.error("--port must be 0 to 65535")
    if bool(args.offer_update) != bool(args.offer_version):
        ap.error("--offer-update and --offer-version go together")
    if args.offer_version and not VERSION.fullmatch(args.offer_version):
        ap.error("--offer-version wants dotted numbers such as 2.2.0")
    if args.offer_update and not os.path.isfile(args.offer_update):
        ap.error("--offer-update: %s is not a file" % args.offer_update)
    if args.slow_download < 0 or args.redirect_download < 0:
        ap.error("--slow-download and --redirect-download cannot be negative")
    if not args.offer_update and (args.slow_download or args.redirect_download or args.redirect_loop
                                  or args.offer_always):
        ap.error("download options need --offer-update")
    rules = []
    for text in args.fail:
        try:
            rules.append(parse_rule(text))
        except ModeError as e:
            ap.error("--fail %s: %s" % (text, e))
    args.rules = rules
    return args


def make_offer(args):
    digest = hashlib.sha256()
    size = 0
    with open(args.offer_update, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
            size += len(block)
    name = os.path.basename(args.offer_update)
    return Offer("/download/" + quote(name), args.offer_version, args.offer_notes, digest.hexdigest(), size,
                 os.path.abspath(args.offer_update), args.offer_always)


def main(argv=None):
    args = options(sys.argv[1:] if argv is None else argv)
    regions_path = args.regions or default_regions_path(HERE)
    if not regions_path:
        log("no region table found; give --regions PATH")
        return 1
    try:
        regions = Regions.load(regions_path)
    except RegionError as e:
        log(str(e))
        return 1

    temp_dir = None
    db_path = args.db
    if not db_path:
        temp_dir = tempfile.mkdtemp(prefix="tavi-devservice-")
        db_path = os.path.join(temp_dir, "service.db")
    try:
        store = Store(db_path, regions)
    except sqlite3.Error as e:
        log("cannot open %s: %s" % (db_path, e))
        return 1
    for city in store.unknown_school_cities:
        log("schools of city %d, which the region table does not have" % city)

    try:
        offer = make_offer(args) if args.offer_update else None
    except OSError as e:
        log("cannot read %s: %s" % (args.offer_update, e))
        return 1
    faults = Faults()
    for path, mode in args.rules:
        faults.set(path, mode)
    api = Api(store, offer, log)
    service = Service(api, RegistrationPage(api), faults, RequestLog(), offer, args.slow_download,
                      args.redirect_download, args.redirect_loop)
    try:
        server = Server((HOST, args.port), service)
    except OSError as e:
        log("cannot listen on %s:%d: %s" % (HOST, args.port, e))
        return 1
    port = server.server_address[1]
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n" % port)
        os.replace(tmp, args.port_file)

    stopping = threading.Event()

    def stop(signum, frame):
        if not stopping.is_set():
            stopping.set()
            threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    log("users and schools in %s; %d regions from %s" % (db_path, len(regions.rows), regions_path))
    if offer:
        log("offering %s %s at %s (%d bytes, sha256 %s)" % (offer.filename, offer.version, offer.path, offer.size,
                                                            offer.sha256))
    for path, mode in args.rules:
        log("failing %s with %s" % (path, mode))
    clock = open_beside(HOST, port, log)
    print("listening on http://%s:%d" % (HOST, port), flush=True)
    if clock:
        print("time on %s:%d" % (HOST, clock.port), flush=True)
    else:
        log("no UDP port for the time server")
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        if clock:
            clock.close()
        server.server_close()
        store.close()
        if temp_dir:
            shutil.rmtree(temp_dir, ignore_errors=True)
    log("stopped")
    return 0


if __name__ == "__main__":
    sys.exit(main())
