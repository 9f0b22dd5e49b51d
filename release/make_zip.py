#!/usr/bin/env python3
"""Write the release zip so that the same inputs give the same bytes.

usage: make_zip.py OUTPUT.zip NAME=PATH [NAME=PATH ...]

Entries go in name order, each with one fixed date (SOURCE_DATE_EPOCH when
set, else 1980-01-01 00:00), fixed permissions and no extra fields, so
neither the build folder, the clock, the user nor the file system's
directory order reaches the archive.
"""
import os
import sys
import time
import zipfile

DOS_EPOCH = (1980, 1, 1, 0, 0, 0)


def entry_date():
    value = os.environ.get("SOURCE_DATE_EPOCH", "")
    if not value:
        return DOS_EPOCH
    if not value.isdigit():
        sys.exit("SOURCE_DATE_EPOCH is not a whole number of seconds: %r" % value)
    t = time.gmtime(int(value))[:6]
    # ZIP dates start in 1980 and count seconds in steps of two.
    return max(DOS_EPOCH, t[:5] + (t[5] - t[5] % 2,))


def main():
    if len(sys.argv) < 3 or not all("=" in a for a in sys.argv[2:]):
        sys.exit(__doc__.strip().splitlines()[2])
    output = sys.argv[1]
    entries = dict(a.split("=", 1) for a in sys.argv[2:])
    if len(entries) != len(sys.argv) - 2:
        sys.exit("an entry name is given twice")
    date = entry_date()
    tmp = output + ".tmp"
    with zipfile.ZipFile(tmp, "w") as z:
        for name in sorted(entries):
            with open(entries[name], "rb") as f:
                data = f.read()
            info = zipfile.ZipInfo(name, date_time=date)
            info.create_system = 3  # Unix, so that the modes below mean something
            mode = 0o755 if name.lower().endswith(".exe") else 0o644
            info.external_attr = (0o100000 | mode) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data, compresslevel=9)
    os.replace(tmp, output)


if __name__ == "__main__":
    main()
