// A program that renders through the facade and returns from main: the OpenCL objects of the
// shared renderers are left to the operating system, so no release runs from a static destructor
// after a vendor's driver may have been unloaded. The fake OpenCL library ends the program with
// status 3 if one does.
#include "CoreTestSupport.h"
#include "FakeOpenCL.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

int main() {
    using namespace CoreTestSupport;
    FakeOpenCL::reset();
    ClipTree tree;
    auto settings = std::make_shared<SourceSettings>();
    settings->shading = true;
    settings->clipFilePath =
        tree.addClip("day1", "A001C003", correctionFileText("A001C003", {FrameRecord()}));
    settings->frameData.width = 144;
    settings->frameData.height = 100;
    Core::Core core(std::make_unique<TestDataSource>(settings));
    std::vector<float> frame(144 * 100 * 4, 0.5F);
    std::vector<float> output(frame.size());
    if (!core.render(frame.data(), output.data(), frame.size() * sizeof(float)) ||
        FakeOpenCL::state().programs.created == 0) {
        std::fputs("The frame was not rendered through the fake device.\n", stderr);
        return 1;
    }
    // Runs before the destructors of everything made so far.
    std::atexit([] { FakeOpenCL::mainHasReturned = true; });
    return 0;
}
