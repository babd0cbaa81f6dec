// Radial lens distortion of interleaved float RGBA frames.
//
// The launch counts bytes, not pixels, so it has more work items than pixels: every
// kernel derives its pixel from the global id and returns for ids beyond the frame.

float polynomial(const float x, const float a0, const float a1, const float a2,
                 const float a3, const float a4, const float a5, const float a6)
{
    return a0 + a1 * x + a2 * x * x + a3 * x * x * x + a4 * x * x * x * x
           + a5 * x * x * x * x * x + a6 * x * x * x * x * x * x;
}

// For an even size the centre lies between the two middle pixels.
float2 imageCentre(const uint width, const uint height)
{
    return (float2)((float)width / 2.0f - 0.5f, (float)height / 2.0f - 0.5f);
}

// Distance of a pixel from the image centre in millimetres on the sensor: the half
// diagonal of the image corresponds to the radius of the sensor image area.
float distanceFromCentre(const float radius, const uint width, const uint height,
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

// Adds one input pixel with its weight. Cells outside the frame (tested before the
// conversion to integers, which is undefined for values out of range) add nothing, so
// that samples fade towards zero at the border.
float4 weightedCell(__global const float* input, const uint width, const uint height,
                    const float cellX, const float cellY, const float weight)
{
    if (!(cellX >= 0.0f && cellX < (float)width && cellY >= 0.0f && cellY < (float)height)) {
        return (float4)(0.0f);
    }
    const size_t index = ((size_t)(int)cellY * width + (size_t)(int)cellX) * 4;
    return weight * (float4)(input[index], input[index + 1], input[index + 2], input[index + 3]);
}

float4 sampleInput(__global const float* input, const uint width, const uint height,
                   const float px, const float py)
{
    const bool fractionalX = fmod(px, 1.0f) != 0.0f;
    const bool fractionalY = fmod(py, 1.0f) != 0.0f;
    const float left = floor(px);
    const float right = ceil(px);
    const float bottom = floor(py);
    const float top = ceil(py);

    if (!fractionalX && !fractionalY) {
        return weightedCell(input, width, height, px, py, 1.0f);
    }
    if (fractionalX && !fractionalY) {
        return weightedCell(input, width, height, left, py, right - px)
               + weightedCell(input, width, height, right, py, px - left);
    }
    if (!fractionalX && fractionalY) {
        return weightedCell(input, width, height, px, top, py - bottom)
               + weightedCell(input, width, height, px, bottom, top - py);
    }
    return weightedCell(input, width, height, left, top, (right - px) * (py - bottom))
           + weightedCell(input, width, height, right, top, (px - left) * (py - bottom))
           + weightedCell(input, width, height, left, bottom, (right - px) * (top - py))
           + weightedCell(input, width, height, right, bottom, (px - left) * (top - py));
}

__kernel void distortion(__global const float* input, __global float* output,
                         const uint currentWidth, const uint currentHeight,
                         const uint originalWidth, const uint originalHeight,
                         const float imageRadius, const float a0, const float a1,
                         const float a2, const float a3, const float a4, const float a5,
                         const float a6)
{
    const size_t id = get_global_id(0);
    const size_t x = id % currentWidth;
    const size_t y = id / currentWidth;
    if (x >= currentWidth || y >= currentHeight) {
        return;
    }

    const float distance =
        distanceFromCentre(imageRadius, currentWidth, currentHeight, (int)x, (int)y);
    const float distanceInOldImage = polynomial(distance, a0, a1, a2, a3, a4, a5, a6);
    const float factor = distance > 0.0f ? distanceInOldImage / distance : 1.0f;

    const float2 centre = imageCentre(currentWidth, currentHeight);
    const float px = ((float)x - centre.x) * factor + centre.x;
    const float py = ((float)y - centre.y) * factor + centre.y;

    const float4 pixel = sampleInput(input, currentWidth, currentHeight, px, py);
    const size_t index = (y * currentWidth + x) * 4;
    output[index] = pixel.x;
    output[index + 1] = pixel.y;
    output[index + 2] = pixel.z;
    output[index + 3] = pixel.w;
}

// The normalised position of every pixel, for inspecting the geometry in a host.
__kernel void distortionMap(__global float* output, const uint currentWidth,
                            const uint currentHeight, const uint originalWidth,
                            const uint originalHeight, const float imageRadius, const float a0,
                            const float a1, const float a2, const float a3, const float a4,
                            const float a5, const float a6)
{
    const size_t id = get_global_id(0);
    const size_t x = id % currentWidth;
    const size_t y = id / currentWidth;
    if (x >= currentWidth || y >= currentHeight) {
        return;
    }

    const size_t index = (y * currentWidth + x) * 4;
    output[index] = (float)x / (float)currentWidth;
    output[index + 1] = (float)y / (float)currentHeight;
    output[index + 2] = 0.0f;
    output[index + 3] = 1.0f;
}
