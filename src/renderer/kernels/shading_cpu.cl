// Radial lens shading (light fall-off) of interleaved float RGBA frames, shaped for CPU
// devices.
//
// The formulas are those of shading.cl, written as the same expressions, so every value
// comes out with the same bits; only the distribution of the work differs.

// The run shape (runOfItem, segmentAt, SEGMENT, INLINE) comes from cpu_runs.cl,
// which the build puts before this text.

INLINE float shadingPolynomial(const float x, const float a0, const float a1, const float a2,
                               const float a3, const float a4, const float a5, const float a6)
{
    return (a0 + a1 * x + a2 * x * x + a3 * x * x * x + a4 * x * x * x * x
            + a5 * x * x * x * x * x + a6 * x * x * x * x * x * x) / 100.0f;
}

INLINE float distanceFromCentre(const float radius, const uint width, const uint height,
                                const int x, const int y)
{
    const float w = (float)width;
    const float h = (float)height;
    const float dx = (float)x - (w / 2.0f - 0.5f);
    const float dy = (float)y - (h / 2.0f - 0.5f);
    const float distance = sqrt(dx * dx + dy * dy);
    const float halfDiagonal = sqrt(w * w + h * h) / 2.0f;
    return distance / halfDiagonal * radius;
}

// Multiplying by the relative illumination adds shading; dividing removes it.
INLINE float shadingFactor(const float imageRadius, const uint width, const uint height,
                           const int x, const int y, const float a0, const float a1,
                           const float a2, const float a3, const float a4, const float a5,
                           const float a6, const uchar reverse)
{
    const float distance = distanceFromCentre(imageRadius, width, height, x, y);
    const float factor = shadingPolynomial(distance, a0, a1, a2, a3, a4, a5, a6);
    return reverse == 0 ? 1.0f / factor : factor;
}

// The factors of a row segment.
INLINE void factorsOfSegment(__local float* restrict factors, const uint count, const uint x0,
                             const size_t y, const float imageRadius, const uint width,
                             const uint height, const float a0, const float a1, const float a2,
                             const float a3, const float a4, const float a5, const float a6,
                             const uchar reverse)
{
    for (uint i = 0; i < count; ++i) {
        factors[i] = shadingFactor(imageRadius, width, height, (int)(x0 + i), (int)y, a0, a1,
                                   a2, a3, a4, a5, a6, reverse);
    }
}

// The colour channels are corrected in linear light; alpha stays as it is. A power of 1
// returns its base, so gamma 1 (what the pipeline sets) needs no power at all, and its
// loop, free of the power's calls, vectorises.
__kernel void shading(__global const float* restrict input, __global float* restrict output,
                      const uint currentWidth, const uint currentHeight,
                      const uint originalWidth, const uint originalHeight,
                      const float imageRadius, const float a0, const float a1, const float a2,
                      const float a3, const float a4, const float a5, const float a6,
                      const uchar reverse, const float gamma)
{
    __local float factors[SEGMENT];
    size_t first = 0;
    size_t end = 0;
    if (!runOfItem((size_t)currentWidth * currentHeight, &first, &end)) {
        return;
    }

    for (size_t pixel = first; pixel < end;) {
        uint x0 = 0;
        size_t y = 0;
        const uint count = segmentAt(pixel, end, currentWidth, &x0, &y);
        factorsOfSegment(factors, count, x0, y, imageRadius, currentWidth, currentHeight, a0, a1,
                         a2, a3, a4, a5, a6, reverse);

        __global const float* restrict in = input + pixel * 4;
        __global float* restrict out = output + pixel * 4;
        if (gamma == 1.0f) {
            for (uint i = 0; i < count; ++i) {
                const float factor = factors[i];
                out[i * 4] = in[i * 4] * factor;
                out[i * 4 + 1] = in[i * 4 + 1] * factor;
                out[i * 4 + 2] = in[i * 4 + 2] * factor;
                out[i * 4 + 3] = in[i * 4 + 3];
            }
        } else {
            for (uint i = 0; i < count; ++i) {
                const float factor = factors[i];
                out[i * 4] = pow(pow(in[i * 4], gamma) * factor, 1.0f / gamma);
                out[i * 4 + 1] = pow(pow(in[i * 4 + 1], gamma) * factor, 1.0f / gamma);
                out[i * 4 + 2] = pow(pow(in[i * 4 + 2], gamma) * factor, 1.0f / gamma);
                out[i * 4 + 3] = in[i * 4 + 3];
            }
        }
        pixel += count;
    }
}

// The factor that the image kernel applies, as a multiply map.
__kernel void shadingMap(__global float* restrict output, const uint currentWidth,
                         const uint currentHeight, const uint originalWidth,
                         const uint originalHeight, const float imageRadius, const float a0,
                         const float a1, const float a2, const float a3, const float a4,
                         const float a5, const float a6, const uchar reverse, const float gamma)
{
    __local float factors[SEGMENT];
    size_t first = 0;
    size_t end = 0;
    if (!runOfItem((size_t)currentWidth * currentHeight, &first, &end)) {
        return;
    }

    for (size_t pixel = first; pixel < end;) {
        uint x0 = 0;
        size_t y = 0;
        const uint count = segmentAt(pixel, end, currentWidth, &x0, &y);
        factorsOfSegment(factors, count, x0, y, imageRadius, currentWidth, currentHeight, a0, a1,
                         a2, a3, a4, a5, a6, reverse);

        __global float* restrict out = output + pixel * 4;
        for (uint i = 0; i < count; ++i) {
            const float factor = factors[i];
            out[i * 4] = factor;
            out[i * 4 + 1] = factor;
            out[i * 4 + 2] = factor;
            out[i * 4 + 3] = 1.0f;
        }
        pixel += count;
    }
}
