// Radial lens shading (light fall-off) of interleaved float RGBA frames.

// The launch counts bytes, not pixels, so it has sixteen times more work items than
// pixels. The work units are spread over the whole launch: every work-group takes an
// equal, contiguous share, so that a CPU device, which hands each thread a run of
// work-groups, keeps all its threads busy. Work items without a unit leave before any
// division.
bool unitOfWorkItem(const size_t units, size_t* unit)
{
    const size_t groups = get_num_groups(0);
    const size_t item = get_local_id(0);
    // item < ceil(units / groups), without dividing.
    if (item * groups >= units) {
        return false;
    }
    const size_t share = (units + groups - 1) / groups;
    *unit = get_group_id(0) * share + item;
    return *unit < units;
}

// Pixels mirrored about the image centre have offsets from it that differ in sign only,
// exactly, as long as both coordinates and the centre are exact in single precision,
// which holds up to 2^22 pixels a side. Their distances, and so their factors, are then
// the same bit for bit, and one work unit takes a pixel of the top-left quarter (middle
// row and column included) with its mirror images. Larger frames get a unit per pixel.
bool mirrorsPixels(const uint width, const uint height)
{
    return width <= (1u << 22) && height <= (1u << 22);
}

// The pixel of a work item: in the top-left quarter when the frame is mirrored.
bool pixelOfWorkItem(const uint width, const uint height, const bool mirrored, size_t* x,
                     size_t* y)
{
    const size_t columns = mirrored ? (width + 1) / 2 : width;
    const size_t rows = mirrored ? (height + 1) / 2 : height;
    size_t unit = 0;
    if (!unitOfWorkItem(columns * rows, &unit)) {
        return false;
    }
    *x = unit % columns;
    *y = unit / columns;
    return true;
}

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

// The colour channels are corrected in linear light; alpha stays as it is. A power of 1
// returns its base, so gamma 1 (what the pipeline sets) needs no power at all.
void correctPixel(__global const float* input, __global float* output, const uint width,
                  const size_t x, const size_t y, const float factor, const float gamma)
{
    const size_t index = (y * width + x) * 4;
    if (gamma == 1.0f) {
        output[index] = input[index] * factor;
        output[index + 1] = input[index + 1] * factor;
        output[index + 2] = input[index + 2] * factor;
    } else {
        output[index] = pow(pow(input[index], gamma) * factor, 1.0f / gamma);
        output[index + 1] = pow(pow(input[index + 1], gamma) * factor, 1.0f / gamma);
        output[index + 2] = pow(pow(input[index + 2], gamma) * factor, 1.0f / gamma);
    }
    output[index + 3] = input[index + 3];
}

void writeMapPixel(__global float* output, const uint width, const size_t x, const size_t y,
                   const float factor)
{
    const size_t index = (y * width + x) * 4;
    output[index] = factor;
    output[index + 1] = factor;
    output[index + 2] = factor;
    output[index + 3] = 1.0f;
}

__kernel void shading(__global const float* input, __global float* output,
                      const uint currentWidth, const uint currentHeight,
                      const uint originalWidth, const uint originalHeight,
                      const float imageRadius, const float a0, const float a1, const float a2,
                      const float a3, const float a4, const float a5, const float a6,
                      const uchar reverse, const float gamma)
{
    const bool mirrored = mirrorsPixels(currentWidth, currentHeight);
    size_t x = 0;
    size_t y = 0;
    if (!pixelOfWorkItem(currentWidth, currentHeight, mirrored, &x, &y)) {
        return;
    }

    const float factor = shadingFactor(imageRadius, currentWidth, currentHeight, (int)x, (int)y,
                                       a0, a1, a2, a3, a4, a5, a6, reverse);
    correctPixel(input, output, currentWidth, x, y, factor, gamma);
    if (!mirrored) {
        return;
    }
    const size_t mirrorX = currentWidth - 1 - x;
    const size_t mirrorY = currentHeight - 1 - y;
    if (mirrorX != x) {
        correctPixel(input, output, currentWidth, mirrorX, y, factor, gamma);
    }
    if (mirrorY != y) {
        correctPixel(input, output, currentWidth, x, mirrorY, factor, gamma);
        if (mirrorX != x) {
            correctPixel(input, output, currentWidth, mirrorX, mirrorY, factor, gamma);
        }
    }
}

// The factor that the image kernel applies, as a multiply map.
__kernel void shadingMap(__global float* output, const uint currentWidth,
                         const uint currentHeight, const uint originalWidth,
                         const uint originalHeight, const float imageRadius, const float a0,
                         const float a1, const float a2, const float a3, const float a4,
                         const float a5, const float a6, const uchar reverse, const float gamma)
{
    const bool mirrored = mirrorsPixels(currentWidth, currentHeight);
    size_t x = 0;
    size_t y = 0;
    if (!pixelOfWorkItem(currentWidth, currentHeight, mirrored, &x, &y)) {
        return;
    }

    const float factor = shadingFactor(imageRadius, currentWidth, currentHeight, (int)x, (int)y,
                                       a0, a1, a2, a3, a4, a5, a6, reverse);
    writeMapPixel(output, currentWidth, x, y, factor);
    if (!mirrored) {
        return;
    }
    const size_t mirrorX = currentWidth - 1 - x;
    const size_t mirrorY = currentHeight - 1 - y;
    if (mirrorX != x) {
        writeMapPixel(output, currentWidth, mirrorX, y, factor);
    }
    if (mirrorY != y) {
        writeMapPixel(output, currentWidth, x, mirrorY, factor);
        if (mirrorX != x) {
            writeMapPixel(output, currentWidth, mirrorX, mirrorY, factor);
        }
    }
}
