"""Chosen wrong answers for tests (--fail PATH=MODE, POST /_control) and the
record of what the service received (GET /_requests)."""

import threading
import time

MODES = ("status", "http500", "garbage", "wrongtype", "empty", "delay", "drop")
MAX_DELAY = 600.0
MAX_RECORDED = 10000


class ModeError(ValueError):
    pass


def parse_mode(text):
    """'status', 'status:WORD', 'http500', 'http500:json', 'garbage',
    'wrongtype', 'empty', 'delay:SECONDS', 'drop' -> (name, argument)."""
    if not isinstance(text, str):
        raise ModeError("a mode is a text, not %r" % (text,))
    name, _, arg = text.partition(":")
    if name not in MODES:
        raise ModeError("unknown mode %r (one of %s)" % (text, ", ".join(MODES)))
    if name == "delay":
        try:
            seconds = float(arg)
        except ValueError:
            raise ModeError("delay needs seconds: delay:12")
        if not 0 <= seconds <= MAX_DELAY:
            raise ModeError("delay must be 0 to %g seconds" % MAX_DELAY)
        return name, seconds
    if name == "status":
        if arg in ("ok", "success"):
            raise ModeError("status:%s is what the client accepts, not an error" % arg)
        return name, arg or "failure"
    if name == "http500":
        if arg not in ("", "json"):
            raise ModeError("http500 or http500:json")
        return name, arg
    if arg:
        raise ModeError("%s takes no argument" % name)
    return name, None


def parse_rule(text):
    """'PATH=MODE' of the command line -> (path, mode text)."""
    path, sep, mode = text.partition("=")
    if not sep or not path.startswith("/"):
        raise ModeError("--fail wants PATH=MODE, e.g. /api/get_pc=garbage")
    parse_mode(mode)
    return path, mode


def check_rule(path, mode, times=None):
    parse_mode(mode)
    if times is not None and (not isinstance(times, int) or isinstance(times, bool) or times < 1):
        raise ModeError("times must be a whole number above 0")
    if not isinstance(path, str) or not path.startswith("/"):
        raise ModeError("a path starts with '/'")


class Faults:
    def __init__(self):
        self.lock = threading.Lock()
        self.rules = {}  # path -> {"mode": text, "times": int or None}

    def set(self, path, mode, times=None):
        check_rule(path, mode, times)
        with self.lock:
            self.rules[path] = {"mode": mode, "times": times}

    def clear(self, path=None):
        with self.lock:
            if path is None:
                self.rules.clear()
            else:
                self.rules.pop(path, None)

    def snapshot(self):
        with self.lock:
            return {p: dict(r) for p, r in self.rules.items()}

    def take(self, path):
        """The mode to apply to this request, counting it off a limited rule."""
        with self.lock:
            rule = self.rules.get(path)
            if rule is None:
                return None
            if rule["times"] is not None:
                rule["times"] -= 1
                if rule["times"] <= 0:
                    del self.rules[path]
            return parse_mode(rule["mode"])


class RequestLog:
    def __init__(self):
        self.lock = threading.Lock()
        self.entries = []
        self.dropped = 0

    def add(self, method, path, query, headers, body, fields):
        entry = {
            "time": round(time.time(), 6),
            "method": method,
            "path": path,
            "query": query,
            "content_type": headers.get("Content-Type", ""),
            "body": body.decode("utf-8", errors="replace"),
            "body_hex": body.hex(),
            "fields": fields,
        }
        with self.lock:
            self.entries.append(entry)
            if len(self.entries) > MAX_RECORDED:
                del self.entries[0]
                self.dropped += 1

    def list(self, path=None):
        with self.lock:
            return [dict(e) for e in self.entries if path is None or e["path"] == path]

    def clear(self):
        with self.lock:
            self.entries.clear()
