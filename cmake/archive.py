#!/usr/bin/env python3
"""Makes the release archive from an installed tree, the same bytes on every
build of one commit: SHA256SUMS for every file inside the archive, entries
in a fixed order with a fixed time (SOURCE_DATE_EPOCH, or 1980-01-01) and
fixed permissions, and SHA256SUMS beside the archive for the archive itself.

usage: archive.py TREE ARCHIVE.zip"""
import hashlib
import os
import sys
import time
import zipfile


def digest(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 16), b""):
            h.update(block)
    return h.hexdigest()


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.split("\n\n")[1])
    tree, archive = sys.argv[1], sys.argv[2]
    files = []
    for folder, _, names in os.walk(tree):
        for name in names:
            rel = os.path.relpath(os.path.join(folder, name), tree).replace(os.sep, "/")
            if rel != "SHA256SUMS":
                files.append(rel)
    files.sort()
    sums = "".join("%s  %s\n" % (digest(os.path.join(tree, f)), f) for f in files)
    with open(os.path.join(tree, "SHA256SUMS"), "w", newline="\n") as f:
        f.write(sums)
    files = sorted(files + ["SHA256SUMS"])
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "315532800"))
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(archive + ".tmp", "w") as z:
        for rel in files:
            info = zipfile.ZipInfo(rel, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3
            info.external_attr = (0o100755 if rel.endswith((".exe", ".dll")) else 0o100644) << 16
            with open(os.path.join(tree, rel), "rb") as f:
                z.writestr(info, f.read(), compresslevel=9)
    os.replace(archive + ".tmp", archive)
    with open(os.path.join(os.path.dirname(os.path.abspath(archive)), "SHA256SUMS"), "w", newline="\n") as f:
        f.write("%s  %s\n" % (digest(archive), os.path.basename(archive)))


main()
