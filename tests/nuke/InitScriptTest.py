"""The plug-in's init.py as Nuke runs it at start-up, with a stand-in of Nuke's
Python module: a plug-in that cannot load gives one clear warning and never
breaks the start-up."""
import contextlib
import io
import sys
import types
import unittest

INIT_SCRIPT = sys.argv.pop(1)


def run_init(load):
    """Runs init.py with a `nuke` module whose load() is `load`; returns
    what it wrote to standard error."""
    nuke = types.ModuleType("nuke")
    nuke.load = load
    sys.modules["nuke"] = nuke
    errors = io.StringIO()
    with open(INIT_SCRIPT) as script, contextlib.redirect_stderr(errors):
        exec(compile(script.read(), INIT_SCRIPT, "exec"), {"__name__": "__main__"})
    return errors.getvalue()


class InitScriptTest(unittest.TestCase):
    def test_loads_the_plug_in_quietly(self):
        loaded = []
        self.assertEqual(run_init(loaded.append), "")
        self.assertEqual(loaded, ["VelorLensCorrection"])

    def test_a_missing_opencl_loader_is_one_warning_and_start_up_goes_on(self):
        def load(name):
            raise RuntimeError("VelorLensCorrection.so: libOpenCL.so.1: cannot open shared "
                               "object file: No such file or directory")
        warning = run_init(load)
        self.assertEqual(warning.count("\n"), 1, warning)
        self.assertIn("VelorLensCorrection", warning)
        self.assertIn("libOpenCL.so.1", warning)
        self.assertIn("OpenCL", warning.split("libOpenCL.so.1", 1)[1],
                      "the warning says what to install")


if __name__ == "__main__":
    unittest.main()
