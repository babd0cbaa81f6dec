#include "DDImage/Knob.h"
#include "DDImage/Knobs.h"

namespace DD {
namespace Image {

// Out-of-class definitions, so that code built as C++14 may odr-use the flags.
constexpr const Knob::FlagMask Knob::MAGNITUDE;
constexpr const Knob::FlagMask Knob::SLIDER;
constexpr const Knob::FlagMask Knob::LOG_SLIDER;
constexpr const Knob::FlagMask Knob::STORE_INTEGER;
constexpr const Knob::FlagMask Knob::FORCE_RANGE;
constexpr const Knob::FlagMask Knob::ANGLE;
constexpr const Knob::FlagMask Knob::NO_PROXYSCALE;
constexpr const Knob::FlagMask Knob::DISABLED;
constexpr const Knob::FlagMask Knob::NO_ANIMATION;
constexpr const Knob::FlagMask Knob::DO_NOT_WRITE;
constexpr const Knob::FlagMask Knob::INVISIBLE;
constexpr const Knob::FlagMask Knob::RESIZABLE;
constexpr const Knob::FlagMask Knob::STARTLINE;
constexpr const Knob::FlagMask Knob::ENDLINE;
constexpr const Knob::FlagMask Knob::NO_RERENDER;
constexpr const Knob::FlagMask Knob::NO_HANDLES;
constexpr const Knob::FlagMask Knob::KNOB_CHANGED_ALWAYS;
constexpr const Knob::FlagMask Knob::NO_KNOB_CHANGED;
constexpr const Knob::FlagMask Knob::HIDDEN;
constexpr const Knob::FlagMask Knob::NO_UNDO;
constexpr const Knob::FlagMask Knob::ALWAYS_SAVE;
constexpr const Knob::FlagMask Knob::SMALL_UI;
constexpr const Knob::FlagMask Knob::READ_ONLY;
constexpr const Knob::FlagMask Knob::EARLY_STORE;

Knob::Knob(Knob_Closure* /*closure*/, const char* name, const char* label) {
    this->name(name);
    this->label(label);
}

Knob::~Knob() = default;

Knob_Closure::~Knob_Closure() = default;

// These act on the knob made last, and only on the pass that makes knobs, so
// that later passes do not undo what a node changed since.
void Tooltip(Knob_Callback f, const char* text) {
    if (f.makeKnobs() && f.getLastMadeKnob() != nullptr) {
        f.getLastMadeKnob()->tooltip(text != nullptr ? text : "");
    }
}

void Tooltip(Knob_Callback f, const std::string& text) {
    Tooltip(f, text.c_str());
}

void SetFlags(Knob_Callback f, Knob::FlagMask n) {
    if (f.makeKnobs() && f.getLastMadeKnob() != nullptr) {
        f.getLastMadeKnob()->set_flag(n);
    }
}

void ClearFlags(Knob_Callback f, Knob::FlagMask n) {
    if (f.makeKnobs() && f.getLastMadeKnob() != nullptr) {
        f.getLastMadeKnob()->clear_flag(n);
    }
}

void SetRange(Knob_Callback f, double minimum, double maximum) {
    if (f.makeKnobs() && f.getLastMadeKnob() != nullptr) {
        f.getLastMadeKnob()->set_range(minimum, maximum);
    }
}

} // namespace Image
} // namespace DD
