#!/usr/bin/python3
"""Frames per second of one of VTK's ray-cast volume mappers on a dataset file.

usage: vtk_raycast_bench.py DATASET [--frames N] [--mapper gpu|cpu] [--size EDGE]
                            [--framing viewer|fit]

Draws the dataset (three little-endian uint16 dimensions, then uint16
samples, x fastest) in an EDGE x EDGE window (default 400) with composite
blending and shading on, through a colour and opacity table like the
viewer's default one, face-on as the viewer's benchmark looks at it, and
prints JSON. "gpu" is vtkGPUVolumeRayCastMapper; "cpu" is
vtkFixedPointVolumeRayCastMapper on 2 threads, one sample per voxel spacing
along each ray and one ray per pixel, never coarsened to meet a frame rate.
With the viewer's framing (the default) the camera is parallel and the
volume's longest edge spans the window, as the viewer draws its cube at zoom
1, and the table's opacities apply per 1/150 of that edge, as the viewer's
do: both draw the head over the same pixels and let as much through. "fit"
keeps VTK's own camera (perspective, the whole bounding sphere in view, the
head over about 40 % of those pixels) and opacities per voxel.
The first frame's time runs from before the dataset is read, and, where the
caller puts the launch time in BENCH_LAUNCHED_AT (seconds since the epoch),
from the launch of the process too: that part includes importing VTK.
Needs a display (Xvfb will do) and Debian's python3-vtk9; run it with
/usr/bin/python3, whose modules those are.
"""
import argparse
import json
import os
import struct
import sys
import time

import numpy
import vtk
from vtk.util import numpy_support


def read_dataset(path):
    with open(path, "rb") as f:
        dims = struct.unpack("<3H", f.read(6))
        samples = numpy.frombuffer(f.read(), dtype="<u2")
    if samples.size != dims[0] * dims[1] * dims[2]:
        sys.exit(f"{path}: {samples.size} samples, the header says {dims}")
    image = vtk.vtkImageData()
    image.SetDimensions(*dims)
    array = numpy_support.numpy_to_vtk(samples.astype(numpy.uint16), deep=True, array_type=vtk.VTK_UNSIGNED_SHORT)
    image.GetPointData().SetScalars(array)
    return image, dims


def volume_property(opacity_unit_distance):
    # The viewer's default table: air clear, soft tissue faint red, a thin
    # yellow band, bone white.
    colour = vtk.vtkColorTransferFunction()
    opacity = vtk.vtkPiecewiseFunction()
    for value, rgb, alpha in ((0, (0, 0, 0), 0.0), (299, (0, 0, 0), 0.0), (300, (1, 0, 0), 15 / 255),
                              (1099, (1, 0, 0), 15 / 255), (1100, (1, 1, 0), 47 / 255),
                              (1299, (1, 1, 0), 47 / 255), (1300, (1, 1, 1), 160 / 255),
                              (4095, (1, 1, 1), 160 / 255)):
        colour.AddRGBPoint(value, *rgb)
        opacity.AddPoint(value, alpha)
    prop = vtk.vtkVolumeProperty()
    prop.SetColor(colour)
    prop.SetScalarOpacity(opacity)
    prop.SetInterpolationTypeToLinear()
    prop.ShadeOn()
    prop.SetScalarOpacityUnitDistance(opacity_unit_distance)
    return prop


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dataset")
    parser.add_argument("--frames", type=int, default=20)
    parser.add_argument("--mapper", choices=("gpu", "cpu"), default="gpu")
    parser.add_argument("--size", type=int, default=400)
    parser.add_argument("--framing", choices=("viewer", "fit"), default="viewer")
    args = parser.parse_args()

    start = time.perf_counter()
    image, dims = read_dataset(args.dataset)
    if args.mapper == "gpu":
        mapper = vtk.vtkGPUVolumeRayCastMapper()
    else:
        mapper = vtk.vtkFixedPointVolumeRayCastMapper()
        mapper.SetNumberOfThreads(2)
        mapper.SetSampleDistance(1.0)
        mapper.SetImageSampleDistance(1.0)
        mapper.SetAutoAdjustSampleDistances(0)
    mapper.SetInputData(image)
    mapper.SetBlendModeToComposite()
    volume = vtk.vtkVolume()
    volume.SetMapper(mapper)
    longest = max(dims) - 1  # spacing 1: the edge in world units
    volume.SetProperty(volume_property(longest / 150 if args.framing == "viewer" else 1.0))

    renderer = vtk.vtkRenderer()
    renderer.SetBackground(0.5, 0.5, 0.5)
    renderer.AddVolume(volume)
    window = vtk.vtkRenderWindow()
    window.SetOffScreenRendering(0)
    window.SetSize(args.size, args.size)
    window.AddRenderer(renderer)
    # Face-on: the face looks at the camera (+y is the front, +z the head).
    camera = renderer.GetActiveCamera()
    camera.SetFocalPoint(0, 0, 0)
    camera.SetPosition(0, 1, 0)
    camera.SetViewUp(0, 0, 1)
    renderer.ResetCamera()
    if args.framing == "viewer":
        centre = [(d - 1) / 2 for d in dims]
        camera.ParallelProjectionOn()
        camera.SetParallelScale(longest / 2)
        camera.SetFocalPoint(*centre)
        camera.SetPosition(centre[0], centre[1] + 2 * longest, centre[2])
        renderer.ResetCameraClippingRange()

    window.Render()
    first_frame = time.perf_counter() - start
    launched = os.environ.get("BENCH_LAUNCHED_AT")
    from_launch = round(time.time() - float(launched), 3) if launched else None
    window.Render()  # warm-up
    begin = time.perf_counter()
    for _ in range(args.frames):
        volume.Modified()
        window.Render()
    fps = args.frames / (time.perf_counter() - begin)
    print(json.dumps({"renderer": mapper.GetClassName(), "dataset": args.dataset, "dims": dims,
                      "window": list(window.GetSize()),
                      "framing": args.framing, "frames": args.frames, "first_frame_s": round(first_frame, 3),
                      "first_frame_from_launch_s": from_launch,
                      "frames_per_second": round(fps, 2)}, indent=2))


if __name__ == "__main__":
    main()
