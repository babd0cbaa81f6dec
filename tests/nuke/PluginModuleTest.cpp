#include "DDImageStandIn/Node.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

// The built plug-in, loaded the way the host loads it.
TEST(PluginModuleTest, LoadingRegistersBothNodeClasses) {
    ASSERT_EQ(Node::create("VelorLensDistortionCorrection"), nullptr) << "not before loading";
    void* module = dlopen(VELOR_PLUGIN_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    EXPECT_EQ(dlsym(module, "_ZN24LensDistortionCorrection11descriptionE"), nullptr)
        << "nothing of the plug-in is exported";

    for (const char* className : {"VelorLensDistortionCorrection", "VelorLensShadingCorrection"}) {
        const std::unique_ptr<Node> node = Node::create(className);
        ASSERT_NE(node, nullptr) << className;
        EXPECT_FALSE(node->validate()) << "no image input";
        EXPECT_TRUE(node->op()->aborted());
        EXPECT_FALSE(node->op()->hasError()) << "quietly";
    }
    // The module stays loaded: the host never unloads plug-ins either.
}
