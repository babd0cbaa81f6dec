# Loads the VELOR plug-in, which registers both of its node classes.
# Nuke runs this file at start-up when its directory is on NUKE_PATH.
#
# A machine on which the plug-in cannot load (a farm blade without a GPU
# driver, and so without the OpenCL loader libOpenCL.so.1) gets one warning
# and starts as usual: scripts without these nodes are not affected.
import sys

import nuke

try:
    nuke.load("VelorLensCorrection")
except Exception as error:  # RuntimeError from nuke.load, whatever the cause
    reason = " ".join(str(error).split())
    sys.stderr.write(
        "Warning: the VELOR nodes are not available: VelorLensCorrection could not be "
        "loaded (%s). Install the GPU driver's OpenCL loader (libOpenCL.so.1) on this "
        "machine to use them.\n" % reason)
