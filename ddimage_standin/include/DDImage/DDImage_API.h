#pragma once

// Exported classes carry this macro; the stand-in is an ordinary library.
#define DDImage_API

typedef unsigned long long U64;
typedef unsigned int U32;
typedef unsigned short U16;
typedef unsigned char uchar;
