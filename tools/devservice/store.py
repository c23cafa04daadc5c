"""The development service's data: regions (read from the region table the
client's offline.db is made of), and users and schools in SQLite."""

import os
import secrets
import sqlite3
import threading
import time

# A handful of kindergartens so that a new user finds schools in a few cities.
# Ids start above the numbers the client treats specially (0 is its "other").
# Two names carry characters that must survive form and HTML encoding.
SEED_SCHOOLS = (
    (1001, "东城区第一幼儿园", 110101),
    (1002, "东城区春芽幼儿园", 110101),
    (1003, "西城区育苗幼儿园", 110102),
    (1004, "朝阳区阳光幼儿园", 110105),
    (1005, "朝阳区蓝天&白云双语幼儿园", 110105),
    (1006, "海淀区小树苗幼儿园", 110108),
    (1007, "海淀区七色花幼儿园", 110108),
    (1101, "黄浦区小星星幼儿园", 310101),
    (1102, "徐汇区向日葵幼儿园", 310104),
    (1103, "浦东新区彩虹幼儿园", 310115),
    (1104, "浦东新区 St. Mary's 国际幼儿园", 310115),
    (1201, "广州市天河区木棉花幼儿园", 440100),
    (1202, "广州市越秀区珠江幼儿园", 440100),
    (1203, "广州市海珠区小海豚幼儿园", 440100),
    (1301, "杭州市西湖区荷花幼儿园", 330100),
    (1302, "杭州市上城区钱塘幼儿园", 330100),
)

FIRST_USER_ID = 10001


class RegionError(Exception):
    pass


class Regions:
    """Provinces (parent 0) and cities, in file order."""

    def __init__(self, rows):
        self.rows = rows
        self.by_id = {r[0]: r for r in rows}

    @classmethod
    def load(cls, path):
        rows = []
        try:
            with open(path, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    line = line.rstrip("\n")
                    if not line.strip() or line.startswith("#"):
                        continue
                    fields = line.split("\t")
                    if len(fields) != 3 or not fields[0].isdigit() or not fields[2].isdigit():
                        raise RegionError("%s:%d: want id<TAB>name<TAB>parentId" % (path, number))
                    rows.append((int(fields[0]), fields[1], int(fields[2])))
        except (OSError, UnicodeDecodeError) as e:
            raise RegionError("cannot read %s: %s" % (path, e))
        if not rows:
            raise RegionError("%s holds no regions" % path)
        return cls(rows)

    def children(self, parent):
        return [r for r in self.rows if r[2] == parent]

    def name(self, ident):
        r = self.by_id.get(ident)
        return r[1] if r else ""

    def is_province(self, ident):
        r = self.by_id.get(ident)
        return r is not None and r[2] == 0

    def is_city_of(self, city, province):
        r = self.by_id.get(city)
        return r is not None and r[2] == province and province != 0


USER_COLUMNS = ("id", "uid", "imei", "name", "screen_name", "province", "city", "school",
                "other_school", "qq", "tel", "birthday", "avatar", "email", "is_open",
                "user_role", "registered", "version", "operating_system", "created", "updated")


class Store:
    """Users and schools in one SQLite file, shared by the request threads
    through one connection behind a lock (requests are few and short)."""

    def __init__(self, path, regions):
        self.regions = regions
        self.lock = threading.Lock()
        self.con = sqlite3.connect(path, check_same_thread=False)
        self.con.row_factory = sqlite3.Row
        with self.lock, self.con:
            self.con.execute(
                "create table if not exists users("
                "id integer primary key, uid text unique not null, imei text not null,"
                "name text not null default '', screen_name text not null default '',"
                "province integer not null default 0, city integer not null default 0,"
                "school integer not null default 0, other_school text not null default '',"
                "qq text not null default '', tel text not null default '',"
                "birthday text not null default '', avatar text not null default '',"
                "email text not null default '', is_open integer not null default 1,"
                "user_role integer not null default 0, registered integer not null default 0,"
                "version text not null default '', operating_system text not null default '',"
                "created text not null, updated text not null)")
            self.con.execute("create index if not exists users_imei on users(imei)")
            self.con.execute("create table if not exists schools("
                             "id integer primary key, name text not null, city_id integer not null)")
            if self.con.execute("select count(*) from schools").fetchone()[0] == 0:
                self.con.executemany("insert into schools(id, name, city_id) values(?,?,?)", SEED_SCHOOLS)
        self.unknown_school_cities = sorted({c for _, _, c in self.all_schools() if c not in regions.by_id})

    def close(self):
        with self.lock:
            self.con.close()

    # Schools

    def all_schools(self):
        with self.lock:
            return [tuple(r) for r in self.con.execute("select id, name, city_id from schools order by id")]

    def schools_of(self, city):
        with self.lock:
            return [tuple(r) for r in
                    self.con.execute("select id, name from schools where city_id = ? order by id", (city,))]

    def school(self, ident):
        with self.lock:
            r = self.con.execute("select id, name, city_id from schools where id = ?", (ident,)).fetchone()
        return tuple(r) if r else None

    # Users

    def _row(self, r):
        return dict(zip(USER_COLUMNS, tuple(r))) if r else None

    def user_by_uid(self, uid):
        with self.lock:
            return self._row(self.con.execute("select * from users where uid = ?", (uid,)).fetchone())

    def users(self):
        with self.lock:
            return [self._row(r) for r in self.con.execute("select * from users order by id")]

    def device_user(self, imei):
        """The device's account, made on first contact; (user, created).
        Looked up and made under one lock so that two first logins of a
        device at once still make one account."""
        with self.lock, self.con:
            row = self.con.execute("select * from users where imei = ? order by updated desc, id desc limit 1",
                                   (imei,)).fetchone()
            if row:
                return self._row(row), False
            now = _now()
            top = self.con.execute("select max(id) from users").fetchone()[0]
            ident = max(top or 0, FIRST_USER_ID - 1) + 1
            uid = "tv%s" % secrets.token_hex(8)
            self.con.execute("insert into users(id, uid, imei, created, updated) values(?,?,?,?,?)",
                             (ident, uid, imei, now, now))
            row = self.con.execute("select * from users where id = ?", (ident,)).fetchone()
            return self._row(row), True

    def update_user(self, ident, **fields):
        with self.lock, self.con:
            self._set(ident, fields, _now())

    def _set(self, ident, fields, now):
        for key in fields:
            if key not in USER_COLUMNS or key in ("id", "uid", "created", "updated"):
                raise KeyError(key)
        if fields:
            assignments = ", ".join("%s = ?" % k for k in fields)
            self.con.execute("update users set %s, updated = ? where id = ?" % assignments,
                             (*fields.values(), now, ident))


def _now():
    # Sub-second stamps keep "most recently changed" well defined within a test.
    return "%.6f" % time.time()


def default_regions_path(script_dir):
    """The installed copy beside the service first, else the source tree's."""
    for candidate in (os.path.join(script_dir, "regions.tsv"),
                      os.path.join(script_dir, "..", "regiondata", "regions.tsv")):
        if os.path.isfile(candidate):
            return os.path.normpath(candidate)
    return None
