"""The Python examples of docs/, taken from the docs' own text and run as a
user runs them, on the demo plate as scripts/demo generates it."""
import os
import pathlib
import re
import subprocess
import sys

import numpy as np
import pytest

from conftest import read_exr

DOCS = pathlib.Path(os.environ["VELOR_TEST_DATA_DIR"]).parent.parent / "docs"
TOOL = os.environ["VELOR_TOOL"]


def code_block(document, heading, language="python"):
    """The first code block of that language after the heading."""
    text = (DOCS / document).read_text()
    section = text[text.index(heading):]
    return re.search(r"```" + language + r"\n(.*?)```", section, re.S).group(1)


def run_example(code, directory):
    """Runs the code as a script of its own, in the folder a user runs it from."""
    script = directory / "example.py"
    script.write_text(code)
    ran = subprocess.run([sys.executable, str(script)], cwd=directory, capture_output=True,
                         text=True, env=dict(os.environ))
    assert ran.returncode == 0, ran.stderr
    return ran


@pytest.fixture(scope="module")
def demo(tmp_path_factory):
    """demo-output/plate as scripts/demo generates it."""
    directory = tmp_path_factory.mktemp("demo-output")
    subprocess.run([os.environ["VELOR_SAMPLE_PLATE"], str(directory / "plate"), "--frames", "5"],
                   check=True, capture_output=True)
    return directory


def header(path):
    import OpenImageIO as oiio

    image_header = oiio.ImageInput.open(str(path)).spec()
    attributes = {a.name: a.value for a in image_header.extra_attribs
                  if not a.name.startswith("oiio:")}
    windows = (image_header.x, image_header.y, image_header.width, image_header.height,
               image_header.full_x, image_header.full_y,
               image_header.full_width, image_header.full_height)
    return windows, image_header.channelnames, str(image_header.format), attributes


def test_the_worked_example_equals_the_tool(demo):
    run_example(code_block("python.md", "## A worked example"), demo)
    subprocess.run([TOOL, "undistort", "plate/plate.1001.exr", "tool.exr", "--float", "--quiet"],
                   cwd=demo, check=True, capture_output=True)
    np.testing.assert_array_equal(read_exr(demo / "undistorted.exr")[0],
                                  read_exr(demo / "tool.exr")[0])
    example, tool = header(demo / "undistorted.exr"), header(demo / "tool.exr")
    assert example[:3] == tool[:3]
    # What the tool writes beside the input's header names the writer.
    assert example[3]["smpte:TimeCode"] == tool[3]["smpte:TimeCode"]
    different = {name for name in set(example[3]) | set(tool[3])
                 if example[3].get(name) != tool[3].get(name)}
    assert different <= {"Software", "DateTime", "Exif:ImageHistory"} | {
        name for name in tool[3] if name.startswith("velor:")}, different


def test_the_embedding_script_embeds_what_the_tool_reads(demo):
    run_example(code_block("file-format.md", "### Embedding the JSON into EXR frames"), demo)
    info = subprocess.run([TOOL, "info", "embedded.1001.exr", "--json"], cwd=demo, check=True,
                          capture_output=True, text=True).stdout
    import json

    data = json.loads(info)["correctionData"]
    assert data["source"] == "embedded"
    assert data["records"][0]["radialDistortion"][-1] == pytest.approx(-48.4)
    # Only the header changed.
    original, embedded = header(demo / "plate/plate.1001.exr"), header(demo / "embedded.1001.exr")
    assert original[:3] == embedded[:3]
    assert set(embedded[3]) - set(original[3]) == {"com.velor.LensCorrection"}
    np.testing.assert_array_equal(read_exr(demo / "embedded.1001.exr")[0],
                                  read_exr(demo / "plate/plate.1001.exr")[0])
    subprocess.run([TOOL, "undistort", "embedded.1001.exr", "embedded-undistorted.exr",
                    "--quiet"], cwd=demo, check=True, capture_output=True)


def test_oiiotool_attrib_keeps_only_a_piece_of_the_json(demo):
    """The pitfall file-format.md names, as it happens."""
    import json

    text = json.dumps(json.loads((DOCS.parent / "tests/data/json/valid.json").read_text()))
    subprocess.run(["oiiotool", "plate/plate.1001.exr", "--attrib", "com.velor.LensCorrection",
                    text, "-o", "oiiotool.1001.exr"], cwd=demo, check=True, capture_output=True)
    stored = header(demo / "oiiotool.1001.exr")[3]["com.velor.LensCorrection"]
    assert stored != text
    failed = subprocess.run([TOOL, "undistort", "oiiotool.1001.exr", "out.exr", "--quiet"],
                            cwd=demo, capture_output=True, text=True)
    assert failed.returncode == 1 and "Metadata for the frame is not available" in failed.stderr
