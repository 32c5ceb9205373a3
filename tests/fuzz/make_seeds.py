#!/usr/bin/python3
"""make_seeds.py: writes the hand-made seed inputs of the fuzz targets into
corpus/<target>/. Inputs that the fuzzers found (crashes turned into
regression inputs) live beside them under their own names and are kept."""
import gzip
import io
import os
import struct
import tarfile

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def dataset(dims, samples, tail=b""):
    return struct.pack("<3H", *dims) + struct.pack("<%dH" % len(samples), *samples) + tail


def datasets():
    put("fuzz_dataset", "cube2", dataset((2, 2, 2), range(0, 4000, 500)))
    put("fuzz_dataset", "line3_trailing", dataset((3, 1, 1), [4095, 0, 65535], b"xyz"))
    put("fuzz_dataset", "slab", dataset((5, 4, 3), [(i * 97) % 4096 for i in range(60)]))
    put("fuzz_dataset", "header_only", struct.pack("<3H", 4, 4, 4))
    put("fuzz_dataset", "huge_header", struct.pack("<3H", 65535, 65535, 65535) + b"\x01\x02")
    put("fuzz_dataset", "cut_sample", dataset((2, 1, 1), [7, 8])[:-1])


def program_texts():
    program = b"!!ARBfp1.0\nTEMP t;\nTEX t, fragment.texcoord[0], texture[0], 3D;\nMOV result.color, t;\nEND\n"
    crlf = program.replace(b"\n", b"\r\n")
    put("fuzz_program_text", "plain", b"\x00" + program)
    put("fuzz_program_text", "crlf_chunks_of_7", b"\x06" + crlf)
    put("fuzz_program_text", "ctrl_z_inside", b"\x03" + crlf[:20] + b"\x1a" + crlf[20:])
    put("fuzz_program_text", "nul_after_end", b"\x01" + program + b"\x00garbage\r\n")
    put("fuzz_program_text", "lone_and_double_cr", b"\x02a\rb\r\r\nc\r")
    put("fuzz_program_text", "limit_40_crlf", b"\x28" + crlf)
    put("fuzz_program_text", "near_shared_limit_crlf", b"\xf7\r\n")


PLIST = (b'<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0">\n<dict>\n'
         b"<key>matrix</key><dict><key>dtype</key><string>int16</string>"
         b"<key>filename</key><string>matrix.dat</string>"
         b"<key>shape</key><array><integer>2</integer><integer>2</integer><integer>3</integer></array>"
         b"</dict>\n<key>spacing</key><array><real>1.0</real><real>1</real><real>2.0</real></array>\n"
         b"<key>flag</key><true/><key>off</key><false/><key>name</key><string>a &amp; b &lt;c&gt;</string>\n"
         b"</dict>\n</plist>\n")


def plists():
    put("fuzz_plist", "project", PLIST)
    put("fuzz_plist", "nested", b"<plist><array><array><dict><key>k</key><integer>-12</integer></dict>"
        b"<real>1e3</real><string/></array></array></plist>")
    put("fuzz_plist", "comment_and_doctype", b'<?xml version="1.0"?>\n<!DOCTYPE plist>\n<!-- note -->\n'
        b"<plist><dict/></plist>\n")


def tar_bytes(members):
    buffer = io.BytesIO()
    with tarfile.open(fileobj=buffer, mode="w", format=tarfile.USTAR_FORMAT) as archive:
        for name, data in members:
            info = tarfile.TarInfo(name)
            if data is None:
                info.type = tarfile.DIRTYPE
                archive.addfile(info)
            else:
                info.size = len(data)
                archive.addfile(info, io.BytesIO(data))
    return buffer.getvalue()


def projects():
    samples = struct.pack("<12h", -2000, -1000, 0, 100, 200, 300, 1000, 1100, 1200, 1300, 3000, 3100)
    archive = tar_bytes([("proj", None), ("proj/main.plist", PLIST), ("proj/matrix.dat", samples)])
    put("fuzz_project", "project.tar", archive)
    put("fuzz_project", "project.inv3", gzip.compress(archive, mtime=0))
    put("fuzz_project", "no_samples.tar", tar_bytes([("main.plist", PLIST)]))


def raw_imports():
    samples = struct.pack("<8h", -1024, 0, 100, 1000, 2000, 3000, 4000, 5000)
    put("fuzz_raw_import", "int16", b"--raw\nscan.raw\n--dims\n2,2,2\n--type\nint16\n-o\nout.dat\x00" + samples)
    put("fuzz_raw_import", "spacing_skip_big", b"--raw=scan.raw\n--dims=2x2x2\n--type=uint16\n--endian=big\n"
        b"--spacing=0.5,0.5,1.5\n--skip=4\n--offset=-10\n--flip-z\n--output=o.dat\x00head" + samples)
    put("fuzz_raw_import", "uint8_trailing", b"--raw\nr\n--dims\n3,1,2\n--type\nuint8\n-o\no\x00abcdefXYZ")
    put("fuzz_raw_import", "inv3_refused", b"--inv3\np.inv3\n--dims\n1,1,1\n-o\no\x00")


if __name__ == "__main__":
    datasets()
    program_texts()
    plists()
    projects()
    raw_imports()
