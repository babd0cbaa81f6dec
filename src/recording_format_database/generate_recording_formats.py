#!/usr/bin/env python3
"""Writes recording_formats.csv, the compiled-in recording format table.

Each row: manufacturer;model;sensor name;format name;sensor width mm;
sensor height mm;pixel width;pixel height.

The sensor width and height are those of the photosite area a format reads
out; the pixel size is that of the recorded file. They differ only where the
camera scales (ARRI ProRes HD, 2K, UHD and 4K Cine, listed with their
read-out area below). Every other millimetre figure is read-out photosites
times the sensor's pixel pitch, rounded half up to two decimals, except where
the manufacturer publishes its own rounded figures (BlackMagic, Sony).

Where no published format list gives a model's exact number of rows, the
choice made here is stated next to the data. Run this script after editing
it and commit both files:  python3 generate_recording_formats.py
With --check it only tells whether the checked-in file is up to date.
"""

from decimal import ROUND_HALF_UP, Decimal
import sys
from pathlib import Path

OUTPUT = Path(__file__).with_name("recording_formats.csv")

# Pixel pitches in millimetres.
ARRI_PITCH = Decimal("0.00825")  # ALEV III, A2X, A3X
HELIUM_PITCH = Decimal("0.00365")
DRAGON_PITCH = Decimal("0.005")  # DRAGON 6K/5K/4.5K, DRAGON 8K VV, MONSTRO 8K VV
GEMINI_PITCH = Decimal("0.006")
MYSTERIUM_X_PITCH = Decimal("0.0054")
VENICE_PITCH = Decimal("0.005936")


def millimetres(photosites, pitch):
    return (Decimal(photosites) * pitch).quantize(Decimal("0.01"), rounding=ROUND_HALF_UP)


def two_decimals(value):
    return f"{value:.2f}"


def without_trailing_zeros(value):
    text = f"{value:.2f}".rstrip("0")
    return text.rstrip(".") if text.endswith(".") else text


def row(manufacturer, model, sensor, name, width_mm, height_mm, pixel_width, pixel_height):
    return ";".join([manufacturer, model, sensor, name, width_mm, height_mm,
                     str(pixel_width), str(pixel_height)])


# --- ARRI -----------------------------------------------------------------
# (format name, recorded px, read-out area px); mm = area x 8.25 um.

AMIRA = [
    ("16:9 S16 HD", (1920, 1080), (1600, 900)),
    ("16:9 HD", (1920, 1080), (2880, 1620)),
    ("16:9 2K", (2048, 1152), (2868, 1612)),
    ("16:9 3.2K", (3200, 1800), (3200, 1800)),
    ("16:9 4K UHD", (3840, 2160), (3200, 1800)),
]
ALEXA_CLASSIC = [
    ("16:9 HD", (1920, 1080), (2880, 1620)),
    ("16:9 2K", (2048, 1152), (2868, 1614)),
    ("4:3 2K", (2048, 1536), (2868, 2152)),
]
# ALEXA XT Open Gate reads 3414 x 2198 photosites (33.5 mm image circle).
ALEXA_XT = [
    ("RAW Open Gate 3.4K", (3414, 2198), (3414, 2198)),
    ("RAW 4:3 2.8K", (2880, 2160), (2880, 2160)),
    ("RAW 16:9 2.8K", (2880, 1620), (2880, 1620)),
    ("RAW 6:5 2.6K", (2578, 2160), (2578, 2160)),
    ("16:9 3.2K", (3168, 1782), (3168, 1782)),
    ("4:3 2K", (2048, 1536), (2868, 2152)),
    ("16:9 2K", (2048, 1152), (2868, 1614)),
    ("16:9 HD", (1920, 1080), (2880, 1620)),
]
# Open Gate 3.4K and 4:3 2.8K are recorded alike in ARRIRAW and ProRes and
# appear once; the other ARRIRAW-only formats carry the RAW prefix.
ALEXA_SXT = [
    ("Open Gate 4K Cine", (4096, 2636), (3414, 2198)),
    ("Open Gate 3.4K", (3424, 2202), (3424, 2202)),
    ("6:5 4K Cine Anamorphic", (4096, 1716), (2560, 2146)),
    ("RAW 6:5 2.6K", (2578, 2160), (2578, 2160)),
    ("6:5 2K Anamorphic", (2048, 858), (2560, 2146)),
    ("4:3 2.8K", (2880, 2160), (2880, 2160)),
    ("16:9 4K UHD", (3840, 2160), (3200, 1800)),
    ("16:9 3.2K", (3200, 1800), (3200, 1800)),
    ("RAW 16:9 3.2K", (3168, 1782), (3168, 1782)),
    ("RAW 16:9 2.8K", (2880, 1620), (2880, 1620)),
    ("16:9 2K", (2048, 1152), (2880, 1620)),
    ("16:9 HD", (1920, 1080), (2880, 1620)),
]
# The two ProRes anamorphic modes (2K 2.39:1 Ana, HD Ana) are left out.
ALEXA_MINI = [
    ("16:9 S16 HD", (1920, 1080), (1600, 900)),
    ("16:9 HD", (1920, 1080), (2880, 1620)),
    ("16:9 2K", (2048, 1152), (2868, 1612)),
    ("16:9 3.2K", (3200, 1800), (3200, 1800)),
    ("16:9 4K UHD", (3840, 2160), (3200, 1800)),
    ("4:3 2.8K", (2880, 2160), (2880, 2160)),
    ("RAW 16:9 2.8K", (2880, 1620), (2880, 1620)),
    ("RAW 4:3 2.8K", (2880, 2160), (2880, 2160)),
    ("RAW Open Gate 3.4K", (3424, 2202), (3424, 2202)),
]
# The three original ARRIRAW modes; the later LF modes are left out.
ALEXA_65 = [
    ("Open Gate 6.5K", (6560, 3100), (6560, 3100)),
    ("16:9 5.1K", (5120, 2880), (5120, 2880)),
    ("3:2 4.3K", (4320, 2880), (4320, 2880)),
]
# ALEXA LF; the Mini LF gets the same five (its first-firmware set).
ALEXA_LF = [
    ("LF Open Gate 4.5K", (4448, 3096), (4448, 3096)),
    ("LF 2.39:1 4.5K", (4448, 1856), (4448, 1856)),
    ("LF 16:9 UHD", (3840, 2160), (3840, 2160)),
    ("LF 16:9 2K", (2048, 1152), (3840, 2160)),
    ("LF 16:9 HD", (1920, 1080), (3840, 2160)),
]

ARRI_MODELS = [
    ("AMIRA", "ALEV III", AMIRA),
    ("ALEXA Classic", "ALEV III", ALEXA_CLASSIC),
    ("ALEXA XT", "ALEV III", ALEXA_XT),
    ("ALEXA SXT", "ALEV III", ALEXA_SXT),
    ("ALEXA Mini", "ALEV III", ALEXA_MINI),
    ("ALEXA 65", "A3X", ALEXA_65),
    ("ALEXA LF", "A2X", ALEXA_LF),
    ("ALEXA Mini LF", "A2X", ALEXA_LF),
]


def arri_rows():
    for model, sensor, formats in ARRI_MODELS:
        for name, (pixel_width, pixel_height), (area_width, area_height) in formats:
            yield row("ARRI", model, sensor, name,
                      without_trailing_zeros(millimetres(area_width, ARRI_PITCH)),
                      without_trailing_zeros(millimetres(area_height, ARRI_PITCH)),
                      pixel_width, pixel_height)


# --- BlackMagic -------------------------------------------------------------
# URSA Mini 4.6K, 4608 x 2592 photosites on 25.34 x 14.25 mm; windowed modes
# with Blackmagic's published sizes. Of its nine resolutions the 2K 16:9
# (2048 x 1152) is not part of the original camera's set.
URSA_MINI_46K = [
    ("4.6k (16:9)", "25.34", "14.25", 4608, 2592),
    ("4.6k (2.40:1)", "25.34", "10.55", 4608, 1920),
    ("4k (16:9)", "22.52", "12.66", 4096, 2304),
    ("4k DCI", "22.52", "11.87", 4096, 2160),
    ("Ultra HD", "21.12", "11.87", 3840, 2160),
    ("3072 x 2560 (3K Anamorphic)", "16.89", "14.07", 3072, 2560),
    ("2k DCI", "11.26", "5.93", 2048, 1080),
    ("HD", "10.55", "5.93", 1920, 1080),
]


def blackmagic_rows():
    for name, width_mm, height_mm, pixel_width, pixel_height in URSA_MINI_46K:
        yield row("BlackMagic", "BlackMagic URSA Mini 4.6K", "", name, width_mm, height_mm,
                  pixel_width, pixel_height)


# --- RED --------------------------------------------------------------------
# RED names a format by its resolution family and aspect: FF (full format,
# 256:135), 2:1, WS (2.4:1), HD (16:9) and the narrower aspects.

WHOLE_K = {
    "8K": (8192, 4320), "7K": (7168, 3780), "6K": (6144, 3240), "5K": (5120, 2700),
    "4K": (4096, 2160), "3K": (3072, 1620), "2K": (2048, 1080),
}
HEIGHT_ASPECTS = [("14:9", 14, 9), ("3:2", 3, 2), ("4:3", 4, 3), ("5:4", 5, 4), ("6:5", 6, 5),
                  ("1:1", 1, 1)]


def whole_k_family(family, width, height, hd=None):
    """The twelve aspects of a whole-K family: full width for FF, 2:1, WS, 4:1
    and 8:1; full height for HD and the narrower aspects (width rounded to the
    nearest photosite where the ratio does not divide)."""
    formats = [
        (f"{family} FF", width, height),
        (f"{family} 2:1", width, width // 2),
        (f"{family} WS", width, width * 27 // 64),
        (f"{family} HD", *(hd or (height * 16 // 9, height))),
    ]
    for aspect, numerator, denominator in HEIGHT_ASPECTS:
        formats.append((f"{family} {aspect}",
                        int((Decimal(height * numerator) / denominator).to_integral_value(
                            rounding=ROUND_HALF_UP)), height))
    formats.append((f"{family} 4:1", width, width // 4))
    formats.append((f"{family} 8:1", width, width // 8))
    return formats


# Half-K families come in FF, 2:1, WS and HD only; their sizes are RED's own.
HALF_K = {
    "7.5K": [(7680, 4080), (7680, 3840), (7680, 3240), (7296, 4104)],
    "6.5K": [(6656, 3536), (6656, 3328), (6656, 2808), (6144, 3456)],
    "5.5K": [(5600, 2960), (5600, 2800), (5600, 2360), (5280, 2960)],
    "4.5K": [(4608, 2432), (4608, 2304), (4608, 1944), (4320, 2432)],
    "3.5K": [(3584, 1876), (3584, 1792), (3584, 1512), (3360, 1876)],
    "2.5K": [(2560, 1340), (2560, 1280), (2560, 1080), (2400, 1340)],
}
GEMINI_HALF_K = {
    "4.5K": [(4608, 2412), (4608, 2304), (4608, 1944), (4320, 2376)],
    "3.5K": [(3584, 1876), (3584, 1792), (3584, 1512), (3456, 1944)],
    "2.5K": [(2560, 1340), (2560, 1280), (2560, 1080), (2304, 1296)],
}
HALF_K_ASPECTS = ["FF", "2:1", "WS", "HD"]


def half_k_family(family, sizes=HALF_K):
    return [(f"{family} {aspect}", w, h) for aspect, (w, h) in zip(HALF_K_ASPECTS, sizes[family])]


def eight_k_formats(with_anamorphic_row):
    formats = whole_k_family("8K", *WHOLE_K["8K"])
    if with_anamorphic_row:
        # The DSMC2 HELIUM and MONSTRO bodies add the 1.25x squeeze at 8K,
        # read out over the full format (2.37:1 after de-squeeze).
        formats.append(("8K FF ANA 1.25x", 8192, 4320))
    for whole, half in [("7K", "7.5K"), ("6K", "6.5K"), ("5K", "5.5K"), ("4K", "4.5K"),
                        ("3K", "3.5K"), ("2K", "2.5K")]:
        formats += half_k_family(half)
        formats += whole_k_family(whole, *WHOLE_K[whole])
    return formats


def dragon_6k_formats():
    # The 6K family reads the full 3160-photosite height; its HD is 5568 x 3132.
    formats = whole_k_family("6K", 6144, 3160, hd=(5568, 3132))
    for whole, half in [("5K", "5.5K"), ("4K", "4.5K"), ("3K", "3.5K"), ("2K", "2.5K")]:
        formats += half_k_family(half)
        formats += whole_k_family(whole, *WHOLE_K[whole])
    return formats


def five_k_formats(extra_top, half_sizes):
    formats = list(extra_top)
    formats += whole_k_family("5K", *WHOLE_K["5K"])
    for whole, half in [("4K", "4.5K"), ("3K", "3.5K"), ("2K", "2.5K")]:
        formats += half_k_family(half, half_sizes)
        formats += whole_k_family(whole, *WHOLE_K[whole])
    return formats


# SCARLET-W: the 5K body on the DRAGON chip also records 6K FF and 6K 2:1.
SCARLET_W = five_k_formats([("6K FF", 6144, 3160), ("6K 2:1", 6144, 3072)], HALF_K)
# GEMINI: the two full-height modes of its taller sensor.
GEMINI = five_k_formats([("5K Full Height 1.7:1", 5120, 3000),
                         ("5K Full Height 6:5", 3600, 3000)], GEMINI_HALF_K)


def dsmc1_dragon_5k_formats():
    # The DSMC1 SCARLET DRAGON: 5K down to 2K in FF, 2:1, WS and HD, without
    # 2.5K HD.
    formats = []
    for family in ["5K", "4.5K", "4K", "3.5K", "3K", "2.5K", "2K"]:
        if family in HALF_K:
            formats += half_k_family(family)
        else:
            width, height = WHOLE_K[family]
            formats += whole_k_family(family, width, height)[:4]
    return [f for f in formats if f[0] != "2.5K HD"]


def raven_formats():
    formats = [("4.5K FF", 4608, 2160), ("4.5K WS", 4608, 1944)]
    formats += whole_k_family("4K", *WHOLE_K["4K"])[:4]
    formats.append(("4K 3:2", 3240, 2160))
    for whole, half in [("3K", "3.5K"), ("2K", "2.5K")]:
        formats += half_k_family(half)
        formats += whole_k_family(whole, *WHOLE_K[whole])[:4]
    formats += [("1K HD", 1280, 720), ("1K WS", 1280, 480)]
    return formats


# MYSTERIUM-X bodies are DSMC1: WS heights 2160, 1706, 1280, 854.
MYSTERIUM_X = [
    ("5K FF", 5120, 2700), ("5K 2:1", 5120, 2560), ("5K WS", 5120, 2160), ("5K HD", 4800, 2700),
    ("4K FF", 4096, 2160), ("4K 2:1", 4096, 2048), ("4K WS", 4096, 1706), ("4K HD", 3840, 2160),
    ("3K FF", 3072, 1620), ("3K 2:1", 3072, 1536), ("3K WS", 3072, 1280), ("3K HD", 2880, 1620),
    ("2K FF", 2048, 1080), ("2K 2:1", 2048, 1024), ("2K WS", 2048, 854), ("2K HD", 1920, 1080),
]

EIGHT_K = eight_k_formats(with_anamorphic_row=False)
EIGHT_K_DSMC2 = eight_k_formats(with_anamorphic_row=True)
DRAGON_6K = dragon_6k_formats()
DSMC1_DRAGON_5K = dsmc1_dragon_5k_formats()
RAVEN = raven_formats()

RED_MODELS = [
    ("WEAPON 8K VV", "VV Dragon", EIGHT_K, DRAGON_PITCH),
    ("WEAPON 8K S35 HELIUM", "HELIUM 8K S35", EIGHT_K, HELIUM_PITCH),
    ("EPIC-W HELIUM", "HELIUM 8K S35", EIGHT_K, HELIUM_PITCH),
    ("WEAPON 6K DRAGON MC", "DRAGON 6K S35", DRAGON_6K, DRAGON_PITCH),
    ("WEAPON 6K DRAGON CF", "DRAGON 6K S35", DRAGON_6K, DRAGON_PITCH),
    ("EPIC 6K DRAGON", "DRAGON 6K S35", DRAGON_6K, DRAGON_PITCH),
    ("SCARLET-W 5K DRAGON", "DRAGON 5K", SCARLET_W, DRAGON_PITCH),
    ("SCARLET 5K DRAGON", "DRAGON 5K", DSMC1_DRAGON_5K, DRAGON_PITCH),
    ("RAVEN 4.5K DRAGON", "DRAGON 4.5K", RAVEN, DRAGON_PITCH),
    ("EPIC MYSTERIUM-X 5K", "MYSTERIUM-X 5K", MYSTERIUM_X, MYSTERIUM_X_PITCH),
    ("SCARLET-X MYSTERIUM-X 5K", "MYSTERIUM-X 5K", MYSTERIUM_X, MYSTERIUM_X_PITCH),
    ("EPIC-X MONOCHROME", "MYSTERIUM-X 5K S35 MONOCHROME", MYSTERIUM_X, MYSTERIUM_X_PITCH),
    ("EPIC-X", "MYSTERIUM-X 5K S35", MYSTERIUM_X, MYSTERIUM_X_PITCH),
    ("SCARLET-X", "MYSTERIUM-X 5K S35", MYSTERIUM_X, MYSTERIUM_X_PITCH),
    ("EPIC-M DRAGON MONOCHROME", "DRAGON 6K S35 MONOCHROME", DRAGON_6K, DRAGON_PITCH),
    ("EPIC-M DRAGON", "DRAGON 6K S35", DRAGON_6K, DRAGON_PITCH),
    ("EPIC-X DRAGON MONOCHROME", "DRAGON 6K S35 MONOCHROME", DRAGON_6K, DRAGON_PITCH),
    ("EPIC-X DRAGON", "DRAGON 6K S35", DRAGON_6K, DRAGON_PITCH),
    ("SCARLET-X DRAGON", "DRAGON 5K S35", DSMC1_DRAGON_5K, DRAGON_PITCH),
    ("DSMC2 DRAGON 6K S35 (CF)", "DRAGON 6K S35", DRAGON_6K, DRAGON_PITCH),
    ("DSMC2 DRAGON 6K S35 MONOCHROME (CF)", "DRAGON 6K S35 MONOCHROME", DRAGON_6K,
     DRAGON_PITCH),
    ("DSMC2 DRAGON 8K VV", "DRAGON 8K VV", EIGHT_K, DRAGON_PITCH),
    ("DSMC2 HELIUM 8K S35", "HELIUM 8K S35", EIGHT_K_DSMC2, HELIUM_PITCH),
    ("DSMC2 HELIUM 8K S35 MONOCHROME", "HELIUM 8K S35", EIGHT_K_DSMC2, HELIUM_PITCH),
    ("DSMC2 GEMINI 5K S35", "GEMINI 5K S35", GEMINI, GEMINI_PITCH),
    ("DSMC2 MONSTRO 8K VV", "MONSTRO 8K VV", EIGHT_K_DSMC2, DRAGON_PITCH),
    ("DSMC2 MONSTRO 8K VV MONOCHROME", "MONSTRO 8K VV MONOCHROME", EIGHT_K_DSMC2, DRAGON_PITCH),
    ("DSMC2 DRAGON 6K S35 MONOCHROME (Mg)", "DRAGON 6K S35 MONOCHROME", DRAGON_6K,
     DRAGON_PITCH),
    ("DSMC2 DRAGON 6K S35 (Mg)", "DRAGON 6K S35", DRAGON_6K, DRAGON_PITCH),
    ("RED RAVEN 4.5K", "DRAGON 4.5K S35", RAVEN, DRAGON_PITCH),
    ("SCARLET-W 5K MONOCHROME", "DRAGON 6K S35 MONOCHROME", SCARLET_W, DRAGON_PITCH),
    ("SCARLET-W 5K", "DRAGON 6K S35", SCARLET_W, DRAGON_PITCH),
    ("RED EPIC-W 8K S35", "HELIUM 8K S35", EIGHT_K_DSMC2, HELIUM_PITCH),
    ("RED EPIC-W 8K S35 MONOCHROME", "HELIUM 8K S35 MONOCHROME", EIGHT_K_DSMC2, HELIUM_PITCH),
    ("RED EPIC-W 5K S35", "GEMINI 5K S35", GEMINI, GEMINI_PITCH),
    ("RANGER MONSTRO 8K VV", "MONSTRO 8K VV", EIGHT_K_DSMC2, DRAGON_PITCH),
    ("RANGER HELIUM 8K S35", "HELIUM 8K S35", EIGHT_K_DSMC2, HELIUM_PITCH),
    ("RANGER GEMINI 5K S35", "GEMINI 5K S35", GEMINI, GEMINI_PITCH),
]


def red_rows():
    for model, sensor, formats, pitch in RED_MODELS:
        for name, pixel_width, pixel_height in formats:
            yield row("RED", model, sensor, name,
                      two_decimals(millimetres(pixel_width, pitch)),
                      two_decimals(millimetres(pixel_height, pitch)), pixel_width, pixel_height)


# --- Panavision ---------------------------------------------------------------
# Millennium DXL, the MONSTRO 8K VV grid at 5 um: its published FF, WS, HD and
# 6:5 formats, and the 2:1 format of each whole-K family.
DXL = [
    ("8K FF", 8192, 4320), ("8K 2:1", 8192, 4096), ("8K WS", 8192, 3456), ("8K HD", 7680, 4320),
    ("8K 6:5", 5184, 4320),
    ("7.5K FF", 7680, 4080), ("7.5K WS", 7680, 3240), ("7.5K HD", 7296, 4104),
    ("7K FF", 7168, 3780), ("7K 2:1", 7168, 3584), ("7K WS", 7168, 3024), ("7K HD", 6720, 3780),
    ("7K 6:5", 4536, 3780),
    ("6.5K FF", 6656, 3536), ("6.5K WS", 6656, 2808), ("6.5K HD", 6144, 3456),
    ("6K FF", 6144, 3240), ("6K 2:1", 6144, 3072), ("6K WS", 6144, 2592), ("6K HD", 5760, 3240),
    ("6K 6:5", 3888, 3240),
    ("5K FF", 5120, 2700), ("5K 2:1", 5120, 2560), ("5K WS", 5120, 2160), ("5K HD", 4800, 2700),
    ("5K 6:5", 3240, 2700),
    ("4K FF", 4096, 2160), ("4K 2:1", 4096, 2048), ("4K WS", 4096, 1728), ("4K HD", 3840, 2160),
    ("4K 6:5", 2592, 2160),
    ("3K FF", 3072, 1620), ("3K 2:1", 3072, 1536), ("3K WS", 3072, 1296),
    ("2K FF", 2048, 1080), ("2K 2:1", 2048, 1024), ("2K WS", 2048, 864),
]


def panavision_rows():
    for name, pixel_width, pixel_height in DXL:
        yield row("Panavision", "Panavision DXL", "MONSTRO 8K VV", name,
                  two_decimals(millimetres(pixel_width, DRAGON_PITCH)),
                  two_decimals(millimetres(pixel_height, DRAGON_PITCH)), pixel_width,
                  pixel_height)


# --- Sony ---------------------------------------------------------------------
# VENICE imager modes with Sony's one-decimal sizes; the three Surround View
# modes at the 5.936 um pitch.
VENICE = [
    ("6K 3:2", "35.90", "24.0", 6048, 4032),
    ("6K 2.39:1", "35.90", "15.0", 6048, 2534),
    ("6K 1.85:1", "36.00", "19.4", 6054, 3272),
    ("6K 17:9", "36.00", "19.0", 6054, 3192),
    ("4K 6:5", "24.30", "20.4", 4096, 3432),
    ("4K 4:3", "24.30", "18.0", 4096, 3024),
    ("4K 17:9", "24.30", "12.8", 4096, 2160),
    ("4K 2.39:1", "24.30", "10.3", 4096, 1716),
    ("3.8K 16:9", "22.80", "12.8", 3840, 2160),
] + [
    (name, two_decimals(millimetres(w, VENICE_PITCH)), two_decimals(millimetres(h, VENICE_PITCH)),
     w, h)
    for name, w, h in [("4K 17:9 Surround View", 4552, 2400),
                       ("4K 4:3 Surround View", 4552, 3360),
                       ("3.8K 16:9 Surround View", 4268, 2400)]
] + [
    ("5.7K 16:9", "33.70", "18.9", 5674, 3192),
]


def sony_rows():
    for name, width_mm, height_mm, pixel_width, pixel_height in VENICE:
        yield row("Sony", "MPC-3610", "Full-Frame CMOS", name, width_mm, height_mm, pixel_width,
                  pixel_height)


def main():
    rows = [*arri_rows(), *blackmagic_rows(), *red_rows(), *panavision_rows(), *sony_rows()]
    keys = {tuple(r.lower().split(";")[i] for i in (0, 1, 3)) for r in rows}
    if len(keys) != len(rows):
        raise SystemExit("duplicate manufacturer, model and format name")
    if len(rows) != 2804:
        raise SystemExit(f"{len(rows)} rows instead of 2804")
    text = "".join(r + "\n" for r in rows)
    if "--check" in sys.argv[1:]:
        if OUTPUT.read_text(encoding="ascii") != text:
            raise SystemExit(f"{OUTPUT.name} is out of date: run {Path(__file__).name}")
        return
    OUTPUT.write_text(text, encoding="ascii")


if __name__ == "__main__":
    main()
