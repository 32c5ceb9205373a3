#!/usr/bin/env python3
"""volimport on DICOM series and NIfTI files written here: every storage order
puts the phantom's markers where the anatomical convention says (+x left,
+y anterior, +z superior); refused series name the file and write nothing.
usage: import_formats_test.py VOLIMPORT [CRANIUM.inv3]"""
import gzip, os, random, shutil, struct, subprocess, sys, tarfile, tempfile
import numpy as np
import pydicom
from pydicom.dataset import Dataset, FileMetaDataset
from pydicom.encaps import encapsulate
from pydicom.uid import ExplicitVRLittleEndian, JPEG2000Lossless, generate_uid

VOLIMPORT = sys.argv[1]
failures = []

def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)

# The phantom in DICOM patient millimetres (x left, y posterior, z head):
# water, with three cubes of bone, one towards each named direction.
MARKERS = {"left": ((10, 0, 0), 1000), "anterior": ((0, -10, 0), 2000), "superior": ((0, 0, 10), 3000)}

def phantom(p):
    hu = np.zeros(p.shape[:-1], np.float64)
    for centre, value in MARKERS.values():
        inside = np.all(np.abs(p - np.array(centre)) <= 3, axis=-1)
        hu[inside] = value
    return hu

def save_slice(path, uid, pos, orientation, spacing, pixels, slope=1.0, intercept=0.0,
               syntax=ExplicitVRLittleEndian, **extra):
    meta = FileMetaDataset()
    meta.MediaStorageSOPClassUID, meta.MediaStorageSOPInstanceUID = "1.2.840.10008.5.1.4.1.1.2", generate_uid()
    meta.TransferSyntaxUID = syntax
    ds = Dataset()
    ds.file_meta = meta
    ds.SOPClassUID, ds.SOPInstanceUID = meta.MediaStorageSOPClassUID, meta.MediaStorageSOPInstanceUID
    ds.Modality, ds.SeriesInstanceUID = "CT", uid
    for key, value in extra.items():
        setattr(ds, key, value)
    if pos is not None:  # else in functional groups
        ds.ImagePositionPatient = [float(v) for v in pos]
        ds.ImageOrientationPatient = [float(v) for v in orientation]
        ds.PixelSpacing = [spacing, spacing]
    ds.Rows, ds.Columns = pixels.shape[-2:]
    ds.SamplesPerPixel, ds.PhotometricInterpretation = 1, "MONOCHROME2"
    ds.BitsAllocated, ds.BitsStored, ds.HighBit, ds.PixelRepresentation = 16, 16, 15, 1
    ds.RescaleSlope, ds.RescaleIntercept = slope, intercept
    ds.PixelData = pixels.tobytes()
    if syntax != ExplicitVRLittleEndian:  # a code stream that breaks off
        ds.PixelData = encapsulate([b"\xff\x4f\xff\x51" + bytes(60)])
    ds.is_little_endian, ds.is_implicit_VR = True, False
    ds.save_as(path, write_like_original=False)

def item(**elements):
    ds = Dataset()
    for key, value in elements.items():
        setattr(ds, key, value)
    return ds

def write_series(folder, row, col, *, n=16, spacing=2.0, slope=1.0, intercept=0.0, uid=None,
                 positions=None, size=16, description="phantom", syntax=ExplicitVRLittleEndian, enhanced=False):
    row, col = np.array(row, float), np.array(col, float)
    normal = np.cross(row, col)
    uid = uid or generate_uid()
    centre = (size - 1) / 2.0 * spacing
    origin = -centre * row - centre * col - (n - 1) / 2.0 * spacing * normal
    offsets = positions if positions is not None else [k * spacing * normal for k in range(n)]
    names = []
    ij = np.stack(np.meshgrid(np.arange(size), np.arange(size), indexing="xy"), -1) * spacing
    frames = []
    for k, off in enumerate(offsets):
        pos = origin + np.asarray(off)
        points = pos + ij[..., 0:1] * row + ij[..., 1:2] * col
        frame_slope = slope * (1 + k % 2) if enhanced else slope
        stored = np.round((phantom(points) - intercept) / frame_slope).astype(np.int16)
        if enhanced:  # frames stored top down, each with its own slope
            frames.insert(0, (item(PlanePositionSequence=[item(ImagePositionPatient=[float(v) for v in pos])],
                                   PixelValueTransformationSequence=[item(RescaleSlope=frame_slope,
                                                                          RescaleIntercept=intercept)]), stored))
            continue
        name = os.path.join(folder, "%08x" % random.getrandbits(32))  # shuffled file order
        save_slice(name, uid, pos, list(row) + list(col), spacing, stored, slope, intercept, syntax,
                   SeriesDescription=description, InstanceNumber=n - k)  # never used for the order
        names.append(name)
    if enhanced:
        shared = item(PixelMeasuresSequence=[item(PixelSpacing=[spacing, spacing])],
                      PlaneOrientationSequence=[item(ImageOrientationPatient=list(row) + list(col))])
        names.append(os.path.join(folder, "enhanced"))
        save_slice(names[0], uid, None, None, spacing, np.stack([f[1] for f in frames]), syntax=syntax, NumberOfFrames=n,
                   SharedFunctionalGroupsSequence=[shared], PerFrameFunctionalGroupsSequence=[f[0] for f in frames])
    return uid, names

def run(*args):
    return subprocess.run([VOLIMPORT, *args], capture_output=True, text=True)

def read_dataset(path):
    data = open(path, "rb").read()
    dims = struct.unpack("<3H", data[:6])
    return np.frombuffer(data[6:], "<u2").reshape(dims[2], dims[1], dims[0])  # z, y, x

def marker_sides(volume):
    """For each marker: the sign of its centroid's offset from the centre, per axis."""
    sides = {}
    centre = (np.array(volume.shape[::-1]) - 1) / 2.0
    for name, (_, value) in MARKERS.items():
        z, y, x = np.nonzero(np.abs(volume.astype(int) - (value + 1024)) < 300)
        if len(x) == 0:
            sides[name] = None
            continue
        offset = np.array([x.mean(), y.mean(), z.mean()]) - centre
        sides[name] = tuple(int(np.sign(v)) if abs(v) > 2 else 0 for v in offset)
    return sides

EXPECTED = {"left": (1, 0, 0), "anterior": (0, 1, 0), "superior": (0, 0, 1)}

def import_and_check(label, args, tmp):
    out = os.path.join(tmp, "out-%d.dat" % random.getrandbits(32))
    result = run(*args, "-o", out, "--full")
    check(result.returncode == 0, "%s: status %d: %s" % (label, result.returncode, result.stderr))
    if result.returncode == 0:
        check(marker_sides(read_dataset(out)) == EXPECTED,
              "%s: markers at %s" % (label, marker_sides(read_dataset(out))))
    return result

with tempfile.TemporaryDirectory() as tmp:
    # Storage orders: (row direction, column direction); the slice order
    # follows from the positions, whichever way the normal points.
    orders = {
        "axial": ([1, 0, 0], [0, 1, 0]),
        "axial, rows flipped": ([1, 0, 0], [0, -1, 0]),
        "axial, feet first (mirrored)": ([-1, 0, 0], [0, 1, 0]),
        "coronal": ([1, 0, 0], [0, 0, -1]),
        "coronal, head first": ([-1, 0, 0], [0, 0, 1]),
        "sagittal": ([0, 1, 0], [0, 0, -1]),
        "sagittal, transposed": ([0, 0, 1], [0, -1, 0]),
    }
    for label, (row, col) in orders.items():
        folder = tempfile.mkdtemp(dir=tmp)
        write_series(folder, row, col)
        import_and_check("DICOM " + label, ["--dicom", folder], tmp)

    # Slope and intercept; slightly uneven spacing is accepted.
    folder = tempfile.mkdtemp(dir=tmp)
    uneven = [k * 2.0 * np.array([0, 0, 1]) + [0, 0, 0.1 * (k % 2)] for k in range(16)]
    write_series(folder, [1, 0, 0], [0, 1, 0], slope=2.0, intercept=-1024.0, positions=uneven)
    import_and_check("DICOM slope 2, intercept -1024, uneven spacing", ["--dicom", folder], tmp)

    # Two series in one folder: the larger by default, --series picks, --list shows both.
    folder = tempfile.mkdtemp(dir=tmp)
    big, _ = write_series(folder, [1, 0, 0], [0, 1, 0], description="big")
    small, _ = write_series(folder, [1, 0, 0], [0, 1, 0], n=6, spacing=6.0, description="small")
    listed = run("--dicom", folder, "--list")
    check(listed.returncode == 0 and big in listed.stdout and small in listed.stdout and
          listed.stdout.index(big) < listed.stdout.index(small), "--list: " + listed.stdout + listed.stderr)
    chosen = import_and_check("two series, default", ["--dicom", folder], tmp)
    check(big in chosen.stdout and "largest of 2" in chosen.stdout, "default series not said: " + chosen.stdout)
    picked = run("--dicom", folder, "--series", small, "-o", os.path.join(tmp, "small.dat"), "--full")
    check(picked.returncode == 0 and read_dataset(os.path.join(tmp, "small.dat")).shape[0] < 20,
          "--series: " + picked.stderr)

    # Enhanced CT: the same phantom in one multi-frame file gives the same dataset as a series.
    folders = [tempfile.mkdtemp(dir=tmp) for _ in range(2)]
    write_series(folders[0], [1, 0, 0], [0, -1, 0])
    write_series(folders[1], [1, 0, 0], [0, -1, 0], enhanced=True)
    results = [run("--dicom", f, "-o", f + ".dat") for f in folders]
    check(all(r.returncode == 0 for r in results) and open(folders[0] + ".dat", "rb").read() ==
          open(folders[1] + ".dat", "rb").read(), "enhanced CT differs from its series: " + results[1].stderr)
    check("16 x 16 x 16" in run("--dicom", folders[1], "--list").stdout, "--list of an enhanced CT")

    # A corrupt file beside a series is skipped with a note.
    folder = tempfile.mkdtemp(dir=tmp)
    write_series(folder, [1, 0, 0], [0, 1, 0])
    open(os.path.join(folder, "garbage"), "wb").write(b"\x00DICM not really" * 40)
    noted = import_and_check("a corrupt file beside the series", ["--dicom", folder], tmp)
    check("garbage: skipped" in noted.stderr, "no note for the corrupt file: " + noted.stderr)

    # Refused series: each names its file and writes nothing.
    def refused(label, make, expected):
        folder = tempfile.mkdtemp(dir=tmp)
        culprit = make(folder)
        out = os.path.join(tmp, "refused.dat")
        result = run("--dicom", folder, "-o", out)
        check(result.returncode == 1 and expected in result.stderr and (culprit is None or culprit in result.stderr)
              and not os.path.exists(out), "%s: %d %s" % (label, result.returncode, result.stderr))

    def missing_slice(folder):
        _, names = write_series(folder, [1, 0, 0], [0, 1, 0])
        os.unlink(names[7])
        return names[8]
    refused("a missing slice", missing_slice, "a slice is missing")
    tilted = [k * np.array([0, 0.6, 2.0]) for k in range(16)]
    refused("a gantry tilt", lambda f: write_series(f, [1, 0, 0], [0, 1, 0], positions=tilted)[1][1], "gantry tilt")
    def mixed_sizes(folder):
        uid, _ = write_series(folder, [1, 0, 0], [0, 1, 0], n=4)
        write_series(folder, [1, 0, 0], [0, 1, 0], n=1, size=12, uid=uid, positions=[[0, 0, 8.0]])
    refused("slices of different size", mixed_sizes, "pixels, the series' first slice")
    def undecodable(folder):
        # Claims JPEG 2000 but holds plain bytes: GDCM cannot decode it.
        return write_series(folder, [1, 0, 0], [0, 1, 0], n=3, syntax=JPEG2000Lossless)[1][0]
    refused("an undecodable transfer syntax", undecodable, "cannot")
    # Damaged copies of the first slice: cut inside its pixel data, or holding
    # fewer samples than its size, refused; cut inside the header, skipped.
    def damaged(cut, last=None):
        def make(folder):
            _, names = write_series(folder, [1, 0, 0], [0, 1, 0])
            for name, how in ((names[0], cut), (names[-1], last)):
                if how:
                    data = open(name, "rb").read()
                    open(name, "wb").write(how(data))
            return names[0]
        return make
    pixel_tag = b"\xe0\x7f\x10\x00OW\x00\x00"
    refused("pixel data cut short", damaged(lambda d: d[:-100]), "pixel data is cut short")
    refused("fewer samples than the image",
            damaged(lambda d: d[:d.index(pixel_tag) + 8] + struct.pack("<I", 256) + bytes(256)), "shorter than the image")
    folder = tempfile.mkdtemp(dir=tmp)
    cut = damaged(lambda d: d[:300], lambda d: d[:700])(folder)
    noted = import_and_check("slices cut inside their headers", ["--dicom", folder], tmp)
    check(noted.stderr.count(": skipped: not a DICOM file, or a damaged one") == 2 and cut + ": skipped" in noted.stderr,
          "no notes for the cut slices: " + noted.stderr)
    # Files that stopped the process inside GDCM, kept by the fuzzer: each alone is refused, naming it.
    corpus = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "fuzz", "corpus", "fuzz_dicom_series")
    for name in sorted(n for n in os.listdir(corpus) if n.startswith("crash-")):
        refused(name, lambda f: shutil.copy(os.path.join(corpus, name), f) and None, name)
    refused("no DICOM file at all", lambda f: open(os.path.join(f, "a.txt"), "w").write("text") and None, "holds no DICOM image")

    # NIfTI-1: the same phantom in RAS storage, with several sforms and types.
    def write_nifti(path, dtype, code, affine, values, qform=False):
        header = bytearray(352)
        struct.pack_into("<i", header, 0, 348)
        dims = values.shape[::-1]
        struct.pack_into("<8h", header, 40, 3, *dims, 1, 1, 1, 1)
        struct.pack_into("<hh", header, 70, code, np.dtype(dtype).itemsize * 8)
        struct.pack_into("<8f", header, 76, 1, 2, 2, 2, 1, 1, 1, 1)
        struct.pack_into("<f", header, 108, 352.0)
        struct.pack_into("<ff", header, 112, 1.0, 0.0)
        if qform:  # a rotation of 180 degrees about z: quaternion (0, 0, 1)
            struct.pack_into("<hh", header, 252, 1, 0)
            struct.pack_into("<6f", header, 256, 0, 0, 1, affine[0][3], affine[1][3], affine[2][3])
        else:
            struct.pack_into("<hh", header, 252, 0, 1)
            struct.pack_into("<12f", header, 280, *[float(v) for r in affine for v in r])
        header[344:348] = b"n+1\x00"
        open(path, "wb").write(bytes(header) + values.astype(dtype).tobytes())

    types = {"uint8": (np.uint8, 2), "int16": (np.int16, 4), "float32": (np.float32, 16), "float64": (np.float64, 64)}
    affines = {"RAS": [[2, 0, 0, -15], [0, 2, 0, -15], [0, 0, 2, -15]],
               "LPS-stored": [[-2, 0, 0, 15], [0, -2, 0, 15], [0, 0, 2, -15]],
               "qform turned": [[-2, 0, 0, 15], [0, -2, 0, 15], [0, 0, 2, -15]]}
    for (tname, (dtype, code)), (aname, affine) in zip(types.items(), list(affines.items()) * 2):
        a = np.array(affine, float)
        k, j, i = np.meshgrid(np.arange(16), np.arange(16), np.arange(16), indexing="ij")
        ras = (a[:, :3] @ np.stack([i, j, k]).reshape(3, -1)).T + a[:, 3]
        lps = ras * [-1, -1, 1]
        values = ((phantom(lps) + 1024) / 16).reshape(16, 16, 16)  # fits every type
        path = os.path.join(tmp, "p-%s.nii" % tname)
        write_nifti(path, dtype, code, affine, values, qform=aname == "qform turned")
        one = import_and_check("NIfTI %s, %s" % (tname, aname), ["--nifti", path, "--range", "0,256"], tmp)
        check("(NIfTI-1, " in one.stdout, "NIfTI-1 file named otherwise: " + one.stdout)
        if tname == "int16":  # the same file gzip-compressed
            gzip.open(path + ".gz", "wb").write(open(path, "rb").read())
            import_and_check("NIfTI int16, gzip-compressed", ["--nifti", path + ".gz", "--range", "0,256"], tmp)
        if tname == "uint8":
            plain = run("--nifti", path, "-o", os.path.join(tmp, "plain.dat"))
            check("percentile" in plain.stdout, "no percentile said: " + plain.stdout)

    # NIfTI-2 with three volumes over time, the phantom in the second only.
    def write_nifti2(path, affine, volumes):
        header = bytearray(544)
        struct.pack_into("<i8shh", header, 0, 540, b"n+2\x00\r\n\x1a\n", 16, 32)
        struct.pack_into("<8q", header, 16, 4, *volumes.shape[::-1], 1, 1, 1)
        struct.pack_into("<8d", header, 104, 1, 2, 2, 2, 1, 1, 1, 1)
        struct.pack_into("<qdd", header, 168, 544, 1.0, 0.0)
        struct.pack_into("<ii", header, 344, 0, 1)
        struct.pack_into("<12d", header, 400, *[float(v) for r in affine for v in r])
        open(path, "wb").write(bytes(header) + volumes.astype(np.float32).tobytes())
    four = np.zeros((3,) + values.shape)
    four[1] = values
    path = os.path.join(tmp, "four.nii")
    write_nifti2(path, affine, four)  # the last phantom written above
    first = run("--nifti", path, "-o", os.path.join(tmp, "first.dat"), "--range", "0,256")
    check(first.returncode == 0 and "volume 1 of 3 is read" in first.stderr and
          read_dataset(os.path.join(tmp, "first.dat")).max() == 0, "NIfTI-2, first volume: " + first.stderr)
    second = import_and_check("NIfTI-2, --volume 2", ["--nifti", path, "--volume", "2", "--range", "0,256"], tmp)
    check("(NIfTI-2, " in second.stdout, "NIfTI-2 file named otherwise: " + second.stdout)
    beyond = run("--nifti", path, "--volume", "4", "-o", os.path.join(tmp, "none.dat"))
    check(beyond.returncode == 1 and "holds 3 volumes" in beyond.stderr, "--volume 4: " + beyond.stderr)

    # The default CT as a DICOM series gives the same dataset as its archive.
    if len(sys.argv) > 2:
        with tarfile.open(sys.argv[2]) as archive:
            member = next(m for m in archive.getmembers() if m.name.endswith("matrix.dat"))
            matrix = np.frombuffer(archive.extractfile(member).read(), "<i2").reshape(108, 256, 256)
        folder = tempfile.mkdtemp(dir=tmp)
        uid = generate_uid()
        for k in range(108):  # the archive's rows run towards the front and its slices upwards
            save_slice(os.path.join(folder, "s%03d" % ((k * 37) % 108)), uid, [0.0, 0.0, 1.5 * k],
                       [1, 0, 0, 0, -1, 0], 0.9570312, matrix[k])
        a, b = os.path.join(tmp, "ct-a.dat"), os.path.join(tmp, "ct-d.dat")
        ra, rb = run("--inv3", sys.argv[2], "-o", a), run("--dicom", folder, "-o", b)
        check(ra.returncode == 0 and rb.returncode == 0, "default CT: " + ra.stderr + rb.stderr)
        if ra.returncode == 0 and rb.returncode == 0:
            check(open(a, "rb").read() == open(b, "rb").read(), "the default CT differs between archive and DICOM")

print("%d failures" % len(failures))
sys.exit(1 if failures else 0)
