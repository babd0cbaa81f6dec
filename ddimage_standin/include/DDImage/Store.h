#pragma once

namespace DD {
namespace Image {

// What the pointer handed to a knob points to.
enum StoreType {
    IntPtr,
    FloatPtr,
    DoublePtr,
    BoolPtr,
    StringPtr,
    StlStringPtr,
    ChannelSetPtr,
    Custom
};

} // namespace Image
} // namespace DD
