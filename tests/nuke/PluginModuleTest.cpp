#include "DDImage/Op.h"
#include "DDImageStandIn/Node.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <set>
#include <string>

namespace {

std::set<std::string> registeredClasses() {
    std::set<std::string> names;
    for (int i = 0; DD::Image::Op::Description::find(i) != nullptr; ++i) {
        names.insert(DD::Image::Op::Description::find(i)->name);
    }
    return names;
}

} // namespace

// The built plug-in, loaded the way the host loads it.
TEST(PluginModuleTest, LoadingRegistersBothNodeClasses) {
    ASSERT_EQ(registeredClasses().count("VelorLensDistortionCorrection"), 0U);
    void* module = dlopen(VELOR_PLUGIN_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();

    const std::set<std::string> names = registeredClasses();
    EXPECT_EQ(names.count("VelorLensDistortionCorrection"), 1U);
    EXPECT_EQ(names.count("VelorLensShadingCorrection"), 1U);
    EXPECT_EQ(dlsym(module, "_ZN24LensDistortionCorrection11descriptionE"), nullptr)
        << "nothing of the plug-in is exported";

    for (const char* className : {"VelorLensDistortionCorrection", "VelorLensShadingCorrection"}) {
        const std::unique_ptr<Node> node = Node::create(className);
        ASSERT_NE(node, nullptr);
        EXPECT_STREQ(node->op()->Class(), className);
        EXPECT_EQ(node->knobs().size(), 24U);
        EXPECT_FALSE(node->validate()) << "no image input";
    }
    // The module stays loaded: the host never unloads plug-ins either.
}
