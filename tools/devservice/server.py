"""HTTP side of the development service: routing, form parsing, chosen
failures, the request record and the update download."""

import json
from html import escape
import os
import socket
import sys
import time
import traceback
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qsl, urlsplit

from api import REQUESTS
from faults import ModeError, check_rule

MAX_BODY = 1 << 20
MAX_DRAIN = 64 << 20
GARBAGE = b'{"status":"ok","uid":"trunc'
ERROR_PAGE = (b"<html><head><title>500 Internal Server Error</title></head>"
              b"<body><h1>500 Internal Server Error</h1></body></html>\n")
REDIRECT_BODY = b"redirecting\n"


class BadForm(ValueError):
    pass


def parse_form(raw):
    """Form-encoded UTF-8 (the client percent-encodes every value) -> dict.
    A key given twice is refused: it means a value leaked an '&'."""
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError:
        raise BadForm("the body is not UTF-8")
    if not text:
        return {}, []
    try:
        pairs = parse_qsl(text, keep_blank_values=True, strict_parsing=True, encoding="utf-8", errors="strict")
    except (ValueError, UnicodeDecodeError) as e:
        raise BadForm("not a form: %s" % e)
    fields = {}
    for key, value in pairs:
        if key in fields:
            raise BadForm("field '%s' given twice" % key)
        fields[key] = value
    return fields, pairs


def log(text):
    sys.stderr.write("devservice: %s\n" % text)
    sys.stderr.flush()


class Service:
    """What the request threads share."""

    def __init__(self, api, regpage, faults, requests, offer=None, slow=0, redirect_hops=0, redirect_loop=False):
        self.api = api
        self.regpage = regpage
        self.faults = faults
        self.requests = requests
        self.offer = offer
        self.slow = slow
        self.redirect_hops = redirect_hops
        self.redirect_loop = redirect_loop


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, service):
        self.service = service
        super().__init__(address, Handler)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "tavi-devservice/1"

    def do_GET(self):
        self.dispatch("GET")

    def do_POST(self):
        self.dispatch("POST")

    def do_DELETE(self):
        self.dispatch("DELETE")

    def do_PUT(self):
        self.dispatch("PUT")

    def log_request(self, code="-", size="-"):
        pass  # one line per request is written by dispatch

    def log_message(self, fmt, *args):
        log("%s %s" % (self.address_string(), fmt % args))

    # Plumbing

    def read_body(self):
        if self.headers.get("Transfer-Encoding", "").lower() == "chunked":
            data = b""
            while True:
                size = int(self.rfile.readline().split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    while self.rfile.readline().strip():
                        pass
                    return data
                data += self.rfile.read(size)
                self.rfile.readline()
                if len(data) > MAX_BODY:
                    raise BadForm("body too large")
        length = self.headers.get("Content-Length")
        if not length:
            return b""
        if not length.isdigit():
            raise BadForm("bad Content-Length")
        if int(length) > MAX_BODY:
            # Read it away (within reason) so the client gets to see the answer
            # instead of a reset connection.
            left = int(length) if int(length) <= MAX_DRAIN else 0
            while left > 0:
                got = self.rfile.read(min(left, 1 << 16))
                if not got:
                    break
                left -= len(got)
            raise BadForm("body larger than %d bytes" % MAX_BODY)
        return self.rfile.read(int(length))

    def send(self, status, body, content_type, headers=()):
        if self.forced_status:
            status = self.forced_status
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)
        self.sent = (status, len(body))

    def send_json(self, status, value):
        self.send(status, json.dumps(value, ensure_ascii=False).encode("utf-8"), "application/json; charset=utf-8")

    def send_html(self, status, text):
        self.send(status, text.encode("utf-8"), "text/html; charset=utf-8")

    def dispatch(self, method):
        started = time.monotonic()
        self.sent = None
        self.forced_status = None
        note = ""
        service = self.server.service
        parts = urlsplit(self.path)
        path, query = parts.path, parts.query
        try:
            try:
                body = self.read_body()
            except (BadForm, ValueError) as e:
                self.close_connection = True
                self.send_json(413, {"status": "failure", "reason": str(e)})
                return
            if path.startswith("/_"):
                self.control(method, path, query, body)
                return
            try:
                fields = [list(p) for p in parse_form(body)[1]]
            except BadForm:
                fields = None
            service.requests.add(method, path, query, dict(self.headers), body, fields)
            fault = service.faults.take(path)
            if fault:
                note = " [fail %s%s]" % (fault[0], "" if fault[1] in (None, "") else ":%s" % fault[1])
                if fault[0] == "delay":
                    time.sleep(fault[1])
                elif fault[0] == "drop":
                    self.close_connection = True
                    self.connection.shutdown(socket.SHUT_RDWR)
                    self.sent = ("dropped", 0)
                    return
                elif fault[0] == "http500" and fault[1] == "json":
                    self.forced_status = 500
                else:
                    self.send_fault(path, fault)
                    return
            self.route(method, path, query, body)
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True
            note += " [client went away]"
        except Exception:
            traceback.print_exc()
            if self.sent is None:
                self.close_connection = True
                self.send_json(500, {"status": "failure", "reason": "internal error of the development service"})
        finally:
            status, size = self.sent if self.sent else ("-", 0)
            log("%s %s %s %dB %dms%s" % (method, self.path, status, size,
                                        (time.monotonic() - started) * 1000, note))

    def send_fault(self, path, fault):
        kind = REQUESTS[path][0] if path in REQUESTS else "object"
        name, arg = fault
        if name == "status":
            self.send_json(200, {"status": arg, "reason": "failure chosen for a test"})
        elif name == "http500":
            self.send(500, ERROR_PAGE, "text/html")
        elif name == "garbage":
            self.send(200, GARBAGE, "application/json")
        elif name == "wrongtype":
            self.send_json(200, {"id": "1", "name": "wrong type"} if kind == "array" else [{"status": "ok"}])
        elif name == "empty":
            self.send_json(200, {})

    # Routes

    def route(self, method, path, query, body):
        service = self.server.service
        if path in REQUESTS:
            if method != "POST":
                self.send_json(405, {"status": "failure", "reason": "%s wants POST" % path})
                return
            ctype = self.headers.get("Content-Type", "")
            if ctype.split(";")[0].strip() != "application/x-www-form-urlencoded":
                log("%s: Content-Type %r, not a form" % (path, ctype))
            try:
                fields, _ = parse_form(body)
            except BadForm as e:
                self.send_json(400, {"status": "failure", "reason": str(e)})
                return
            status, value = service.api.handle(path, fields)
            self.send_json(status, value)
        elif path == "/api/reg_userinfo":
            try:
                fields, _ = parse_form(query.encode("latin-1") if method == "GET" else body)
            except (BadForm, UnicodeEncodeError) as e:
                self.send_html(400, "<p>Bad registration link: %s</p>" % escape(str(e)))
                return
            if method == "GET":
                self.send_html(*service.regpage.show(fields))
            elif method == "POST":
                self.send_html(*service.regpage.confirm(fields))
            else:
                self.send_json(405, {"status": "failure", "reason": "GET or POST"})
        elif service.offer and path == service.offer.path and method == "GET":
            self.download(query)
        elif path == "/" and method == "GET":
            self.send(200, b"tavi development service\n", "text/plain; charset=utf-8")
        else:
            self.send_json(404, {"status": "failure", "reason": "no such request: %s %s" % (method, path)})

    def download(self, query):
        service = self.server.service
        offer = service.offer
        q = dict(parse_qsl(query))
        if service.redirect_loop:
            nxt = "2" if q.get("loop") == "1" else "1"
            self.send(302, REDIRECT_BODY, "text/plain", [("Location", "%s?loop=%s" % (offer.path, nxt))])
            return
        hop = int(q["hop"]) if q.get("hop", "").isdigit() else 0
        if hop < service.redirect_hops:
            self.send(302, REDIRECT_BODY, "text/plain", [("Location", "%s?hop=%d" % (offer.path, hop + 1))])
            return
        try:
            f = open(offer.filename, "rb")
        except OSError as e:
            self.send_json(404, {"status": "failure", "reason": "offered file unreadable: %s" % e})
            return
        with f:
            size = os.fstat(f.fileno()).st_size
            if size != offer.size:
                log("%s changed since start: sha256 no longer matches" % offer.filename)
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(size))
            self.end_headers()
            rate = service.slow
            chunk = max(1, min(64 * 1024, rate // 20)) if rate else 64 * 1024
            started = time.monotonic()
            sent = 0
            while sent < size:
                data = f.read(min(chunk, size - sent))
                if not data:
                    break
                self.wfile.write(data)
                self.wfile.flush()
                sent += len(data)
                if rate:
                    ahead = sent / rate - (time.monotonic() - started)
                    if ahead > 0:
                        time.sleep(ahead)
            self.sent = (200, sent)
            if sent < size:
                self.close_connection = True

    # Test control

    def control(self, method, path, query, body):
        service = self.server.service
        if path == "/_requests" and method == "GET":
            only = dict(parse_qsl(query)).get("path")
            self.send_json(200, service.requests.list(only))
        elif path == "/_requests" and method == "DELETE":
            service.requests.clear()
            self.send_json(200, {"ok": True})
        elif path == "/_users" and method == "GET":
            self.send_json(200, service.api.store.users())
        elif path == "/_control" and method == "GET":
            self.send_json(200, self.state())
        elif path == "/_control" and method == "POST":
            try:
                self.apply_control(body)
            except (ModeError, ValueError, TypeError) as e:
                self.send_json(400, {"ok": False, "error": str(e)})
                return
            self.send_json(200, dict(self.state(), ok=True))
        else:
            self.send_json(404, {"ok": False, "error": "no such control: %s %s" % (method, path)})

    def state(self):
        service = self.server.service
        offer = service.offer
        return {
            "fail": service.faults.snapshot(),
            "offer": None if offer is None else {"path": offer.path, "version": offer.version, "size": offer.size,
                                                 "sha256": offer.sha256},
            "slow_download": service.slow,
            "redirect_download": service.redirect_hops,
            "redirect_loop": service.redirect_loop,
        }

    def apply_control(self, body):
        """{"clear_fail": true, "clear_requests": true,
            "fail": {PATH: MODE | {"mode": MODE, "times": N} | null}}"""
        try:
            order = json.loads(body.decode("utf-8"))
        except (UnicodeDecodeError, ValueError) as e:
            raise ValueError("control body is not JSON: %s" % e)
        if not isinstance(order, dict):
            raise ValueError("control body must be a JSON object")
        unknown = set(order) - {"clear_fail", "clear_requests", "fail"}
        if unknown:
            raise ValueError("unknown control keys: %s" % ", ".join(sorted(unknown)))
        faults = self.server.service.faults
        rules = order.get("fail", {})
        if not isinstance(rules, dict):
            raise ValueError("'fail' must map paths to modes")
        # Check everything before changing anything.
        checked = []
        for path, rule in rules.items():
            if rule is None:
                checked.append((path, None, None))
                continue
            if isinstance(rule, str):
                rule = {"mode": rule}
            if not isinstance(rule, dict) or set(rule) - {"mode", "times"}:
                raise ValueError("a rule is a mode or {\"mode\": ..., \"times\": N}")
            check_rule(path, rule.get("mode"), rule.get("times"))
            checked.append((path, rule["mode"], rule.get("times")))
        if order.get("clear_fail"):
            faults.clear()
        if order.get("clear_requests"):
            self.server.service.requests.clear()
        for path, mode, times in checked:
            if mode is None:
                faults.clear(path)
            else:
                faults.set(path, mode, times)
