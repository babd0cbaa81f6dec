#pragma once

#define kDDImageVersion "12.2"
#define kDDImageVersionMajorNum 12
#define kDDImageVersionMinorNum 2
#define kDDImageVersionReleaseNum 1
#define kDDImageVersionInteger (10000 * 12 + 1000 * 2 + 1)
