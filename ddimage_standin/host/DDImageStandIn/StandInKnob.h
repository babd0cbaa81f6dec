#pragma once

#include "DDImage/Knobs.h"

#include <string>
#include <vector>

class Node;

namespace DDImageStandIn {

// The test host's knob: keeps the value, range and entries a test inspects.
class StandInKnob : public DD::Image::Knob {
public:
    StandInKnob(DD::Image::Knob_Closure* closure, Node& node, int type, const char* name,
                const char* label, const void* extra);

    const char* Class() const override;
    // The type id the knob was made with (DD::Image::INT_KNOB ...).
    int type() const { return type_; }
    const std::vector<std::string>& entries() const { return entries_; }
    double rangeMinimum() const { return minimum_; }
    double rangeMaximum() const { return maximum_; }
    bool hasRange() const { return hasRange_; }
    const std::string& text() const { return text_; }

    bool from_script(const char* v) override;
    const char* get_text(const DD::Image::OutputContext* context = nullptr) const override;

    void readFrom(DD::Image::StoreType datatype, const void* pointer);
    void storeInto(DD::Image::StoreType datatype, void* pointer) const;

private:
    bool storeValue(double v, int channel) override;
    double storedValue(int channel) const override;
    void storeRange(double a, double b, bool force) override;

    Node& node_;
    int type_;
    double value_ = 0.0;
    std::string text_;
    std::vector<std::string> entries_;
    double minimum_ = 0.0;
    double maximum_ = 1.0;
    bool hasRange_ = false;
};

} // namespace DDImageStandIn
