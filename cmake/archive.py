#!/usr/bin/env python3
"""Makes the release archive from an installed tree, the same bytes on every
build of one commit: one top-level folder named as the archive, FILES.sha256
in it for every other file, entries in a fixed order with a fixed time
(SOURCE_DATE_EPOCH, or 1980-01-01) and fixed permissions, and SHA256SUMS
beside the archive for the archive itself. Unpacked beside that SHA256SUMS,
the archive replaces nothing. The README's line on signatures says whether
this build's programs and DLL are signed.

usage: archive.py TREE ARCHIVE.zip"""
import hashlib
import os
import struct
import sys
import time
import zipfile


def digest(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 16), b""):
            h.update(block)
    return h.hexdigest()


def signed(path):
    """Whether a PE file carries an Authenticode signature (a certificate table)."""
    with open(path, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    magic = struct.unpack_from("<H", data, pe + 24)[0]
    directories = pe + 24 + (112 if magic == 0x20B else 96)  # the data directories of PE32+ (x64) or PE32
    return struct.unpack_from("<II", data, directories + 4 * 8)[1] != 0


UNSIGNED = ("This build is not signed: its files carry no Authenticode signature. Check them by their "
            "SHA-256 digests.")
SIGNED = ("This build is signed: each .exe and .dll carries an Authenticode signature. Check it in the "
          "file's Properties, Digital Signatures, or with `osslsigncode verify FILE`.")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.split("\n\n")[1])
    tree, archive = sys.argv[1], sys.argv[2]
    top = os.path.basename(archive)[:-len(".zip")] + "/"
    programs = sorted(os.path.join(folder, name) for folder, _, names in os.walk(tree)
                      for name in names if name.endswith((".exe", ".dll")))
    states = {signed(p) for p in programs}
    if len(states) > 1:
        sys.exit("archive.py: some programs are signed and some are not: sign them all (scripts/sign.sh)")
    readme = os.path.join(tree, "README.md")
    with open(readme, encoding="utf-8") as f:
        text = f.read()
    if UNSIGNED not in text:
        sys.exit("archive.py: README.md lacks the line on signatures")
    if states == {True}:
        with open(readme, "w", encoding="utf-8", newline="\n") as f:
            f.write(text.replace(UNSIGNED, SIGNED))
    files = []
    for folder, _, names in os.walk(tree):
        for name in names:
            rel = os.path.relpath(os.path.join(folder, name), tree).replace(os.sep, "/")
            if rel != "FILES.sha256":
                files.append(rel)
    files.sort()
    sums = "".join("%s  %s\n" % (digest(os.path.join(tree, f)), f) for f in files)
    with open(os.path.join(tree, "FILES.sha256"), "w", newline="\n") as f:
        f.write(sums)
    files = sorted(files + ["FILES.sha256"])
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "315532800"))
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(archive + ".tmp", "w") as z:
        for rel in files:
            info = zipfile.ZipInfo(top + rel, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3
            info.external_attr = (0o100755 if rel.endswith((".exe", ".dll")) else 0o100644) << 16
            with open(os.path.join(tree, rel), "rb") as f:
                z.writestr(info, f.read(), compresslevel=9)
    os.replace(archive + ".tmp", archive)
    with open(os.path.join(os.path.dirname(os.path.abspath(archive)), "SHA256SUMS"), "w", newline="\n") as f:
        f.write("%s  %s\n" % (digest(archive), os.path.basename(archive)))


main()
