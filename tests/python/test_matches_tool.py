"""Every correction equals the command-line tool's for the same plate, bit for bit."""
import os
import subprocess

import numpy as np
import pytest

import velor_lens_correction as velor
from conftest import HEIGHT, WIDTH, read_exr

MANUAL = ["--overscan-location", "format", "--overscan", "10", "--image-area", "24x0",
          "--clip-resolution", "96x54"]
MANUAL_KWARGS = {"overscan_location": "format", "overscan": 10.0, "image_area": (24.0, 0.0),
                 "clip_resolution": (96, 54)}

# command, its options, the method, its arguments, the corrector's extra arguments
CASES = [
    ("undistort", [], "undistort", {}, {}),
    ("distort", [], "distort", {}, {}),
    ("remove-shading", [], "remove_shading", {}, {}),
    ("add-shading", [], "add_shading", {}, {}),
    ("stmap", [], "stmap", {}, {}),
    ("stmap", ["--distort"], "stmap", {"distort": True}, {}),
    ("shading-map", [], "shading_map", {}, {}),
    ("shading-map", ["--add-shading"], "shading_map", {"add_shading": True}, {}),
    ("undistort", MANUAL, "undistort", {}, MANUAL_KWARGS),
]


def run_tool(*arguments):
    subprocess.run([os.environ["VELOR_TOOL"], *arguments, "--float", "--quiet"], check=True,
                   capture_output=True)


def assert_same(image, path):
    expected, layout = read_exr(path)
    np.testing.assert_array_equal(image.pixels, expected)
    assert image.pixels.dtype == np.float32
    assert image.origin == (layout.x, layout.y)
    assert (layout.full_x, layout.full_y, layout.full_width, layout.full_height) == (0, 0, WIDTH, HEIGHT)


@pytest.mark.parametrize("command,options,method,arguments,settings", CASES)
def test_equals_the_tool(plate, pixels, tmp_path, command, options, method, arguments,
                         settings):
    output = tmp_path / "out.exr"
    run_tool(command, str(plate / "plate.0001.exr"), str(output), "--correction-file",
             str(plate / "plate.vlcf"), *options)
    corrector = velor.Corrector(clip=str(plate / "plate"),
                                correction_file=str(plate / "plate.vlcf"), **settings)
    image = getattr(corrector, method)(pixels, timecode="01:00:00:00", **arguments)
    assert_same(image, output)


def test_data_window_beyond_the_format(plate, pixels, tmp_path):
    """Overscan as a data window around the format, and the second record by its timecode."""
    import OpenImageIO as oiio

    wide = np.zeros((HEIGHT + 6, WIDTH + 12, 4), dtype=np.float32)
    wide[3:-3, 6:-6] = pixels
    wide[:, :6] = 0.25
    layout = oiio.ImageSpec(WIDTH + 12, HEIGHT + 6, 4, "float")
    layout.x, layout.y = -6, -3
    layout.full_x, layout.full_y, layout.full_width, layout.full_height = 0, 0, WIDTH, HEIGHT
    layout.attribute("smpte:TimeCode", oiio.TypeTimeCode, [0x01000001, 0])
    path = tmp_path / "wide.exr"
    out = oiio.ImageOutput.create(str(path))
    assert out.open(str(path), layout) and out.write_image(wide)
    out.close()

    run_tool("undistort", str(path), str(tmp_path / "out.exr"), "--correction-file",
             str(plate / "plate.vlcf"), "--clip", str(plate / "plate"))
    corrector = velor.Corrector(clip=str(plate / "plate"), correction_file=str(plate / "plate.vlcf"))
    image = corrector.undistort(wide, timecode="01:00:00:01", origin=(-6, -3),
                                format=(WIDTH, HEIGHT))
    assert_same(image, tmp_path / "out.exr")
    assert not np.array_equal(image.pixels, corrector.undistort(
        wide, timecode="01:00:00:00", origin=(-6, -3), format=(WIDTH, HEIGHT)).pixels)
