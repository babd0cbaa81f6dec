#include "DDImageStandIn/StandInKnob.h"

#include "DDImageStandIn/Node.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace DDImageStandIn {

StandInKnob::StandInKnob(DD::Image::Knob_Closure* closure, Node& node, int type, const char* name,
                         const char* label, const void* extra)
    : Knob(closure, name, label), node_(node), type_(type) {
    if (type == DD::Image::ENUMERATION_KNOB && extra != nullptr) {
        for (auto entry = static_cast<DD::Image::ENUM_LABELS>(extra); *entry != nullptr; ++entry) {
            entries_.emplace_back(*entry);
        }
    }
    const bool numeric = type == DD::Image::INT_KNOB || type == DD::Image::FLOAT_KNOB ||
                         type == DD::Image::DOUBLE_KNOB;
    if (numeric && extra != nullptr) {
        const auto* range = static_cast<const DD::Image::IRange*>(extra);
        storeRange(range->a, range->b, range->force);
    }
}

const char* StandInKnob::Class() const {
    switch (type_) {
    case DD::Image::STRING_KNOB:
        return "String_Knob";
    case DD::Image::FILE_KNOB:
        return "File_Knob";
    case DD::Image::INT_KNOB:
        return "Int_Knob";
    case DD::Image::ENUMERATION_KNOB:
        return "Enumeration_Knob";
    case DD::Image::BOOL_KNOB:
        return "Boolean_Knob";
    case DD::Image::DOUBLE_KNOB:
    case DD::Image::FLOAT_KNOB:
        return "Double_Knob";
    case DD::Image::TAB_KNOB:
        return "Tab_Knob";
    case DD::Image::TEXT_KNOB:
        return "Text_Knob";
    default:
        return "Obsolete_Knob";
    }
}

bool StandInKnob::from_script(const char* v) {
    const std::string text = v != nullptr ? v : "";
    if (type_ == DD::Image::FILE_KNOB || type_ == DD::Image::STRING_KNOB) {
        if (text == text_) {
            return false;
        }
        text_ = text;
        node_.knobValueChanged(*this);
        return true;
    }
    return storeValue(std::strtod(text.c_str(), nullptr), -1);
}

const char* StandInKnob::get_text(const DD::Image::OutputContext* /*context*/) const {
    return text_.c_str();
}

void StandInKnob::readFrom(DD::Image::StoreType datatype, const void* pointer) {
    switch (datatype) {
    case DD::Image::IntPtr:
        value_ = *static_cast<const int*>(pointer);
        break;
    case DD::Image::FloatPtr:
        value_ = *static_cast<const float*>(pointer);
        break;
    case DD::Image::DoublePtr:
        value_ = *static_cast<const double*>(pointer);
        break;
    case DD::Image::BoolPtr:
        value_ = *static_cast<const bool*>(pointer) ? 1.0 : 0.0;
        break;
    case DD::Image::StringPtr: {
        const char* text = *static_cast<const char* const*>(pointer);
        text_ = text != nullptr ? text : "";
        break;
    }
    case DD::Image::StlStringPtr:
        text_ = *static_cast<const std::string*>(pointer);
        break;
    default:
        break;
    }
}

void StandInKnob::storeInto(DD::Image::StoreType datatype, void* pointer) const {
    switch (datatype) {
    case DD::Image::IntPtr:
        *static_cast<int*>(pointer) = static_cast<int>(value_);
        break;
    case DD::Image::FloatPtr:
        *static_cast<float*>(pointer) = static_cast<float>(value_);
        break;
    case DD::Image::DoublePtr:
        *static_cast<double*>(pointer) = value_;
        break;
    case DD::Image::BoolPtr:
        *static_cast<bool*>(pointer) = value_ != 0.0;
        break;
    case DD::Image::StringPtr:
        // The host owns the text; it lives as long as the knob keeps it.
        *static_cast<const char**>(pointer) = text_.c_str();
        break;
    case DD::Image::StlStringPtr:
        *static_cast<std::string*>(pointer) = text_;
        break;
    default:
        break;
    }
}

bool StandInKnob::storeValue(double v, int /*channel*/) {
    double value = v;
    if (type_ == DD::Image::INT_KNOB || type_ == DD::Image::ENUMERATION_KNOB) {
        value = std::round(value);
    }
    if (type_ == DD::Image::ENUMERATION_KNOB) {
        value = std::max(0.0, std::min(value, static_cast<double>(entries_.size()) - 1.0));
    }
    if (type_ == DD::Image::BOOL_KNOB) {
        value = value != 0.0 ? 1.0 : 0.0;
    }
    if (flag(FORCE_RANGE)) {
        value = std::max(minimum_, std::min(value, maximum_));
    }
    if (value == value_) {
        return false;
    }
    value_ = value;
    node_.knobValueChanged(*this);
    return true;
}

double StandInKnob::storedValue(int /*channel*/) const {
    return value_;
}

void StandInKnob::storeRange(double a, double b, bool force) {
    minimum_ = a;
    maximum_ = b;
    hasRange_ = true;
    if (force) {
        set_flag(FORCE_RANGE);
    }
}

} // namespace DDImageStandIn
