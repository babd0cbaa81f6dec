# Puts the VELOR nodes into a "VELOR" menu of Nuke's Nodes toolbar.
# Nuke runs this file at start-up when its directory is on NUKE_PATH.
import nuke

toolbar = nuke.menu("Nodes")
velor = toolbar.addMenu("VELOR")
velor.addCommand("VelorLensDistortionCorrection",
                 "nuke.createNode('VelorLensDistortionCorrection')")
velor.addCommand("VelorLensShadingCorrection",
                 "nuke.createNode('VelorLensShadingCorrection')")
