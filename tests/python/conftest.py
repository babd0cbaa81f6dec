"""A small sample plate and its correction file, shared by the module's tests."""
import os
import subprocess

import numpy as np
import pytest

import velor_lens_correction as velor

WIDTH, HEIGHT = 96, 54


def read_exr(path):
    """Pixels as float32 (height, width, channels) and the header."""
    import OpenImageIO as oiio

    image = oiio.ImageBuf(str(path))
    pixels = image.get_pixels(oiio.FLOAT)
    assert not image.has_error, image.geterror()
    return np.asarray(pixels, dtype=np.float32), image.nativespec()


@pytest.fixture(scope="session")
def plate(tmp_path_factory):
    """Directory with plate.0001.exr (timecode 01:00:00:00), plate.0002.exr and plate.vlcf."""
    directory = tmp_path_factory.mktemp("plate")
    subprocess.run([os.environ["VELOR_SAMPLE_PLATE"], str(directory), "--width", str(WIDTH),
                    "--height", str(HEIGHT), "--frames", "2", "--first", "1"],
                   check=True, capture_output=True)
    return directory


@pytest.fixture(scope="session")
def pixels(plate):
    return read_exr(plate / "plate.0001.exr")[0]


@pytest.fixture(scope="session")
def corrector(plate):
    return velor.Corrector(clip=str(plate / "plate"), correction_file=str(plate / "plate.vlcf"))
