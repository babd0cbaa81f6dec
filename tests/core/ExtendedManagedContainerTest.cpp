#include "core/ExtendedManagedContainer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using Core::ClipBinding;
using Core::ExtendedManagedContainer;
using CorrectionData::Content;

namespace {

class OneContentSource : public CorrectionData::ManagedContainerDataSource {
public:
    explicit OneContentSource(std::shared_ptr<Content> content) : content_(std::move(content)) {}
    void shareContent(const std::string&, std::shared_ptr<Content>& out) override {
        ++requests;
        out = content_;
    }
    void shareContent(const std::string&, const std::string&,
                      std::shared_ptr<Content>& out) override {
        ++requests;
        out = content_;
    }
    void forgetClip(const std::string&) override {}
    void forgetCorrectionFile(const std::string&) override {}
    int requests = 0;

private:
    std::shared_ptr<Content> content_;
};

ClipBinding byPath(const std::string& path) {
    ClipBinding binding;
    binding.clipFilePath = path;
    return binding;
}

} // namespace

TEST(ExtendedManagedContainer, StaysBoundOnlyToTheSameDataOfTheSameMode) {
    const auto source = std::make_shared<OneContentSource>(std::make_shared<Content>());
    const ExtendedManagedContainer clip("/clips/A.mov", source);
    EXPECT_TRUE(clip.isBoundTo(byPath("/clips/A.mov")));
    EXPECT_FALSE(clip.isBoundTo(byPath("/clips/B.mov")));

    ClipBinding explicitFile = byPath("/clips/A.mov");
    explicitFile.explicitFile = true;
    explicitFile.clipFileName = "A.mov";
    explicitFile.correctionFilePath = "/lens/A.vlcf";
    EXPECT_FALSE(clip.isBoundTo(explicitFile));
    const ExtendedManagedContainer file("A.mov", "/lens/A.vlcf", source);
    EXPECT_TRUE(file.isBoundTo(explicitFile));
    explicitFile.clipFileName = "B.mov";
    EXPECT_FALSE(file.isBoundTo(explicitFile));

    ClipBinding json = byPath("/clips/A.mov");
    json.hasFrameMetadata = true;
    json.frameMetadata = "{}";
    EXPECT_FALSE(clip.isBoundTo(json)) << "metadata must replace a clip-path container";
    const ExtendedManagedContainer embedded("{}");
    EXPECT_TRUE(embedded.isBoundTo(json));
    json.frameMetadata = "{ }";
    EXPECT_FALSE(embedded.isBoundTo(json));
}

TEST(ExtendedManagedContainer, DerivesTheFormatFromTheHeaderOnce) {
    auto content = std::make_shared<Content>();
    content->header.clip.width = 4096;
    content->header.clip.height = 2160;
    content->header.camera.sensorWidth = 24.0F;
    const auto source = std::make_shared<OneContentSource>(content);
    ExtendedManagedContainer container("/clips/A.mov", source);

    const auto format = container.recordingFormat();
    EXPECT_EQ(format.pixelWidth, 4096U);
    EXPECT_FLOAT_EQ(format.sensorHeight, 12.65625F);
    EXPECT_NEAR(format.sensorRadius, 13.566F, 1e-3);

    // Later header changes do not reach the derived format.
    content->header.camera.sensorWidth = 12.0F;
    EXPECT_FLOAT_EQ(container.recordingFormat().sensorWidth, 24.0F);
}

TEST(ExtendedManagedContainer, UnknownCameraLeavesHeaderValuesWithoutRadius) {
    auto content = std::make_shared<Content>();
    content->header.clip.width = 1000;
    content->header.clip.height = 500;
    content->header.camera.manufacturer = "Nobody";
    content->header.camera.model = "Nothing";
    ExtendedManagedContainer container("/clips/A.mov", std::make_shared<OneContentSource>(content));
    const auto format = container.recordingFormat();
    EXPECT_EQ(format.pixelWidth, 1000U);
    EXPECT_EQ(format.sensorHeight, 0.0F);
    EXPECT_EQ(format.sensorRadius, 0.0F);
}
