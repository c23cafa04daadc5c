#!/usr/bin/env python3
"""Makes the region cache offline.db that an installation ships beside the
client: the client's two cache tables, provinces and cities filled from
regions.tsv, schools empty (the client fetches them city by city).

    python3 make_offline_db.py regions.tsv OUT/offline.db

The file is written beside OUT under a temporary name and renamed at the end,
so a failed run never leaves a half-filled cache for the build to install.
Exit status: 0 written, 1 bad data or a write error, 2 wrong command line.
"""

import argparse
import os
import sqlite3
import sys

# The client creates these same tables on open when they are missing; the
# statements are kept word for word so both sides agree on the schema.
CREATE_STATEMENTS = (
    "create table if not exists ProCityTbl(id int PRIMARY KEY,name varchar(50),parentId int)",
    "create table if not exists SchoolTbl(id int PRIMARY KEY,name varchar(50),cityId int)",
)


class DataError(Exception):
    pass


def read_regions(path):
    """Reads id<TAB>name<TAB>parentId rows ('#' lines are comments) and checks
    them: whole positive numbers, unique ids, non-empty names, every city under
    a province listed in the file."""
    rows = []
    try:
        with open(path, encoding="utf-8") as f:
            lines = f.read().split("\n")
    except (OSError, UnicodeDecodeError) as e:
        raise DataError("cannot read %s: %s" % (path, e))
    for number, line in enumerate(lines, 1):
        if not line.strip() or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) != 3:
            raise DataError("%s:%d: want 3 tab-separated fields, found %d" % (path, number, len(fields)))
        ident, name, parent = fields
        if not ident.isdigit() or not parent.isdigit() or int(ident) <= 0:
            raise DataError("%s:%d: id and parentId must be whole numbers, id above 0" % (path, number))
        if not name.strip():
            raise DataError("%s:%d: empty name" % (path, number))
        rows.append((int(ident), name, int(parent), number))
    ids = {}
    for ident, _, _, number in rows:
        if ident in ids:
            raise DataError("%s:%d: id %d already on line %d" % (path, number, ident, ids[ident]))
        ids[ident] = number
    provinces = {ident for ident, _, parent, _ in rows if parent == 0}
    for ident, _, parent, number in rows:
        if parent != 0 and parent not in provinces:
            raise DataError("%s:%d: city %d names %d, which is not a province" % (path, number, ident, parent))
    if not provinces:
        raise DataError("%s: no provinces" % path)
    return [(ident, name, parent) for ident, name, parent, _ in rows]


def write_db(rows, out):
    tmp = out + ".part"
    if os.path.exists(tmp):
        os.remove(tmp)
    try:
        con = sqlite3.connect(tmp)
        try:
            with con:
                for statement in CREATE_STATEMENTS:
                    con.execute(statement)
                con.executemany("INSERT INTO ProCityTbl(id,name,parentId)VALUES(?,?,?)", rows)
        finally:
            con.close()
        os.replace(tmp, out)
    except BaseException:
        if os.path.exists(tmp):
            os.remove(tmp)
        raise


def main(argv=None):
    ap = argparse.ArgumentParser(description="Makes offline.db from regions.tsv.")
    ap.add_argument("regions", help="the region table (regions.tsv)")
    ap.add_argument("output", help="the database file to write (offline.db)")
    args = ap.parse_args(argv)
    try:
        rows = read_regions(args.regions)
        write_db(rows, args.output)
    except DataError as e:
        print("make_offline_db: %s" % e, file=sys.stderr)
        return 1
    except (OSError, sqlite3.Error) as e:
        print("make_offline_db: cannot write %s: %s" % (args.output, e), file=sys.stderr)
        return 1
    provinces = sum(1 for r in rows if r[2] == 0)
    print("offline.db: %d provinces, %d cities -> %s" % (provinces, len(rows) - provinces, args.output))
    return 0


if __name__ == "__main__":
    sys.exit(main())
