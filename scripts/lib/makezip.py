#!/usr/bin/env python3
"""makezip.py ZIP FOLDER NAME=PATH...: writes ZIP with each PATH as FOLDER/NAME.

The same inputs give the same bytes: members in name order, every date SOURCE_DATE_EPOCH
(or 1980-01-01), plain-file attributes. Members whose name ends in .txt get Windows line ends,
for Notepad."""
import os
import sys
import time
import zipfile


def main(argv):
    if len(argv) < 4:
        sys.stderr.write(__doc__)
        return 1
    out, folder = argv[1], argv[2]
    epoch = max(int(os.environ.get("SOURCE_DATE_EPOCH", "315532800")), 315532800)
    stamp = time.gmtime(epoch)[:6]
    members = sorted(arg.split("=", 1) for arg in argv[3:])
    tmp = out + ".tmp"
    with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name, path in members:
            with open(path, "rb") as f:
                data = f.read()
            if name.endswith(".txt"):
                data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
            info = zipfile.ZipInfo(folder + "/" + name, stamp)
            info.create_system = 0  # MS-DOS attributes: a plain file
            info.external_attr = 0x20
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data)
    os.replace(tmp, out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
