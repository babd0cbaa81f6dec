"""The module's own behaviour: data read as the file gives it, images and their
windows, arrays it takes or refuses, each failure's exception, threads."""
import concurrent.futures
import os
import pathlib

import numpy as np
import pytest

import velor_lens_correction as velor

DATA = pathlib.Path(os.environ["VELOR_TEST_DATA_DIR"])
VALID = DATA / "correction_file" / "valid_version3.vlcf"


def test_read_correction_file_gives_the_files_entries():
    data = velor.read_correction_file(str(VALID))
    lines = VALID.read_text().splitlines()
    entries = dict(line.split(":=") for line in lines if ":=" in line)
    for key, text in entries.items():
        value = getattr(data.header, key)
        if isinstance(value, str):
            assert value == text
        else:
            assert value == pytest.approx(float(text)), key
    rows = [line.split(";") for line in lines[lines.index("HEADER_END") + 2:]]
    assert [record.frame for record in data.frames] == [int(row[0]) for row in rows]
    for record, row in zip(data.frames, rows):
        assert record.heights == pytest.approx([float(v) for v in row[1].split(",")])
        assert record.radialDistortion == pytest.approx([float(v) for v in row[3].split(",")])
        assert record.timecode == row[9].replace(".", ":")


def test_embedded_json_and_finding(plate):
    data = velor.parse_embedded_metadata((DATA / "json" / "valid.json").read_text())
    assert (data.header.cameraModel, data.header.clipWidth) == ("ALEXA Mini LF", 4448)
    assert data.frames[0].shading == pytest.approx([100, 99.5, 98, 96, 93.5, 90, 86])
    assert velor.find_correction_file(str(plate / "plate")) == str(plate / "plate.vlcf")


def test_devices_mark_one_chosen():
    devices = velor.devices()
    assert devices and sum(device.chosen for device in devices) == 1
    assert all(device.type in ("GPU", "CPU", "accelerator", "other", "unknown")
               for device in devices)


def test_images_grow_around_the_format(corrector, pixels):
    image = corrector.undistort(pixels, frame=0)
    height, width, channels = image.pixels.shape
    x, y = image.origin
    # Barrel distortion undistorts outwards: the frame grows symmetrically.
    assert x < 0 and y < 0 and width == pixels.shape[1] - 2 * x and height == pixels.shape[0] - 2 * y
    assert channels == 4 and image.pixels.dtype == np.float32 and image.pixels.flags.c_contiguous
    # The record chosen by number is the one of its timecode.
    np.testing.assert_array_equal(image.pixels,
                                  corrector.undistort(pixels, timecode="01:00:00:00").pixels)
    stmap = corrector.stmap(pixels, frame=0).pixels
    assert stmap.shape == image.pixels.shape and (stmap[..., 2] == 0).all() and (stmap[..., 3] == 1).all()
    assert corrector.shading_map(pixels, frame=0).pixels.shape == pixels.shape


@pytest.mark.parametrize("channels", [1, 3, 5])
def test_every_channel_is_corrected_alone(corrector, pixels, channels):
    """Channels are grouped for the renderer; each comes out as it would alone."""
    stack = np.concatenate([pixels[..., :3], pixels[..., :2] * 0.5], axis=2)[..., :channels]
    image = corrector.undistort(stack, frame=1).pixels
    assert image.shape[2] == channels
    for channel in range(channels):
        alone = corrector.undistort(np.ascontiguousarray(stack[..., channel:channel + 1]), frame=1)
        np.testing.assert_array_equal(image[..., channel], alone.pixels[..., 0])


def test_arrays_in_any_layout_are_read_as_they_are(corrector, pixels):
    flipped = pixels[:, ::-1]
    expected = corrector.remove_shading(np.ascontiguousarray(flipped), frame=0).pixels
    np.testing.assert_array_equal(corrector.remove_shading(flipped, frame=0).pixels, expected)
    np.testing.assert_array_equal(
        corrector.remove_shading(np.asfortranarray(flipped), frame=0).pixels, expected)


def test_arrays_of_other_types_are_refused(corrector, pixels):
    for wrong in (pixels.astype(np.float64), pixels.astype(">f4"), pixels.tolist()):
        with pytest.raises(TypeError, match="float32"):
            corrector.undistort(wrong, frame=0)


FAILURES = [
    # what fails, the exception, words of its brief
    (lambda c, p, d: c.undistort(p[0], frame=0), velor.ArgumentError, "shape"),
    (lambda c, p, d: c.undistort(p, frame=0, timecode="01:00:00:00"), velor.ArgumentError, "frame"),
    (lambda c, p, d: c.undistort(p, frame=-1), velor.ArgumentError, "frame"),
    (lambda c, p, d: c.undistort(p, timecode="1:2:3"), velor.ArgumentError, ""),
    (lambda c, p, d: c.undistort(p, frame=0, alpha=4), velor.ArgumentError, "alpha"),
    (lambda c, p, d: c.undistort(p, frame=0, format=(0, 54)), velor.ArgumentError, "format"),
    (lambda c, p, d: velor.Corrector().undistort(p, frame=0), velor.ArgumentError, "clip"),
    (lambda c, p, d: velor.Corrector(clip="x", overscan=5), velor.ArgumentError, "overscan"),
    (lambda c, p, d: velor.Corrector(clip="x", image_area=(24, 0)), velor.ArgumentError,
     "clip_resolution"),
    (lambda c, p, d: velor.Corrector(clip="x", image_area=(0, 0), clip_resolution=(96, 54)),
     velor.ArgumentError, "image_area"),
    (lambda c, p, d: c.undistort(p, timecode="00:59:00:00"), velor.NoCorrectionDataError, ""),
    (lambda c, p, d: velor.Corrector(clip=str(d / "A001.mov")).distort(p, frame=0),
     velor.NoCorrectionDataError, "Correction file could not be found"),
    (lambda c, p, d: velor.find_correction_file(str(d / "missing" / "A001.mov")),
     velor.NoCorrectionDataError, "directory"),
    (lambda c, p, d: velor.Corrector(
        clip=str(d / "A001C003.mov"),
        correction_file=str(DATA / "correction_file" / "missing_header_end.vlcf")).undistort(
            p, frame=0), velor.CorrectionFileError, "format"),
    (lambda c, p, d: velor.read_correction_file(str(d / "none.vlcf")), velor.CorrectionFileError,
     ""),
    (lambda c, p, d: velor.parse_embedded_metadata("{"), velor.CorrectionFileError, "JSON"),
    (lambda c, p, d: c.undistort(p[:, :30], frame=0), velor.VelorError, "Aspect ratio"),
]


@pytest.mark.parametrize("call,kind,words", FAILURES)
def test_each_failure_raises_its_exception(corrector, pixels, tmp_path, call, kind, words):
    with pytest.raises(kind, match=words) as raised:
        call(corrector, pixels, tmp_path)
    assert raised.value.brief and str(raised.value).startswith(raised.value.brief)


def test_frame_choices_and_origins_out_of_range_are_refused_with_their_reason(corrector, pixels):
    with pytest.raises(velor.ArgumentError) as neither:
        corrector.undistort(pixels)
    assert neither.value.brief == "Give the frame record with frame= or with timecode=."
    with pytest.raises(velor.ArgumentError) as both:
        corrector.undistort(pixels, frame=0, timecode="01:00:00:00")
    assert both.value.brief == "Give the frame record with frame= or with timecode=, not both."
    for frame in (2**70, -2**70, 2**32, -1):
        with pytest.raises(velor.ArgumentError) as huge:
            corrector.undistort(pixels, frame=frame)
        assert huge.value.brief == "frame needs a record number from 0 to 4294967295."
    with pytest.raises(TypeError, match="frame"):
        corrector.undistort(pixels, frame=1.5)
    for origin in ((-2**63, 0), (0, -2**63), (-2**31, 0)):
        with pytest.raises(velor.ArgumentError, match="too far"):
            corrector.undistort(pixels, frame=0, origin=origin)


def test_threads_render_at_once(plate, corrector, pixels):
    calls = [("undistort", 0), ("distort", 1), ("remove_shading", 0), ("add_shading", 1)] * 3
    expected = [getattr(corrector, method)(pixels, frame=frame).pixels for method, frame in calls]
    own = velor.Corrector(clip=str(plate / "plate"), correction_file=str(plate / "plate.vlcf"))

    def render(index):
        # Half the calls share one corrector, the others share a second.
        method, frame = calls[index]
        return getattr(own if index % 2 else corrector, method)(pixels, frame=frame).pixels

    with concurrent.futures.ThreadPoolExecutor(max_workers=6) as pool:
        results = list(pool.map(render, range(len(calls))))
    for result, wanted in zip(results, expected):
        np.testing.assert_array_equal(result, wanted)


def test_stubs_name_the_modules_api():
    import ast

    stub = pathlib.Path(velor.__file__).with_name("velor_lens_correction.pyi")
    tree = ast.parse(stub.read_text())
    names = {node.name for node in tree.body if isinstance(node, (ast.ClassDef, ast.FunctionDef))}
    public = {name for name in dir(velor) if not name.startswith("_")}
    assert names == public
    corrector = next(node for node in tree.body if getattr(node, "name", "") == "Corrector")
    methods = {node.name for node in corrector.body if isinstance(node, ast.FunctionDef)}
    assert methods - {"__init__"} == {name for name in dir(velor.Corrector) if not name.startswith("_")}
