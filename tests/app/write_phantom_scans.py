#!/usr/bin/env python3
"""usage: write_phantom_scans.py FOLDER: a synthetic head of 32^3 samples at 2 mm
as a DICOM CT series in FOLDER/series and as FOLDER/head.nii.gz (MR-like values), both with
the first DICOM sample's centre at x -31, y -25, z -40 mm in DICOM patient coordinates."""
import gzip, os, struct, sys
import numpy as np
from pydicom.dataset import Dataset, FileMetaDataset
from pydicom.uid import ExplicitVRLittleEndian, generate_uid

folder, n, uid = sys.argv[1], 32, generate_uid()
z, y, x = np.mgrid[0:n, 0:n, 0:n].astype(float)
r = np.sqrt(((x - 15.5) / 13) ** 2 + ((y - 15.5) / 11) ** 2 + ((z - 13) / 14) ** 2)
hu = np.select([r < 0.75, r < 0.9, r < 1.0], [40, 1200, 0], -1000).astype(np.int16)  # z, y, x
os.makedirs(os.path.join(folder, "series"))
for k in range(n):
    ds, ds.file_meta = Dataset(), FileMetaDataset()
    ds.SOPClassUID, ds.SOPInstanceUID = "1.2.840.10008.5.1.4.1.1.2", generate_uid()
    ds.file_meta.MediaStorageSOPClassUID, ds.file_meta.MediaStorageSOPInstanceUID = ds.SOPClassUID, ds.SOPInstanceUID
    ds.file_meta.TransferSyntaxUID, ds.is_little_endian, ds.is_implicit_VR = ExplicitVRLittleEndian, True, False
    ds.Modality, ds.SeriesInstanceUID, ds.PixelSpacing, ds.Rows, ds.Columns = "CT", uid, [2.0, 2.0], n, n
    ds.ImagePositionPatient, ds.ImageOrientationPatient = [-31.0, -25.0, 2.0 * k - 40], [1.0, 0, 0, 0, 1.0, 0]
    ds.SamplesPerPixel, ds.PhotometricInterpretation, ds.PixelRepresentation = 1, "MONOCHROME2", 1
    ds.BitsAllocated, ds.BitsStored, ds.HighBit, ds.PixelData = 16, 16, 15, hu[k].tobytes()
    ds.save_as(os.path.join(folder, "series", "slice%02d" % k), write_like_original=False)

# NIfTI-1 int16 whose +x and +y run to the right and the front: DICOM's reversed, in RAS mm.
header = bytearray(struct.pack("<i", 348).ljust(352, b"\0"))
struct.pack_into("<8h3f4h9f", header, 40, 3, n, n, n, 1, 1, 1, 1, 0, 0, 0, 0, 4, 16, 0, 1, 2, 2, 2, 1, 1, 1, 1, 352)
struct.pack_into("<hh24x12f", header, 252, 0, 1, 2, 0, 0, -31, 0, 2, 0, -37, 0, 0, 2, -40)
header[344:348] = b"n+1\x00"
with gzip.open(os.path.join(folder, "head.nii.gz"), "wb") as out:
    out.write(bytes(header) + ((hu[:, ::-1, ::-1] + 1000) // 3).astype("<i2").tobytes())
