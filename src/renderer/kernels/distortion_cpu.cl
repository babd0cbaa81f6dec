// Radial lens distortion of interleaved float RGBA frames, shaped for CPU devices.
//
// The formulas are those of distortion.cl, written as the same expressions, so every
// value comes out with the same bits; only the distribution of the work differs.

// The run shape (runOfItem, segmentAt, SEGMENT, INLINE) comes from cpu_runs.cl,
// which the build puts before this text.

// The cell of a source point whose four pixels do not all lie inside the frame.
#define NOT_WHOLE ((uint)-1)

// Cells are held as 32-bit pixel indices, which keeps the arithmetic loop as wide as the
// vector unit allows; a frame with more pixels than that takes the per-pixel path.
#ifndef LARGEST_INDEXED_FRAME
#define LARGEST_INDEXED_FRAME ((size_t)NOT_WHOLE)
#endif

INLINE float polynomial(const float x, const float a0, const float a1, const float a2,
                        const float a3, const float a4, const float a5, const float a6)
{
    return a0 + a1 * x + a2 * x * x + a3 * x * x * x + a4 * x * x * x * x
           + a5 * x * x * x * x * x + a6 * x * x * x * x * x * x;
}

INLINE float2 imageCentre(const uint width, const uint height)
{
    return (float2)((float)width / 2.0f - 0.5f, (float)height / 2.0f - 0.5f);
}

INLINE float distanceFromCentre(const float radius, const uint width, const uint height,
                                const int x, const int y)
{
    const float2 centre = imageCentre(width, height);
    const float dx = (float)x - centre.x;
    const float dy = (float)y - centre.y;
    const float distance = sqrt(dx * dx + dy * dy);
    const float w = (float)width;
    const float h = (float)height;
    const float halfDiagonal = sqrt(w * w + h * h) / 2.0f;
    return distance / halfDiagonal * radius;
}

// A cell outside the frame adds nothing (tested before the conversion to integers).
INLINE float4 weightedCell(__global const float* restrict input, const uint width,
                           const uint height, const float cellX, const float cellY,
                           const float weight)
{
    if (!(cellX >= 0.0f && cellX < (float)width && cellY >= 0.0f && cellY < (float)height)) {
        return (float4)(0.0f);
    }
    const size_t index = ((size_t)(int)cellY * width + (size_t)(int)cellX) * 4;
    return weight * vload4(0, input + index);
}

// Where pixel (x, y) of the output takes its value from in the input.
INLINE float2 sourcePoint(const float imageRadius, const uint width, const uint height,
                          const uint x, const size_t y, const float a0, const float a1,
                          const float a2, const float a3, const float a4, const float a5,
                          const float a6)
{
    const float2 centre = imageCentre(width, height);
    const float distance = distanceFromCentre(imageRadius, width, height, (int)x, (int)y);
    const float distanceInOldImage = polynomial(distance, a0, a1, a2, a3, a4, a5, a6);
    const float factor = distance > 0.0f ? distanceInOldImage / distance : 1.0f;
    return (float2)(((float)x - centre.x) * factor + centre.x,
                    ((float)y - centre.y) * factor + centre.y);
}

// The compiler's own floor and ceil are single instructions and give the same values as
// the library's routines.
INLINE float4 sampleInput(__global const float* restrict input, const uint width,
                          const uint height, const float px, const float py)
{
    const float left = __builtin_floorf(px);
    const float right = __builtin_ceilf(px);
    const float bottom = __builtin_floorf(py);
    const float top = __builtin_ceilf(py);
    const bool fractionalX = px != left;
    const bool fractionalY = py != bottom;

    if (fractionalX && fractionalY) {
        return weightedCell(input, width, height, left, top, (right - px) * (py - bottom))
               + weightedCell(input, width, height, right, top, (px - left) * (py - bottom))
               + weightedCell(input, width, height, left, bottom, (right - px) * (top - py))
               + weightedCell(input, width, height, right, bottom, (px - left) * (top - py));
    }
    if (fractionalX) {
        return weightedCell(input, width, height, left, py, right - px)
               + weightedCell(input, width, height, right, py, px - left);
    }
    if (fractionalY) {
        return weightedCell(input, width, height, px, top, py - bottom)
               + weightedCell(input, width, height, px, bottom, top - py);
    }
    return weightedCell(input, width, height, px, py, 1.0f);
}

__kernel void distortion(__global const float* restrict input, __global float* restrict output,
                         const uint currentWidth, const uint currentHeight,
                         const uint originalWidth, const uint originalHeight,
                         const float imageRadius, const float a0, const float a1,
                         const float a2, const float a3, const float a4, const float a5,
                         const float a6)
{
    __local float sourceX[SEGMENT];
    __local float sourceY[SEGMENT];
    __local uint cells[SEGMENT];
    __local float weightsLeftTop[SEGMENT];
    __local float weightsRightTop[SEGMENT];
    __local float weightsLeftBottom[SEGMENT];
    __local float weightsRightBottom[SEGMENT];
    size_t first = 0;
    size_t end = 0;
    const size_t pixels = (size_t)currentWidth * currentHeight;
    if (!runOfItem(pixels, &first, &end)) {
        return;
    }

    if (pixels > LARGEST_INDEXED_FRAME) {
        for (size_t pixel = first; pixel < end; ++pixel) {
            const size_t y = pixel / currentWidth;
            const uint x = (uint)(pixel - y * currentWidth);
            const float2 source = sourcePoint(imageRadius, currentWidth, currentHeight, x, y,
                                              a0, a1, a2, a3, a4, a5, a6);
            vstore4(sampleInput(input, currentWidth, currentHeight, source.x, source.y), pixel,
                    output);
        }
        return;
    }

    for (size_t pixel = first; pixel < end;) {
        uint x0 = 0;
        size_t y = 0;
        const uint count = segmentAt(pixel, end, currentWidth, &x0, &y);

        // Source points, and for those between four pixels inside the frame the cell and
        // the weights: arithmetic alone, which vectorises.
        for (uint i = 0; i < count; ++i) {
            const float2 source = sourcePoint(imageRadius, currentWidth, currentHeight, x0 + i,
                                              y, a0, a1, a2, a3, a4, a5, a6);
            const float px = source.x;
            const float py = source.y;
            sourceX[i] = px;
            sourceY[i] = py;

            const float left = __builtin_floorf(px);
            const float right = __builtin_ceilf(px);
            const float bottom = __builtin_floorf(py);
            const float top = __builtin_ceilf(py);
            const bool whole = px != left && py != bottom && left >= 0.0f
                               && right < (float)currentWidth && bottom >= 0.0f
                               && top < (float)currentHeight;
            // Only values inside the frame are converted to integers.
            const float cellX = whole ? left : 0.0f;
            const float cellY = whole ? bottom : 0.0f;
            cells[i] = whole ? (uint)(int)cellY * currentWidth + (uint)(int)cellX : NOT_WHOLE;
            weightsLeftTop[i] = (right - px) * (py - bottom);
            weightsRightTop[i] = (px - left) * (py - bottom);
            weightsLeftBottom[i] = (right - px) * (top - py);
            weightsRightBottom[i] = (px - left) * (top - py);
        }

        // The weighted pixels of a whole cell: the products and sums of the per-cell path.
        const size_t rowStride = (size_t)currentWidth * 4;
        __global float* restrict row = output + pixel * 4;
        for (uint i = 0; i < count; ++i) {
            float4 value;
            if (cells[i] != NOT_WHOLE) {
                const size_t cell = (size_t)cells[i] * 4;
                const float4 leftTop = weightsLeftTop[i] * vload4(0, input + cell + rowStride);
                const float4 rightTop =
                    weightsRightTop[i] * vload4(0, input + cell + rowStride + 4);
                const float4 leftBottom = weightsLeftBottom[i] * vload4(0, input + cell);
                const float4 rightBottom = weightsRightBottom[i] * vload4(0, input + cell + 4);
                value = leftTop + rightTop + leftBottom + rightBottom;
            } else {
                value = sampleInput(input, currentWidth, currentHeight, sourceX[i], sourceY[i]);
            }
            vstore4(value, i, row);
        }
        pixel += count;
    }
}

// The normalised position of every pixel, for inspecting the geometry in a host.
__kernel void distortionMap(__global float* restrict output, const uint currentWidth,
                            const uint currentHeight, const uint originalWidth,
                            const uint originalHeight, const float imageRadius, const float a0,
                            const float a1, const float a2, const float a3, const float a4,
                            const float a5, const float a6)
{
    size_t first = 0;
    size_t end = 0;
    if (!runOfItem((size_t)currentWidth * currentHeight, &first, &end)) {
        return;
    }

    for (size_t pixel = first; pixel < end;) {
        uint x0 = 0;
        size_t y = 0;
        const uint count = segmentAt(pixel, end, currentWidth, &x0, &y);
        const float row = (float)y / (float)currentHeight;
        __global float* restrict values = output + pixel * 4;
        for (uint i = 0; i < count; ++i) {
            values[i * 4] = (float)(x0 + i) / (float)currentWidth;
            values[i * 4 + 1] = row;
            values[i * 4 + 2] = 0.0f;
            values[i * 4 + 3] = 1.0f;
        }
        pixel += count;
    }
}
