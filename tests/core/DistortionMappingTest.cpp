#include "core/DistortionMapping.h"
#include "core/Core.h"
#include "core/CoreDataSource.h"
#include "correction_data/Calculations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string fixture =
    std::string(VELOR_TEST_DATA_DIR) + "/correction_file/valid_version3.vlcf";

// Frame 0 of the fixture's clip, at its recording format's size.
class FixtureDataSource : public Core::CoreDataSource {
public:
    FixtureDataSource(bool distortion, bool reverse) : distortion_(distortion), reverse_(reverse) {}

    bool shouldPerformShadingCorrection(Core::ShadingCorrectionParameter&) const override {
        return !distortion_;
    }
    bool shouldPerformDistortionCorrection(Core::DistortionCorrectionParameter& p) const override {
        p.reverse = reverse_;
        return distortion_;
    }
    bool frameMetadata(char*, size_t) const override { return false; }
    bool correctionFilePath(char* buffer, size_t size) const override {
        return copy(fixture, buffer, size);
    }
    bool clipFileName(char* buffer, size_t size) const override {
        return copy("A001C003.mov", buffer, size);
    }
    bool clipFilePath(char*, size_t) const override { return false; }
    bool frameData(Core::FrameData& frameData) const override {
        frameData.width = 4448;
        frameData.height = 3096;
        return true;
    }
    bool recordingFormat(RecordingFormatDatabase::RecordingFormat&) const override { return false; }

private:
    static bool copy(const std::string& text, char* buffer, size_t size) {
        if (text.size() + 1 > size) {
            return false;
        }
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return true;
    }
    bool distortion_;
    bool reverse_;
};

const std::vector<float> heights{0, 4, 8, 12, 16, 20, 24};
const std::vector<float> distortion{0, -0.1F, -0.35F, -0.8F, -1.2F, -1.75F, -2.3F};

std::vector<float> distortedHeights() {
    std::vector<float> result;
    for (std::size_t i = 0; i < heights.size(); ++i) {
        result.push_back(heights[i] * (1.0F - distortion[i] / 1000.0F));
    }
    return result;
}

std::vector<float> fit(const std::vector<float>& x, const std::vector<float>& y) {
    std::vector<float> coefficients;
    CorrectionData::Calculations::calculateCoefficients(x, y, coefficients);
    return coefficients;
}

float evaluate(const std::vector<float>& coefficients, float x) {
    float sum = 0.0F;
    float power = 1.0F;
    for (const float c : coefficients) {
        sum += c * power;
        power *= x;
    }
    return sum;
}

float sensorRadius() {
    const float width = 36.70F;
    const float height = 3096.0F / 4448.0F * width;
    return static_cast<float>(std::sqrt(0.5 * width * 0.5 * width + 0.5 * height * 0.5 * height));
}

void expectCoefficients(const std::vector<float>& expected, const Core::DistortionMapping& m) {
    ASSERT_EQ(expected.size(), 7U);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_FLOAT_EQ(m.coefficients[i], expected[i]) << "coefficient " << i;
    }
}

TEST(DistortionMappingTest, UndistortionMapsThroughTheInverseFitFromTheDistortedRadius) {
    Core::Core core(std::make_unique<FixtureDataSource>(true, false));
    Core::DistortionMapping mapping;
    ASSERT_TRUE(core.distortionMapping(mapping));
    EXPECT_EQ(mapping.width, 4448U);
    EXPECT_EQ(mapping.height, 3096U);
    expectCoefficients(fit(distortedHeights(), heights), mapping);
    const float forwardRadius = evaluate(fit(heights, distortedHeights()), sensorRadius());
    EXPECT_NEAR(mapping.imageRadius, forwardRadius, 1e-4);
}

TEST(DistortionMappingTest, DistortionMapsThroughTheForwardFitFromTheSensorRadius) {
    Core::Core core(std::make_unique<FixtureDataSource>(true, true));
    Core::DistortionMapping mapping;
    ASSERT_TRUE(core.distortionMapping(mapping));
    expectCoefficients(fit(heights, distortedHeights()), mapping);
    EXPECT_NEAR(mapping.imageRadius, sensorRadius(), 1e-4);
}

TEST(DistortionMappingTest, FailsWithItsOwnMessageWithoutADistortionRequest) {
    Core::Core core(std::make_unique<FixtureDataSource>(false, false));
    Core::DistortionMapping mapping;
    mapping.width = 7;
    EXPECT_FALSE(core.distortionMapping(mapping));
    EXPECT_EQ(mapping.width, 7U);
    char brief[256] = {};
    ASSERT_TRUE(core.briefErrorDescription(brief, sizeof brief));
    EXPECT_STREQ(brief, "A distortion mapping needs a distortion correction request.");
}

} // namespace
