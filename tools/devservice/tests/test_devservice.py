"""The development service as the client and the tests meet it: a real child
process on 127.0.0.1, real HTTP requests, a real SQLite file.

TAVI_DEVSERVICE names devservice.py (default: the folder above this one)."""

import hashlib
import http.client
import json
import os
import select
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest
from urllib.parse import quote, urlencode

HERE = os.path.dirname(os.path.abspath(__file__))
SERVICE = os.environ.get("TAVI_DEVSERVICE", os.path.join(os.path.dirname(HERE), "devservice.py"))
TAIL = [("terminal_type", "pc"), ("account_type", "traveler")]


class Service:
    """One running service; stop() checks that it ends cleanly."""

    def __init__(self, *args, expect_start=True):
        self.stderr = tempfile.TemporaryFile()
        # Unbuffered, so that a line already sent is never held back from select().
        self.proc = subprocess.Popen([sys.executable, SERVICE, "--port", "0", *args],
                                     stdout=subprocess.PIPE, stderr=self.stderr, bufsize=0)
        self.port = None
        if expect_start:
            line = self.read_line(15)
            if not line.startswith("listening on http://127.0.0.1:"):
                self.proc.kill()
                raise AssertionError("no listening line: %r\n%s" % (line, self.log()))
            self.port = int(line.rsplit(":", 1)[1])

    def read_line(self, timeout):
        ready, _, _ = select.select([self.proc.stdout], [], [], timeout)
        return self.proc.stdout.readline().decode().strip() if ready else ""

    def log(self):
        self.stderr.seek(0)
        return self.stderr.read().decode("utf-8", "replace")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
        code = self.proc.wait(15)
        self.close()
        return code

    def close(self):
        self.proc.stdout.close()
        self.stderr.close()

    def request(self, method, path, body=None, timeout=10, headers=None):
        con = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)
        try:
            hdrs = {"Content-Type": "application/x-www-form-urlencoded"} if body is not None else {}
            hdrs.update(headers or {})
            con.request(method, path, body=body, headers=hdrs)
            r = con.getresponse()
            return r.status, dict(r.getheaders()), r.read()
        finally:
            con.close()

    def post(self, path, pairs):
        """POST of form fields encoded as the client does: every value
        percent-encoded as UTF-8."""
        body = pairs if isinstance(pairs, bytes) else urlencode(pairs, quote_via=quote).encode()
        return self.request("POST", path, body)

    def post_json(self, path, pairs):
        status, _, body = self.post(path, pairs)
        return status, json.loads(body)

    def control(self, order):
        status, _, body = self.request("POST", "/_control", json.dumps(order).encode(),
                                       headers={"Content-Type": "application/json"})
        return status, json.loads(body)

    def get_json(self, path):
        status, _, body = self.request("GET", path)
        return json.loads(body)


def login(svc, imei, uid=""):
    return svc.post_json("/api/user_login", [("user_id", uid), ("imei", imei), ("terminal_type", "windows"),
                                             ("device_model", "pc"), ("version", "2.1.0"),
                                             ("operating_system", "unknown widows version")])


def refresh(svc, uid, imei="dev"):
    return svc.post_json("/api/query_userInfo", [("user_id", uid), ("imei", imei)] + TAIL)


def profile(uid, imei="dev", **over):
    f = dict(name="王老师", province="110000", city="110105", kindergarten="1004", qq="123456", tel="13800000000")
    f.update(over)
    pairs = [("user_id", uid), ("imei", imei)] + [(k, f[k]) for k in ("name", "province", "city", "kindergarten")]
    if "other_kindergarten" in f:
        pairs.append(("other_kindergarten", f["other_kindergarten"]))
    return pairs + [("qq", f["qq"]), ("tel", f["tel"])] + TAIL


def regions_file():
    rows = []
    path = os.path.join(os.path.dirname(os.path.dirname(SERVICE)), "regiondata", "regions.tsv")
    if not os.path.isfile(path):
        path = os.path.join(os.path.dirname(SERVICE), "regions.tsv")
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                i, n, p = line.rstrip("\n").split("\t")
                rows.append((i, n, int(p)))
    return rows


class Requests(unittest.TestCase):
    """Every request kind with the reply shapes the client reads."""

    @classmethod
    def setUpClass(cls):
        cls.svc = Service()

    @classmethod
    def tearDownClass(cls):
        assert cls.svc.stop() == 0

    def test_login_makes_one_account_per_device(self):
        status, a = login(self.svc, "dev-login-1")
        self.assertEqual((status, a["status"]), (200, "ok"))
        self.assertIsInstance(a["id"], str)
        self.assertTrue(a["id"].isdigit())
        for key in ("province", "city", "school"):
            self.assertIsInstance(a[key], int)  # numbers, as the login reads them
        for key in ("uid", "name", "screen_name", "province_name", "city_name", "kindergarten_name",
                    "other_kindergarten", "birthday", "avatar", "email"):
            self.assertIsInstance(a[key], str)
        self.assertTrue(a["uid"])
        _, again = login(self.svc, "dev-login-1")
        self.assertEqual((again["uid"], again["id"]), (a["uid"], a["id"]))
        _, by_uid = login(self.svc, "dev-login-1", a["uid"])
        self.assertEqual(by_uid["uid"], a["uid"])
        _, other = login(self.svc, "dev-login-2")
        self.assertNotEqual(other["uid"], a["uid"])
        self.assertNotIn(login(self.svc, "dev-login-1", "tv-nobody")[1]["status"], ("ok", "success"))
        self.assertNotIn(login(self.svc, "")[1]["status"], ("ok", "success"))

    def test_simultaneous_first_logins_of_a_device_make_one_account(self):
        replies = []
        threads = [threading.Thread(target=lambda: replies.append(login(self.svc, "dev-race")[1]["uid"]))
                   for _ in range(8)]
        for t in threads:
            t.start()
        for t in threads:
            t.join(30)
        self.assertEqual(len(replies), 8)
        self.assertEqual(len(set(replies)), 1)
        self.assertEqual(len([u for u in self.svc.get_json("/_users") if u["imei"] == "dev-race"]), 1)

    def test_refresh_gives_strings_and_update_changes_the_user(self):
        uid = login(self.svc, "dev-upd")[1]["uid"]
        status, r = refresh(self.svc, uid, "dev-upd")
        self.assertEqual((status, r["status"], r["name"], r["kindergarten"], r["user_role"]), (200, "ok", "", "0", "0"))
        for key in ("id", "uid", "name", "screen_name", "province", "city", "kindergarten", "province_name",
                    "city_name", "kindergarten_name", "other_kindergarten", "birthday", "avatar", "email", "qq",
                    "tel", "is_open", "user_role"):
            self.assertIsInstance(r[key], str, key)

        self.assertEqual(self.svc.post_json("/api/up_userinfo", profile(uid))[1], {"status": "success"})
        _, r = refresh(self.svc, uid)
        self.assertEqual((r["name"], r["province"], r["city"], r["kindergarten"]), ("王老师", "110000", "110105", "1004"))
        self.assertEqual((r["province_name"], r["city_name"], r["kindergarten_name"]),
                         ("北京市", "朝阳区", "朝阳区阳光幼儿园"))
        self.assertEqual((r["qq"], r["tel"], r["user_role"]), ("123456", "13800000000", "1"))
        _, a = login(self.svc, "dev-upd")
        self.assertEqual((a["province"], a["city"], a["school"]), (110000, 110105, 1004))

        # A typed school with characters that only survive when encoded.
        other = profile(uid, city="110108", kindergarten="0", other_kindergarten="小树&大树 =幼儿园+")
        self.assertEqual(self.svc.post_json("/api/up_userinfo", other)[1]["status"], "success")
        _, r = refresh(self.svc, uid)
        self.assertEqual((r["kindergarten"], r["kindergarten_name"], r["other_kindergarten"]),
                         ("0", "", "小树&大树 =幼儿园+"))
        self.assertEqual(login(self.svc, "dev-upd")[1]["other_kindergarten"], "小树&大树 =幼儿园+")

    def test_update_refuses_bad_profiles_and_keeps_the_user(self):
        uid = login(self.svc, "dev-bad")[1]["uid"]
        self.assertEqual(self.svc.post_json("/api/up_userinfo", profile(uid))[1]["status"], "success")
        before = refresh(self.svc, uid)[1]
        cases = {
            "city of another province": profile(uid, city="310101"),
            "school of another city": profile(uid, kindergarten="1101"),
            "other school without a name": profile(uid, kindergarten="0"),
            "letters in qq": profile(uid, qq="12a"),
            "empty name": profile(uid, name=""),
            "province not a number": profile(uid, province="beijing"),
            "unknown user": profile("tv-nobody"),
            "no user": profile(""),
            "missing tel": [p for p in profile(uid) if p[0] != "tel"],
        }
        for label, pairs in cases.items():
            with self.subTest(label):
                status, reply = self.svc.post_json("/api/up_userinfo", pairs)
                self.assertNotIn(reply["status"], ("ok", "success"))
                self.assertTrue(reply["reason"])
        raw = {
            "a key twice (an unencoded '&')": ("user_id=%s&imei=d&name=a&qq=1&name=b" % uid).encode(),
            "not UTF-8": b"user_id=" + uid.encode() + b"&name=\xff\xfe",
            "not a form": b"user_id",
        }
        for label, body in raw.items():
            with self.subTest(label):
                status, reply = self.svc.post_json("/api/up_userinfo", body)
                self.assertEqual((status, reply["status"]), (400, "failure"))
        self.assertEqual(refresh(self.svc, uid)[1], before)

    def test_provinces_cities_and_schools(self):
        regions = regions_file()
        base = [("user_id", ""), ("imei", "dev-list")]
        status, provinces = self.svc.post_json("/api/get_pc", base + [("pro_id", "0")] + TAIL)
        self.assertEqual(status, 200)
        self.assertEqual([(p["id"], p["name"]) for p in provinces], [(i, n) for i, n, p in regions if p == 0])
        self.assertEqual(len(provinces), 34)
        _, beijing = self.svc.post_json("/api/get_pc", base + [("pro_id", "110000")] + TAIL)
        self.assertEqual(len(beijing), 16)
        self.assertTrue(all(isinstance(c["id"], str) and c["id"].isdigit() for c in beijing))
        self.assertEqual(self.svc.post_json("/api/get_pc", base + [("pro_id", "110101")] + TAIL)[1], [])
        for city in ("110101", "110108", "310115", "440100", "330100"):
            with self.subTest(city=city):
                _, schools = self.svc.post_json("/api/get_nurseries", base + [("city_id", city)] + TAIL)
                self.assertGreaterEqual(len(schools), 2)
                for s in schools:
                    self.assertEqual(set(s), {"id", "name"})
                    self.assertIsInstance(s["id"], str)
                    self.assertNotIn(s["id"], ("0", "184"))
        self.assertEqual(self.svc.post_json("/api/get_nurseries", base + [("city_id", "999999")] + TAIL)[1], [])
        status, reply = self.svc.post_json("/api/get_pc", base + [("pro_id", "x")] + TAIL)
        self.assertEqual((status, reply["status"]), (400, "failure"))

    def test_unknown_paths_and_methods(self):
        status, _, body = self.svc.request("POST", "/api/no_such", b"a=1")
        self.assertEqual(status, 404)
        self.assertEqual(json.loads(body)["status"], "failure")
        status, _, body = self.svc.request("GET", "/api/get_pc")
        self.assertEqual(status, 405)
        status, _, body = self.svc.request("POST", "/api/get_pc", b"x" * (2 << 20))
        self.assertEqual(status, 413)

    def test_update_check_without_an_offer(self):
        status, reply = self.svc.post_json("/api/terminal_upgrade", [("user_id", ""), ("imei", "d")] + TAIL +
                                           [("version_code", "2.1.0")])
        self.assertEqual((status, reply), (200, {"status": "nothing"}))


class Registration(unittest.TestCase):
    """The page the QR code opens, and what confirming it records."""

    @classmethod
    def setUpClass(cls):
        cls.svc = Service()

    @classmethod
    def tearDownClass(cls):
        assert cls.svc.stop() == 0

    def query(self, **over):
        f = [("imei", "phone-dev"), ("name", "<b>李&老师</b>"), ("qq", "5566"), ("tel", "13900000000"),
             ("province", "330000"), ("city", "330100"), ("kindergarten", "0"), ("user_id", ""),
             ("other_kindergarten", "小荷幼儿园")] + TAIL
        f = [(k, over.get(k, v)) for k, v in f]
        return urlencode(f, quote_via=quote)

    def test_page_shows_the_fields_and_confirming_records_the_user(self):
        status, headers, body = self.svc.request("GET", "/api/reg_userinfo?" + self.query())
        page = body.decode()
        self.assertEqual(status, 200)
        self.assertIn("text/html", headers["Content-Type"])
        self.assertNotIn("<b>李", page)  # shown as text, never as markup
        self.assertIn("&lt;b&gt;李&amp;老师&lt;/b&gt;", page)
        for shown in ("浙江省", "杭州市", "小荷幼儿园", "13900000000", "确认注册", "Confirm"):
            self.assertIn(shown, page)
        self.assertIn('<form method="post" action="/api/reg_userinfo">', page)

        status, _, body = self.svc.request("POST", "/api/reg_userinfo", self.query().encode())
        self.assertEqual(status, 200, body)
        users = [u for u in self.svc.get_json("/_users") if u["imei"] == "phone-dev"]
        self.assertEqual(len(users), 1)
        self.assertEqual((users[0]["name"], users[0]["city"], users[0]["other_school"], users[0]["registered"]),
                         ("<b>李&老师</b>", 330100, "小荷幼儿园", 1))
        # The client of that device now logs into the registered account.
        _, a = login(self.svc, "phone-dev")
        self.assertEqual((a["name"], a["city_name"], a["other_kindergarten"]), ("<b>李&老师</b>", "杭州市", "小荷幼儿园"))

    def test_a_wrong_code_shows_the_problem_and_records_nothing(self):
        for label, q in (("city of another province", self.query(city="110101", imei="phone-bad")),
                         ("no device", self.query(imei=""))):
            with self.subTest(label):
                status, _, body = self.svc.request("GET", "/api/reg_userinfo?" + q)
                self.assertEqual(status, 400)
                self.assertNotIn("<form", body.decode())
                status, _, _ = self.svc.request("POST", "/api/reg_userinfo", q.encode())
                self.assertEqual(status, 400)
        self.assertEqual([u for u in self.svc.get_json("/_users") if u["imei"] in ("phone-bad", "")], [])


class Update(unittest.TestCase):
    """The offered update, its checksum and the download variants."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.file = os.path.join(cls.tmp.name, "taviclient setup 2.2.0.bin")
        cls.data = os.urandom(6000)
        with open(cls.file, "wb") as f:
            f.write(cls.data)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def start(self, *extra):
        svc = Service("--offer-update", self.file, "--offer-version", "2.2.0", "--offer-notes", "新版本 notes",
                      *extra)
        self.addCleanup(lambda: self.assertEqual(svc.stop(), 0))
        return svc

    def check(self, svc, version):
        return svc.post_json("/api/terminal_upgrade", [("user_id", ""), ("imei", "d")] + TAIL +
                             [("version_code", version)])[1]

    def fetch(self, svc, path, hops_allowed=10):
        """Follows redirects as the download dialog does; returns (body, hops)."""
        hops = 0
        while True:
            status, headers, body = svc.request("GET", path)
            if status != 302:
                self.assertEqual(status, 200)
                return body, hops
            self.assertEqual(body, b"redirecting\n")  # a body the client must not keep
            hops += 1
            if hops > hops_allowed:
                return None, hops
            path = headers["Location"]

    def test_offer_checksum_and_download(self):
        svc = self.start()
        reply = self.check(svc, "2.1.0")
        self.assertEqual(reply["status"], "update")
        self.assertEqual((reply["version_name"], reply["version_code"], reply["version_information"]),
                         ("2.2.0", "2.2.0", "新版本 notes"))
        self.assertTrue(all(isinstance(v, str) for v in reply.values()))
        self.assertEqual(reply["sha256"], hashlib.sha256(self.data).hexdigest())
        self.assertEqual(reply["path"], "/download/taviclient%20setup%202.2.0.bin")
        self.assertEqual(self.fetch(svc, reply["path"]), (self.data, 0))
        self.assertEqual(self.check(svc, "2.2.0"), {"status": "nothing"})
        self.assertEqual(self.check(svc, "2.10.0"), {"status": "nothing"})
        self.assertEqual(self.check(svc, "2.1.9")["status"], "update")
        self.assertEqual(svc.request("GET", "/download/other.bin")[0], 404)

    def test_offer_always_redirects_and_loop(self):
        svc = self.start("--offer-always", "--redirect-download", "3")
        reply = self.check(svc, "9.0.0")
        self.assertEqual(reply["status"], "update")
        self.assertEqual(self.fetch(svc, reply["path"]), (self.data, 3))
        loop = self.start("--redirect-loop")
        body, hops = self.fetch(loop, self.check(loop, "1.0")["path"], hops_allowed=20)
        self.assertIsNone(body)
        self.assertEqual(hops, 21)

    def test_slow_download_takes_its_time(self):
        fast = self.start()
        t = time.monotonic()
        self.assertEqual(self.fetch(fast, self.check(fast, "1.0")["path"])[0], self.data)
        fast_time = time.monotonic() - t
        slow = self.start("--slow-download", "4000")  # 6000 bytes: about 1.5 s
        t = time.monotonic()
        self.assertEqual(self.fetch(slow, self.check(slow, "1.0")["path"])[0], self.data)
        slow_time = time.monotonic() - t
        self.assertGreater(slow_time, 1.2)
        self.assertLess(slow_time, 10)
        self.assertLess(fast_time, slow_time / 2)


class Failures(unittest.TestCase):
    """Chosen wrong answers, from the command line and from /_control."""

    @classmethod
    def setUpClass(cls):
        cls.svc = Service("--fail", "/api/query_userInfo=garbage", "--fail", "/api/get_pc=wrongtype")

    @classmethod
    def tearDownClass(cls):
        assert cls.svc.stop() == 0

    def setUp(self):
        self.svc.control({"clear_fail": True, "clear_requests": True,
                          "fail": {"/api/query_userInfo": "garbage", "/api/get_pc": "wrongtype"}})

    login_body = [("user_id", ""), ("imei", "f"), ("terminal_type", "windows"), ("device_model", "pc"),
                  ("version", "2.1.0"), ("operating_system", "x")]
    list_body = [("user_id", ""), ("imei", "f"), ("pro_id", "0")] + TAIL

    def test_command_line_rules(self):
        status, _, body = self.svc.post("/api/query_userInfo", [("user_id", "x"), ("imei", "f")] + TAIL)
        self.assertEqual(status, 200)
        self.assertRaises(ValueError, json.loads, body)
        _, reply = self.svc.post_json("/api/get_pc", self.list_body)
        self.assertIsInstance(reply, dict)  # an object where the client wants an array

    def test_each_mode(self):
        def expect_login(mode, check):
            self.svc.control({"fail": {"/api/user_login": {"mode": mode, "times": 1}}})
            with self.subTest(mode=mode):
                check(*self.svc.post("/api/user_login", self.login_body))
            # Counted off: the next login is answered normally.
            self.assertEqual(self.svc.post_json("/api/user_login", self.login_body)[1]["status"], "ok")

        def not_json(status, headers, body, want_status=200):
            self.assertEqual(status, want_status)
            self.assertRaises(ValueError, json.loads, body)

        expect_login("status", lambda s, h, b: self.assertEqual(json.loads(b)["status"], "failure"))
        expect_login("status:denied", lambda s, h, b: self.assertEqual(json.loads(b)["status"], "denied"))
        expect_login("http500", lambda s, h, b: not_json(s, h, b, 500))
        expect_login("http500:json", lambda s, h, b: (self.assertEqual(s, 500),
                                                      self.assertEqual(json.loads(b)["status"], "ok")))
        expect_login("garbage", not_json)
        expect_login("wrongtype", lambda s, h, b: self.assertIsInstance(json.loads(b), list))
        expect_login("empty", lambda s, h, b: self.assertEqual(json.loads(b), {}))

        self.svc.control({"fail": {"/api/user_login": {"mode": "delay:1.5", "times": 1}}})
        t = time.monotonic()
        self.assertEqual(self.svc.post_json("/api/user_login", self.login_body)[1]["status"], "ok")
        self.assertGreater(time.monotonic() - t, 1.4)
        self.svc.control({"fail": {"/api/user_login": {"mode": "delay:5", "times": 1}}})
        with self.assertRaises(socket.timeout):
            self.svc.request("POST", "/api/user_login", urlencode(self.login_body).encode(), timeout=1)

        self.svc.control({"fail": {"/api/user_login": {"mode": "drop", "times": 1}}})
        with self.assertRaises((http.client.RemoteDisconnected, ConnectionResetError)):
            self.svc.post("/api/user_login", self.login_body)
        self.svc.control({"fail": {"/api/get_pc": "empty"}})
        self.assertEqual(self.svc.post_json("/api/get_pc", self.list_body)[1], {})

    def test_bad_orders_change_nothing(self):
        before = self.svc.get_json("/_control")["fail"]
        for order in ({"fail": {"/api/get_pc": "sometimes"}}, {"fail": {"/api/get_pc": "delay:x"}},
                      {"fail": {"/api/get_pc": {"mode": "empty", "times": 0}}}, {"fail": {"no-slash": "empty"}},
                      {"fail": {"/api/a": "empty", "/api/b": "status:ok"}}, {"reboot": True}, ["fail"]):
            with self.subTest(order=order):
                status, reply = self.svc.control(order)
                self.assertEqual((status, reply["ok"]), (400, False))
        self.assertEqual(self.svc.get_json("/_control")["fail"], before)
        status, _, _ = self.svc.request("POST", "/_control", b"not json")
        self.assertEqual(status, 400)

    def test_received_bodies_are_recorded_byte_for_byte(self):
        bodies = [urlencode(self.login_body, quote_via=quote).encode(),
                  "user_id=&imei=f&name=%E7%8E%8B%26".encode(),
                  b"name=\xe7\x8e\x8b&raw=\xff"]
        for body in bodies:
            self.svc.request("POST", "/api/user_login", body)
        self.svc.request("POST", "/api/get_nurseries", b"city_id=1")
        got = self.svc.get_json("/_requests?path=/api/user_login")
        self.assertEqual([bytes.fromhex(e["body_hex"]) for e in got], bodies)
        self.assertEqual(got[1]["body"], "user_id=&imei=f&name=%E7%8E%8B%26")
        self.assertEqual(got[1]["fields"], [["user_id", ""], ["imei", "f"], ["name", "王&"]])
        self.assertIsNone(got[2]["fields"])
        self.assertEqual(got[0]["content_type"], "application/x-www-form-urlencoded")
        everything = self.svc.get_json("/_requests")
        self.assertEqual([e["path"] for e in everything], ["/api/user_login"] * 3 + ["/api/get_nurseries"])
        self.assertEqual(self.svc.request("DELETE", "/_requests")[0], 200)
        self.assertEqual(self.svc.get_json("/_requests"), [])


class Process(unittest.TestCase):
    """Start-up, address, files and stop."""

    def test_other_hosts_and_bad_options_are_refused(self):
        for args in (["--host", "0.0.0.0"], ["--host", "localhost"], ["--host", "192.168.1.2"],
                     ["--fail", "/api/get_pc=explode"], ["--offer-update", "/nonexistent", "--offer-version", "1.0"],
                     ["--offer-version", "1.0"], ["--slow-download", "10"]):
            with self.subTest(args=args):
                svc = Service(*args, expect_start=False)
                out, _ = svc.proc.communicate(timeout=15)
                self.assertEqual(svc.proc.returncode, 2)
                self.assertNotIn(b"listening", out)
                self.assertTrue(svc.log())
                svc.close()

    def test_listens_on_loopback_only_and_writes_the_port_file(self):
        with tempfile.TemporaryDirectory() as tmp:
            port_file = os.path.join(tmp, "port")
            svc = Service("--port-file", port_file)
            try:
                with open(port_file) as f:
                    self.assertEqual(int(f.read()), svc.port)
                listening = []
                for table in ("/proc/net/tcp", "/proc/net/tcp6"):
                    if os.path.exists(table):
                        with open(table) as f:
                            for line in list(f)[1:]:
                                local, state = line.split()[1], line.split()[3]
                                if state == "0A" and int(local.rsplit(":", 1)[1], 16) == svc.port:
                                    listening.append(local.rsplit(":", 1)[0])
                self.assertEqual(listening, ["0100007F"])  # 127.0.0.1, nothing else
            finally:
                self.assertEqual(svc.stop(), 0)

    def test_answers_time_requests_on_udp_beside_the_service(self):
        svc = Service()
        try:
            line = svc.read_line(5)
            self.assertTrue(line.startswith("time on 127.0.0.1:"), line)
            port = int(line.rsplit(":", 1)[1])
            with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
                sock.settimeout(5)
                request = bytes([(4 << 3) | 3]) + bytes(39) + bytes.fromhex("e9a1b2c3d4e5f607")
                sock.sendto(request, ("127.0.0.1", port))
                reply, sender = sock.recvfrom(512)
                self.assertEqual(sender, ("127.0.0.1", port))
                self.assertEqual(len(reply), 48)
                self.assertEqual(reply[0] & 7, 4)  # a server's answer
                self.assertEqual(reply[1], 2)
                self.assertEqual(reply[24:32], request[40:48])  # our transmit time handed back
                seconds = int.from_bytes(reply[40:44], "big")
                self.assertLess(abs(seconds - 2208988800 - time.time()), 5)
                # A datagram that is no client request gets no answer.
                sock.sendto(bytes([(4 << 3) | 4]) + bytes(47), ("127.0.0.1", port))
                sock.settimeout(0.5)
                self.assertRaises(socket.timeout, sock.recvfrom, 512)
        finally:
            self.assertEqual(svc.stop(), 0)

    def test_users_persist_in_the_given_database_and_a_taken_port_fails(self):
        with tempfile.TemporaryDirectory() as tmp:
            db = os.path.join(tmp, "users.db")
            first = Service("--db", db)
            uid = login(first, "dev-keep")[1]["uid"]
            first.post_json("/api/up_userinfo", profile(uid, imei="dev-keep"))
            busy = Service("--port", str(first.port), expect_start=False)
            busy.proc.communicate(timeout=15)
            self.assertEqual(busy.proc.returncode, 1)
            self.assertIn("cannot listen", busy.log())
            busy.close()
            self.assertEqual(first.stop(), 0)
            second = Service("--db", db)
            try:
                _, a = login(second, "dev-keep")
                self.assertEqual((a["uid"], a["name"]), (uid, "王老师"))
            finally:
                self.assertEqual(second.stop(), 0)
        # Without --db the temporary database goes at exit.
        svc = Service()
        temp = [line.split(" in ", 1)[1].split(";")[0] for line in svc.log().splitlines() if "users and schools" in line]
        self.assertEqual(len(temp), 1)
        self.assertTrue(os.path.exists(temp[0]))
        self.assertEqual(svc.stop(), 0)
        self.assertFalse(os.path.exists(temp[0]))


if __name__ == "__main__":
    unittest.main()
