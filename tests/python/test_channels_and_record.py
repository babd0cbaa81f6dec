"""Shading multiplies colour channels only, and every image names its record."""
import numpy as np
import pytest

import velor_lens_correction as velor

LAYERS = ["R", "G", "B", "A", "diffuse.R", "depth.Z", "motion.u"]


def layered(pixels):
    """RGBA, a diffuse red, and data channels holding copies of the colour."""
    return np.ascontiguousarray(np.concatenate(
        [pixels, pixels[..., :1], pixels[..., :1], pixels[..., 1:2]], axis=2))


@pytest.mark.parametrize("method", ["remove_shading", "add_shading"])
def test_shading_multiplies_colour_and_copies_data(corrector, pixels, method):
    shade = getattr(corrector, method)
    stack = layered(pixels)
    image = shade(stack, frame=0, channels=LAYERS).pixels
    rgba = shade(pixels, frame=0).pixels
    np.testing.assert_array_equal(image[..., :4], rgba)
    np.testing.assert_array_equal(image[..., 4], rgba[..., 0])
    # Alpha, depth and motion come back exactly as they went in.
    for channel in (3, 5, 6):
        np.testing.assert_array_equal(image[..., channel], stack[..., channel])
    assert not np.array_equal(rgba[..., 0], pixels[..., 0])
    # One channel is luminance, three are RGB, four RGBA.
    luma = shade(np.ascontiguousarray(pixels[..., :1]), frame=0).pixels
    np.testing.assert_array_equal(luma[..., 0], rgba[..., 0])
    rgb = shade(np.ascontiguousarray(pixels[..., :3]), frame=0).pixels
    np.testing.assert_array_equal(rgb, rgba[..., :3])


def test_shading_needs_names_for_other_channel_counts(corrector, pixels):
    stack = layered(pixels)
    with pytest.raises(velor.ArgumentError, match="channels="):
        corrector.remove_shading(stack, frame=0)
    with pytest.raises(velor.ArgumentError, match="channels="):
        corrector.remove_shading(stack, frame=0, channels=LAYERS[:3])
    # Distortion warps every channel alike, named or not.
    np.testing.assert_array_equal(corrector.undistort(stack, frame=0).pixels,
                                  corrector.undistort(stack, frame=0, channels=LAYERS).pixels)


def test_every_image_names_its_record_and_file(plate, corrector, pixels):
    for call in (lambda: corrector.undistort(pixels, frame=1),
                 lambda: corrector.undistort(pixels, timecode="01:00:00:01"),
                 lambda: corrector.stmap(pixels, frame=1),
                 lambda: corrector.shading_map(pixels, frame=1)):
        image = call()
        assert image.record == 1
        assert image.correction_file == str(plate / "plate.vlcf")
    assert corrector.remove_shading(pixels, frame=0).record == 0
