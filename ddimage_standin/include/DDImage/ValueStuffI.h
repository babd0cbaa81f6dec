#pragma once

#include "DDImage/DDImage_API.h"

namespace DD {
namespace Image {

// Numeric values of a knob.
class DDImage_API ValueStuffI {
protected:
    virtual ~ValueStuffI() = default;

public:
    // Channel -1 sets all channels; true when the value changed.
    bool set_value(double v, int channel = -1) { return storeValue(v, channel); }
    double get_value(int channel = 0) const { return storedValue(channel); }
    void set_range(double a, double b, bool force = false) { storeRange(a, b, force); }

private:
    virtual bool storeValue(double v, int channel) = 0;
    virtual double storedValue(int channel) const = 0;
    virtual void storeRange(double a, double b, bool force) = 0;
};

} // namespace Image
} // namespace DD
