#!/usr/bin/env python3
"""Writes a synthetic head (skin, skull, brain in air) of 32 x 32 x 32 samples
at 2 mm as a DICOM CT series in FOLDER/series and as FOLDER/head.nii.gz.
usage: write_phantom_scans.py FOLDER"""
import gzip, os, struct, sys
import numpy as np
import pydicom
from pydicom.dataset import Dataset, FileMetaDataset
from pydicom.uid import ExplicitVRLittleEndian, generate_uid

folder, n = sys.argv[1], 32
z, y, x = np.mgrid[0:n, 0:n, 0:n].astype(float)
r = np.sqrt(((x - 15.5) / 13) ** 2 + ((y - 15.5) / 11) ** 2 + ((z - 13) / 14) ** 2)
hu = np.select([r < 0.75, r < 0.9, r < 1.0], [40.0, 1200.0, 0.0], -1000.0).astype(np.int16)  # z, y, x
os.makedirs(os.path.join(folder, "series"))
uid = generate_uid()
for k in range(n):
    meta = FileMetaDataset()
    meta.MediaStorageSOPClassUID, meta.MediaStorageSOPInstanceUID = "1.2.840.10008.5.1.4.1.1.2", generate_uid()
    meta.TransferSyntaxUID = ExplicitVRLittleEndian
    ds = Dataset()
    ds.file_meta, ds.is_little_endian, ds.is_implicit_VR = meta, True, False
    ds.SOPClassUID, ds.SOPInstanceUID = meta.MediaStorageSOPClassUID, meta.MediaStorageSOPInstanceUID
    ds.Modality, ds.SeriesInstanceUID, ds.SeriesDescription = "CT", uid, "phantom head"
    ds.ImagePositionPatient, ds.ImageOrientationPatient = [0.0, 0.0, 2.0 * k], [1.0, 0, 0, 0, 1.0, 0]
    ds.PixelSpacing, ds.Rows, ds.Columns = [2.0, 2.0], n, n
    ds.SamplesPerPixel, ds.PhotometricInterpretation = 1, "MONOCHROME2"
    ds.BitsAllocated, ds.BitsStored, ds.HighBit, ds.PixelRepresentation = 16, 16, 15, 1
    ds.RescaleSlope, ds.RescaleIntercept = 1.0, 0.0
    ds.PixelData = hu[k].tobytes()
    ds.save_as(os.path.join(folder, "series", "slice%02d" % k), write_like_original=False)

# NIfTI-1, int16, values of an MR look (not Hounsfield), RAS storage with the
# same anatomy: x and y reversed against DICOM's left and posterior.
header = bytearray(352)
struct.pack_into("<i", header, 0, 348)
struct.pack_into("<8h", header, 40, 3, n, n, n, 1, 1, 1, 1)
struct.pack_into("<hh", header, 70, 4, 16)
struct.pack_into("<8f", header, 76, 1, 2, 2, 2, 1, 1, 1, 1)
struct.pack_into("<f", header, 108, 352.0)
struct.pack_into("<hh", header, 252, 0, 1)
struct.pack_into("<12f", header, 280, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0)
header[344:348] = b"n+1\x00"
mr = (hu[:, ::-1, ::-1] + 1000) // 3
with gzip.open(os.path.join(folder, "head.nii.gz"), "wb") as out:
    out.write(bytes(header) + mr.astype("<i2").tobytes())
