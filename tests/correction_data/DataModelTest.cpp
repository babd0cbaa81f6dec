#include "correction_data/Content.h"

#include <gtest/gtest.h>

using CorrectionData::Content;
using CorrectionData::Frame;
using CorrectionData::Header;

TEST(DataModel, FreshHeaderIsEmptyZeroAndFalse) {
    const Header header;
    EXPECT_TRUE(header.lens.manufacturer.empty());
    EXPECT_TRUE(header.lens.typeName.empty());
    EXPECT_TRUE(header.lens.serialNumber.empty());
    EXPECT_EQ(header.lens.minFocalLength, 0);
    EXPECT_EQ(header.lens.maxFocalLength, 0);
    EXPECT_TRUE(header.camera.manufacturer.empty());
    EXPECT_TRUE(header.camera.model.empty());
    EXPECT_EQ(header.camera.sensorWidth, 0.0F);
    EXPECT_TRUE(header.clip.name.empty());
    EXPECT_TRUE(header.clip.videoFileName.empty());
    EXPECT_EQ(header.clip.durationFrames, 0U);
    EXPECT_EQ(header.clip.width, 0U);
    EXPECT_EQ(header.clip.height, 0U);
    EXPECT_EQ(header.tc.fps, 0.0F);
    EXPECT_FALSE(header.tc.drop);
    EXPECT_FALSE(header.shadingCorrection.enabled);
    EXPECT_EQ(header.shadingCorrection.gamma, 0.0F);
    EXPECT_FALSE(header.distortionCorrection.enabled);
    EXPECT_EQ(header.distortionCorrection.zoom, 0.0F);
}

TEST(DataModel, FreshFrameIsEmpty) {
    const Frame frame;
    EXPECT_EQ(frame.number, 0U);
    EXPECT_TRUE(frame.interpolationPoints.heights.empty());
    EXPECT_TRUE(frame.interpolationPoints.shading.empty());
    EXPECT_TRUE(frame.interpolationPoints.radialDistortion.empty());
    EXPECT_TRUE(frame.timecode.empty());
}

TEST(DataModel, FrameCopyIsIndependent) {
    Frame source;
    source.number = 7;
    source.interpolationPoints.heights = {0.0F, 1.0F};
    source.interpolationPoints.shading = {100.0F, 95.0F};
    source.interpolationPoints.radialDistortion = {0.0F, 0.01F};
    source.timecode = "01:00:00:07";

    Frame copy = source;
    copy.interpolationPoints.heights.push_back(2.0F);
    copy.interpolationPoints.shading[0] = 50.0F;
    copy.interpolationPoints.radialDistortion.clear();
    copy.timecode = "changed";

    EXPECT_EQ(source.interpolationPoints.heights, (std::vector<float>{0.0F, 1.0F}));
    EXPECT_EQ(source.interpolationPoints.shading, (std::vector<float>{100.0F, 95.0F}));
    EXPECT_EQ(source.interpolationPoints.radialDistortion, (std::vector<float>{0.0F, 0.01F}));
    EXPECT_EQ(source.timecode, "01:00:00:07");
}

TEST(DataModel, HeaderCopiesEveryGroup) {
    Header source;
    source.lens.serialNumber = "0042";
    source.lens.maxFocalLength = 65535;
    source.camera.sensorWidth = 28.25F;
    source.clip.height = 2160;
    source.tc.drop = true;
    source.distortionCorrection.zoom = 1.5F;

    const Header copy = source;
    EXPECT_EQ(copy.lens.serialNumber, "0042");
    EXPECT_EQ(copy.lens.maxFocalLength, 65535);
    EXPECT_EQ(copy.camera.sensorWidth, 28.25F);
    EXPECT_EQ(copy.clip.height, 2160U);
    EXPECT_TRUE(copy.tc.drop);
    EXPECT_EQ(copy.distortionCorrection.zoom, 1.5F);
}

TEST(DataModel, FramesComeBackInAscendingOrder) {
    Content content;
    EXPECT_TRUE(content.frames.empty());
    for (const unsigned int number : {30U, 10U, 20U}) {
        Frame frame;
        frame.number = number;
        content.frames[number] = frame;
    }
    Frame replacement;
    replacement.number = 20;
    replacement.timecode = "later";
    content.frames[20] = replacement;

    std::vector<unsigned int> order;
    for (const auto& entry : content.frames) {
        EXPECT_EQ(entry.first, entry.second.number);
        order.push_back(entry.first);
    }
    EXPECT_EQ(order, (std::vector<unsigned int>{10, 20, 30}));
    EXPECT_EQ(content.frames.at(20).timecode, "later");
}
