"""Lens distortion and shading correction of NumPy images, with the correction
data the core reads."""
from typing import List, Optional, Tuple, Union

import numpy
import numpy.typing

__version__: str

Pixels = numpy.typing.NDArray[numpy.float32]
# "HH:MM:SS:FF", or an EXR header's smpte:TimeCode as OpenImageIO gives it.
Timecode = Union[str, Tuple[int, int]]

class VelorError(Exception):
    brief: str
    detail: str
    def __init__(self, brief: str, detail: str = ...) -> None: ...

class NoCorrectionDataError(VelorError): ...
class CorrectionFileError(VelorError): ...
class RenderError(VelorError): ...
class ArgumentError(VelorError, ValueError): ...

class Image:
    pixels: Pixels
    origin: Tuple[int, int]
    record: int
    correction_file: str

class Header:
    lensManufacturer: str
    lensTypeName: str
    lensSerialNumber: str
    lensMinFocalLength: int
    lensMaxFocalLength: int
    cameraManufacturer: str
    cameraModel: str
    sensorWidth: float
    clipName: str
    videoFileName: str
    clipDurationFrames: int
    clipWidth: int
    clipHeight: int
    tcFps: float
    tcDrop: bool
    enableLensShadingCorrection: bool
    shadingGamma: float
    enableLensDistortionCorrection: bool
    distortionZoom: float

class FrameRecord:
    frame: int
    heights: List[float]
    shading: List[float]
    radialDistortion: List[float]
    timecode: str

class CorrectionData:
    header: Header
    frames: List[FrameRecord]

class Device:
    platform: str
    name: str
    type: str
    version: str
    chosen: bool

def read_correction_file(path: str) -> CorrectionData: ...
def find_correction_file(clip_path: str) -> str: ...
def parse_embedded_metadata(json: str) -> CorrectionData: ...
def devices() -> List[Device]: ...

class Corrector:
    def __init__(
        self,
        *,
        clip: Optional[str] = None,
        correction_file: Optional[str] = None,
        image_area: Optional[Tuple[float, float]] = None,
        clip_resolution: Optional[Tuple[int, int]] = None,
        overscan_location: str = "bbox",
        overscan: Optional[float] = None,
    ) -> None: ...
    def undistort(
        self, pixels: Pixels, *, frame: Optional[int] = None, timecode: Optional[Timecode] = None,
        origin: Tuple[int, int] = (0, 0), format: Optional[Tuple[int, int]] = None,
        alpha: Optional[int] = None, metadata: Optional[str] = None,
        channels: Optional[List[str]] = None,
    ) -> Image: ...
    def distort(
        self, pixels: Pixels, *, frame: Optional[int] = None, timecode: Optional[Timecode] = None,
        origin: Tuple[int, int] = (0, 0), format: Optional[Tuple[int, int]] = None,
        alpha: Optional[int] = None, metadata: Optional[str] = None,
        channels: Optional[List[str]] = None,
    ) -> Image: ...
    def remove_shading(
        self, pixels: Pixels, *, frame: Optional[int] = None, timecode: Optional[Timecode] = None,
        origin: Tuple[int, int] = (0, 0), format: Optional[Tuple[int, int]] = None,
        alpha: Optional[int] = None, metadata: Optional[str] = None,
        channels: Optional[List[str]] = None,
    ) -> Image: ...
    def add_shading(
        self, pixels: Pixels, *, frame: Optional[int] = None, timecode: Optional[Timecode] = None,
        origin: Tuple[int, int] = (0, 0), format: Optional[Tuple[int, int]] = None,
        alpha: Optional[int] = None, metadata: Optional[str] = None,
        channels: Optional[List[str]] = None,
    ) -> Image: ...
    def stmap(
        self, pixels: Pixels, *, frame: Optional[int] = None, timecode: Optional[Timecode] = None,
        origin: Tuple[int, int] = (0, 0), format: Optional[Tuple[int, int]] = None,
        alpha: Optional[int] = None, distort: bool = False, metadata: Optional[str] = None,
        channels: Optional[List[str]] = None,
    ) -> Image: ...
    def shading_map(
        self, pixels: Pixels, *, frame: Optional[int] = None, timecode: Optional[Timecode] = None,
        origin: Tuple[int, int] = (0, 0), format: Optional[Tuple[int, int]] = None,
        alpha: Optional[int] = None, add_shading: bool = False,
        metadata: Optional[str] = None,
        channels: Optional[List[str]] = None,
    ) -> Image: ...
