#!/usr/bin/env python3
"""usage: write_dicom_series.py PROJECT.inv3 FOLDER: the CT of a project archive
(its int16 matrix, in Hounsfield units, and its spacing) as a DICOM series of
one file per slice in FOLDER, for timing the viewer on a scan opened directly."""
import os, plistlib, sys, tarfile
import numpy as np
from pydicom.dataset import Dataset, FileMetaDataset
from pydicom.uid import ExplicitVRLittleEndian, generate_uid

archive, folder = tarfile.open(sys.argv[1]), sys.argv[2]
member = lambda suffix: archive.extractfile(next(m for m in archive.getmembers() if m.name.endswith(suffix)))
project = plistlib.load(member("main.plist"))
shape, (sx, sy, sz) = project["matrix"]["shape"], project["spacing"]
ct = np.frombuffer(member(project["matrix"]["filename"]).read(), dtype="<i2").reshape(shape)
os.makedirs(folder, exist_ok=True)
uid = generate_uid()
for k, plane in enumerate(ct):
    ds, ds.file_meta = Dataset(), FileMetaDataset()
    ds.SOPClassUID, ds.SOPInstanceUID = "1.2.840.10008.5.1.4.1.1.2", generate_uid()
    ds.file_meta.MediaStorageSOPClassUID, ds.file_meta.MediaStorageSOPInstanceUID = ds.SOPClassUID, ds.SOPInstanceUID
    ds.file_meta.TransferSyntaxUID, ds.is_little_endian, ds.is_implicit_VR = ExplicitVRLittleEndian, True, False
    ds.Modality, ds.SeriesInstanceUID, ds.PixelSpacing = "CT", uid, [sy, sx]
    ds.Rows, ds.Columns = plane.shape
    ds.ImagePositionPatient, ds.ImageOrientationPatient = [0.0, 0.0, sz * k], [1.0, 0, 0, 0, 1.0, 0]
    ds.SamplesPerPixel, ds.PhotometricInterpretation, ds.PixelRepresentation = 1, "MONOCHROME2", 1
    ds.BitsAllocated, ds.BitsStored, ds.HighBit, ds.PixelData = 16, 16, 15, plane.tobytes()
    ds.save_as(os.path.join(folder, "slice%03d.dcm" % k), write_like_original=False)
