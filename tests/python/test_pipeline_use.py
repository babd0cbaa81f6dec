"""What a pipeline script relies on: clip paths as the tool takes them, frames
that carry their correction metadata, the header's timecode as OpenImageIO
gives it, help() that documents the module, and its release."""
import os
import pathlib
import pydoc
import subprocess

import numpy as np
import pytest

import velor_lens_correction as velor
from conftest import read_exr

DATA = pathlib.Path(os.environ["VELOR_TEST_DATA_DIR"])
JSON = (DATA / "json" / "valid.json").read_text()


def test_relative_clip_paths_are_taken_from_the_working_directory(plate, pixels, monkeypatch):
    expected = velor.Corrector(clip=str(plate / "plate")).undistort(pixels, frame=1).pixels
    monkeypatch.chdir(plate)
    for relative in (velor.Corrector(clip="plate"), velor.Corrector(clip="./plate"),
                     velor.Corrector(clip="plate", correction_file="plate.vlcf")):
        corrector = relative
        # A later change of directory does not move the clip.
        monkeypatch.chdir(plate.parent)
        np.testing.assert_array_equal(corrector.undistort(pixels, frame=1).pixels, expected)
        monkeypatch.chdir(plate)


def test_embedded_metadata_corrects_like_the_tool(tmp_path):
    """A frame with JSON metadata in its header, as the tool corrects it."""
    import OpenImageIO as oiio

    # 139 x 97 has the aspect ratio of the metadata's 4448 x 3096 clip.
    rows = np.linspace(0.0, 1.0, 97, dtype=np.float32)[:, None, None]
    columns = np.linspace(0.0, 1.0, 139, dtype=np.float32)[None, :, None]
    pixels = np.ascontiguousarray(np.broadcast_to(rows * columns, (97, 139, 4)))
    header = oiio.ImageSpec(139, 97, 4, "float")
    header.attribute("com.velor.LensCorrection", JSON)
    frame = tmp_path / "shot.0001.exr"
    out = oiio.ImageOutput.create(str(frame))
    assert out.open(str(frame), header) and out.write_image(pixels)
    out.close()
    subprocess.run([os.environ["VELOR_TOOL"], "remove-shading", str(frame),
                    str(tmp_path / "flat.exr"), "--float", "--quiet"], check=True,
                   capture_output=True)

    image = velor.Corrector().remove_shading(pixels, metadata=JSON)
    np.testing.assert_array_equal(image.pixels, read_exr(tmp_path / "flat.exr")[0])
    assert not np.array_equal(image.pixels, pixels)
    # The metadata is the frame's: it comes before the clip's file, as in the tool.
    with_clip = velor.Corrector(clip=str(tmp_path / "A001.mov"))
    np.testing.assert_array_equal(with_clip.remove_shading(pixels, metadata=JSON).pixels,
                                  image.pixels)
    # None, as OpenImageIO gives a header without the attribute, means no metadata.
    with pytest.raises(velor.ArgumentError, match="metadata="):
        velor.Corrector().remove_shading(pixels, metadata=None, frame=0)
    # Broken JSON fails as the tool fails such a frame.
    with pytest.raises(velor.NoCorrectionDataError) as broken:
        velor.Corrector().remove_shading(pixels, metadata="{")
    assert 'JSON String: "{"' in str(broken.value)


def test_timecode_as_text_or_as_openimageio_gives_it(plate, corrector, pixels):
    import OpenImageIO as oiio

    smpte = oiio.ImageInput.open(str(plate / "plate.0002.exr"))
    header_timecode = smpte.spec().getattribute("smpte:TimeCode")
    smpte.close()
    by_text = corrector.undistort(pixels, timecode="01:00:00:01").pixels
    for value in (header_timecode, (0x01000001, 0), [0x01000001, 0]):
        np.testing.assert_array_equal(corrector.undistort(pixels, timecode=value).pixels, by_text)
    assert not np.array_equal(corrector.undistort(pixels, timecode=(0x01000000, 0)).pixels,
                              by_text)
    # Drop-frame and colour-frame flags do not change the time.
    np.testing.assert_array_equal(corrector.undistort(pixels, timecode=(0x010000C1, 0)).pixels,
                                  by_text)
    with pytest.raises(velor.ArgumentError, match="SMPTE"):
        corrector.undistort(pixels, timecode=(0x0100000A, 0))


def test_help_documents_the_classes_and_their_return_types():
    text = pydoc.render_doc(velor, renderer=pydoc.plaintext)
    assert "-> object" not in text
    corrector = pydoc.render_doc(velor.Corrector, renderer=pydoc.plaintext)
    assert "a correction file" in corrector.split("Methods defined here")[0]
    for method in ("undistort", "distort", "remove_shading", "add_shading", "stmap",
                   "shading_map"):
        doc = getattr(velor.Corrector, method).__doc__
        assert ") -> Image" in doc and "metadata" in doc and "timecode" in doc, method
    assert ") -> CorrectionData" in velor.read_correction_file.__doc__
    assert ") -> CorrectionData" in velor.parse_embedded_metadata.__doc__
    assert ") -> List[Device]" in velor.devices.__doc__
    for cls in (velor.Image, velor.Header, velor.FrameRecord, velor.CorrectionData,
                velor.Device):
        assert cls.__doc__ and not cls.__doc__.startswith(cls.__name__ + "("), cls


def test_version_is_the_tools():
    tool = subprocess.run([os.environ["VELOR_TOOL"], "--version"], check=True,
                          capture_output=True, text=True).stdout
    assert tool == "velor-lens-correct " + velor.__version__ + "\n"
