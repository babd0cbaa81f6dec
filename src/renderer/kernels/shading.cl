// Radial lens shading (light fall-off) of interleaved float RGBA frames.
//
// The launch counts bytes, not pixels, so it has more work items than pixels: every
// kernel derives its pixel from the global id and returns for ids beyond the frame.

// Relative illumination as a factor; the polynomial gives it in percent.
float shadingPolynomial(const float x, const float a0, const float a1, const float a2,
                        const float a3, const float a4, const float a5, const float a6)
{
    return (a0 + a1 * x + a2 * x * x + a3 * x * x * x + a4 * x * x * x * x
            + a5 * x * x * x * x * x + a6 * x * x * x * x * x * x) / 100.0f;
}

// Distance of a pixel from the image centre in millimetres on the sensor; for an even
// size the centre lies between the two middle pixels.
float distanceFromCentre(const float radius, const uint width, const uint height,
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
float shadingFactor(const float imageRadius, const uint width, const uint height,
                    const int x, const int y, const float a0, const float a1,
                    const float a2, const float a3, const float a4, const float a5,
                    const float a6, const uchar reverse)
{
    const float distance = distanceFromCentre(imageRadius, width, height, x, y);
    const float factor = shadingPolynomial(distance, a0, a1, a2, a3, a4, a5, a6);
    return reverse == 0 ? 1.0f / factor : factor;
}

__kernel void shading(__global const float* input, __global float* output,
                      const uint currentWidth, const uint currentHeight,
                      const uint originalWidth, const uint originalHeight,
                      const float imageRadius, const float a0, const float a1, const float a2,
                      const float a3, const float a4, const float a5, const float a6,
                      const uchar reverse, const float gamma)
{
    const size_t id = get_global_id(0);
    const size_t x = id % currentWidth;
    const size_t y = id / currentWidth;
    if (x >= currentWidth || y >= currentHeight) {
        return;
    }

    const float factor = shadingFactor(imageRadius, currentWidth, currentHeight, (int)x, (int)y,
                                       a0, a1, a2, a3, a4, a5, a6, reverse);
    const size_t index = (y * currentWidth + x) * 4;
    // The colour channels are corrected in linear light; alpha stays as it is.
    output[index] = pow(pow(input[index], gamma) * factor, 1.0f / gamma);
    output[index + 1] = pow(pow(input[index + 1], gamma) * factor, 1.0f / gamma);
    output[index + 2] = pow(pow(input[index + 2], gamma) * factor, 1.0f / gamma);
    output[index + 3] = input[index + 3];
}

// The factor that the image kernel applies, as a multiply map.
__kernel void shadingMap(__global float* output, const uint currentWidth,
                         const uint currentHeight, const uint originalWidth,
                         const uint originalHeight, const float imageRadius, const float a0,
                         const float a1, const float a2, const float a3, const float a4,
                         const float a5, const float a6, const uchar reverse, const float gamma)
{
    const size_t id = get_global_id(0);
    const size_t x = id % currentWidth;
    const size_t y = id / currentWidth;
    if (x >= currentWidth || y >= currentHeight) {
        return;
    }

    const float factor = shadingFactor(imageRadius, currentWidth, currentHeight, (int)x, (int)y,
                                       a0, a1, a2, a3, a4, a5, a6, reverse);
    const size_t index = (y * currentWidth + x) * 4;
    output[index] = factor;
    output[index + 1] = factor;
    output[index + 2] = factor;
    output[index + 3] = 1.0f;
}
