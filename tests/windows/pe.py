"""A PE32 or PE32+ file read for the checks: its bytes, its sections, its
data directories and the file offset of a relative virtual address."""
import struct


class Pe:
    def __init__(self, path, plus=False):
        """plus: the file must be PE32+ (x64) instead of PE32."""
        data = self.data = open(path, "rb").read()
        if data[:2] != b"MZ":
            raise ValueError("not a PE file")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        count = struct.unpack_from("<H", data, pe + 6)[0]
        optional_size = struct.unpack_from("<H", data, pe + 20)[0]
        self.optional = pe + 24
        if struct.unpack_from("<H", data, self.optional)[0] != (0x20B if plus else 0x10B):
            raise ValueError("not PE32+" if plus else "not PE32")
        # The data directories follow a 64-bit image base and stack sizes in PE32+.
        self.directories = self.optional + (112 if plus else 96)
        self.sections = []
        self.section_data = []  # (name, file offset, size in the file)
        for i in range(count):
            s = self.optional + optional_size + 40 * i
            vsize, va, rawsize, raw = struct.unpack_from("<IIII", data, s + 8)
            self.sections.append((va, max(vsize, rawsize), raw))
            self.section_data.append((data[s:s + 8].rstrip(b"\0").decode("ascii", "replace"), raw, rawsize))

    def directory(self, index):
        """The RVA of data directory index (0 exports, 1 imports), 0 when absent."""
        return struct.unpack_from("<I", self.data, self.directories + 8 * index)[0]

    def directory_size(self, index):
        return struct.unpack_from("<I", self.data, self.directories + 8 * index + 4)[0]

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("rva %x outside every section" % rva)

    def text(self, rva):
        o = self.offset(rva)
        return self.data[o:self.data.index(b"\0", o)].decode("ascii")
