"""The service's side of the client's requests: each takes the parsed form
fields and returns an HTTP status and the JSON value to send.

Reply shapes follow what the client reads: the login gives the numbers
province, city and school as JSON numbers and everything else as strings; the
user refresh gives every value as a string (the school under "kindergarten");
region and school lists are arrays of {"id": "<digits>", "name": ...} with
the id as a string; the update check gives only strings."""

import re

INTEGER = re.compile(r"-?[0-9]{1,15}")
DIGITS = re.compile(r"[0-9]{1,20}")
VERSION = re.compile(r"[0-9]+(\.[0-9]+)*")

# Keys each request must carry, in the order the client sends them.
REQUESTS = {
    "/api/user_login": ("object", ("user_id", "imei", "terminal_type", "device_model", "version",
                                   "operating_system")),
    "/api/query_userInfo": ("object", ("user_id", "imei", "terminal_type", "account_type")),
    "/api/up_userinfo": ("object", ("user_id", "imei", "name", "province", "city", "kindergarten", "qq",
                                    "tel", "terminal_type", "account_type")),
    "/api/get_pc": ("array", ("user_id", "imei", "pro_id", "terminal_type", "account_type")),
    "/api/get_nurseries": ("array", ("user_id", "imei", "city_id", "terminal_type", "account_type")),
    "/api/terminal_upgrade": ("object", ("user_id", "imei", "terminal_type", "account_type", "version_code")),
}
OPTIONAL = {"/api/up_userinfo": ("other_kindergarten",)}

MAX_NAME = 50


class Refused(Exception):
    """A request the service turns down; the reply carries the reason."""

    def __init__(self, reason, status_word="failure", http=200):
        super().__init__(reason)
        self.reason = reason
        self.status_word = status_word
        self.http = http


def refusal(reason, status_word="failure"):
    return {"status": status_word, "reason": reason}


def version_tuple(text):
    return tuple(int(p) for p in text.split(".")) if VERSION.fullmatch(text or "") else None


class Offer:
    """The update the service offers (--offer-update)."""

    def __init__(self, path, version, notes, sha256, size, filename, always=False):
        self.path = path
        self.version = version
        self.notes = notes
        self.sha256 = sha256
        self.size = size
        self.filename = filename
        self.always = always
        self.signature = None


class Api:
    def __init__(self, store, offer=None, log=None):
        self.store = store
        self.regions = store.regions
        self.offer = offer
        self.log = log or (lambda text: None)

    def handle(self, path, fields):
        """Returns (http status, JSON value) for a request to a known path."""
        kind, required = REQUESTS[path]
        missing = [k for k in required if k not in fields]
        if missing:
            return 400, refusal("missing field '%s'" % missing[0])
        known = set(required) | set(OPTIONAL.get(path, ()))
        extra = sorted(k for k in fields if k not in known)
        if extra:
            self.log("%s: fields the client does not send: %s" % (path, ", ".join(extra)))
        method = {
            "/api/user_login": self.login,
            "/api/query_userInfo": self.query_user,
            "/api/up_userinfo": self.update_user,
            "/api/get_pc": self.provinces_cities,
            "/api/get_nurseries": self.nurseries,
            "/api/terminal_upgrade": self.upgrade,
        }[path]
        try:
            return 200, method(fields)
        except Refused as e:
            return e.http, refusal(e.reason, e.status_word)

    # Account

    def login(self, f):
        uid, imei = f["user_id"], f["imei"]
        if uid:
            user = self.store.user_by_uid(uid)
            if user is None:
                raise Refused("unknown user_id", "fail")
        elif imei:
            user, created = self.store.device_user(imei)
            if created:
                self.log("new traveller account %s (%s) for device %s" % (user["id"], user["uid"], imei))
        else:
            raise Refused("neither user_id nor imei given", "fail")
        self.store.update_user(user["id"], version=f["version"], operating_system=f["operating_system"])
        return self.login_reply(self.store.user_by_uid(user["uid"]))

    def login_reply(self, u):
        school_name, other = self.school_names(u)
        return {
            "status": "ok",
            "id": str(u["id"]),
            "uid": u["uid"],
            "name": u["name"],
            "screen_name": u["screen_name"],
            "province": u["province"],
            "city": u["city"],
            "school": u["school"],
            "province_name": self.regions.name(u["province"]),
            "city_name": self.regions.name(u["city"]),
            "kindergarten_name": school_name,
            "other_kindergarten": other,
            "birthday": u["birthday"],
            "avatar": u["avatar"],
            "email": u["email"],
        }

    def query_user(self, f):
        user = self.known_user(f["user_id"])
        school_name, other = self.school_names(user)
        return {
            "status": "ok",
            "id": str(user["id"]),
            "uid": user["uid"],
            "name": user["name"],
            "screen_name": user["screen_name"],
            "province": str(user["province"]),
            "city": str(user["city"]),
            "kindergarten": str(user["school"]),
            "province_name": self.regions.name(user["province"]),
            "city_name": self.regions.name(user["city"]),
            "kindergarten_name": school_name,
            "other_kindergarten": other,
            "birthday": user["birthday"],
            "avatar": user["avatar"],
            "email": user["email"],
            "qq": user["qq"],
            "tel": user["tel"],
            "is_open": str(user["is_open"]),
            "user_role": str(user["user_role"]),
        }

    def update_user(self, f):
        user = self.known_user(f["user_id"])
        profile = self.check_profile(f)
        self.store.update_user(user["id"], **profile)
        self.log("profile of %s saved: %s" % (user["id"], profile["name"]))
        return {"status": "success"}

    def known_user(self, uid):
        if not uid:
            raise Refused("no user_id")
        user = self.store.user_by_uid(uid)
        if user is None:
            raise Refused("unknown user_id")
        return user

    def school_names(self, user):
        """(kindergarten_name, other_kindergarten) as the client reads them."""
        if user["school"]:
            school = self.store.school(user["school"])
            return (school[1] if school else ""), ""
        return "", user["other_school"]

    def check_profile(self, f):
        """The stored fields of a profile sent by the client or confirmed on
        the registration page; Refused names the first thing wrong."""
        name = f.get("name", "").strip()
        if not name:
            raise Refused("name is empty")
        if len(name) > MAX_NAME:
            raise Refused("name is longer than %d characters" % MAX_NAME)
        numbers = {}
        for key in ("province", "city", "kindergarten"):
            value = f.get(key, "")
            if not INTEGER.fullmatch(value):
                raise Refused("%s is not a number: %r" % (key, value))
            numbers[key] = int(value)
        province, city, school = numbers["province"], numbers["city"], numbers["kindergarten"]
        if not self.regions.is_province(province):
            raise Refused("unknown province %d" % province)
        if not self.regions.is_city_of(city, province):
            raise Refused("city %d is not in province %d" % (city, province))
        other = f.get("other_kindergarten", "").strip()
        if school == 0:
            if not other:
                raise Refused("kindergarten 0 (other) needs other_kindergarten")
            if len(other) > MAX_NAME:
                raise Refused("other_kindergarten is longer than %d characters" % MAX_NAME)
        else:
            found = self.store.school(school)
            if found is None or found[2] != city:
                raise Refused("kindergarten %d is not in city %d" % (school, city))
            other = ""
        for key in ("qq", "tel"):
            if not DIGITS.fullmatch(f.get(key, "")):
                raise Refused("%s must be digits" % key)
        return {"name": name, "screen_name": name, "province": province, "city": city, "school": school,
                "other_school": other, "qq": f["qq"], "tel": f["tel"], "registered": 1, "user_role": 1}

    # Lists

    def number(self, f, key):
        value = f[key]
        if not INTEGER.fullmatch(value):
            raise Refused("%s is not a number: %r" % (key, value), http=400)
        return int(value)

    def provinces_cities(self, f):
        parent = self.number(f, "pro_id")
        return [{"id": str(ident), "name": name} for ident, name, _ in self.regions.children(parent)]

    def nurseries(self, f):
        city = self.number(f, "city_id")
        return [{"id": str(ident), "name": name} for ident, name in self.store.schools_of(city)]

    # Update

    def upgrade(self, f):
        offer = self.offer
        if offer is None:
            return {"status": "nothing"}
        current = version_tuple(f["version_code"])
        if current is None:
            self.log("version_code %r is not a dotted number; offering %s" % (f["version_code"], offer.version))
        elif not offer.always and current >= version_tuple(offer.version):
            return {"status": "nothing"}
        return {
            "status": "update",
            "path": offer.path,
            "version_name": offer.version,
            "version_code": offer.version,
            "package_name": "taviclient",
            "version_information": offer.notes,
            "reason": "",
            "sha256": offer.sha256,
            "size": str(offer.size),
            **({"signature": offer.signature} if offer.signature else {}),
        }
