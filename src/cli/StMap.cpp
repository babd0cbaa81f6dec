#include "cli/StMap.h"
#include "cli/ImageLayout.h"
#include "host_rules/StMapValues.h"

#include <OpenImageIO/imagebufalgo_util.h>

void StMap::render(const Core::DistortionMapping& mapping, std::uint32_t formatWidth,
                   std::uint32_t formatHeight, std::uint32_t marginX, std::uint32_t marginY,
                   OIIO::ImageBuf& map) {
    const int originX = imageLayout(map).x;
    const int originY = imageLayout(map).y;
    OIIO::ImageBufAlgo::parallel_image(map.roi(), [&](OIIO::ROI roi) {
        for (OIIO::ImageBuf::Iterator<float> pixel(map, roi); !pixel.done(); ++pixel) {
            float rgba[4];
            StMapValues::at(mapping, formatWidth, formatHeight, marginX, marginY,
                            pixel.x() - originX, pixel.y() - originY, rgba);
            for (int channel = 0; channel < 4; ++channel) {
                pixel[channel] = rgba[channel];
            }
        }
    });
}
