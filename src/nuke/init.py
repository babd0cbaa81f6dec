# Loads the VELOR plug-in, which registers both of its node classes.
# Nuke runs this file at start-up when its directory is on NUKE_PATH.
import nuke

nuke.load("VelorLensCorrection")
