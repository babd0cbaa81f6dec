#pragma once

#include "DDImage/DDImage_API.h"
#include "DDImage/ValueStuffI.h"

#include <string>

class Node;

namespace DD {
namespace Image {

class Knob_Closure;
class OutputContext;

// A control of a node. The host owns it; the node reads and writes its value.
class DDImage_API Knob : public ValueStuffI {
public:
    typedef U64 FlagMask;

    static constexpr const FlagMask MAGNITUDE = 0x1;
    static constexpr const FlagMask SLIDER = 0x2;
    static constexpr const FlagMask LOG_SLIDER = 0x4;
    static constexpr const FlagMask STORE_INTEGER = 0x8;
    static constexpr const FlagMask FORCE_RANGE = 0x10;
    static constexpr const FlagMask ANGLE = 0x20;
    static constexpr const FlagMask NO_PROXYSCALE = 0x40;
    static constexpr const FlagMask DISABLED = 0x80;
    static constexpr const FlagMask NO_ANIMATION = 0x100;
    static constexpr const FlagMask DO_NOT_WRITE = 0x200;
    static constexpr const FlagMask INVISIBLE = 0x400;
    static constexpr const FlagMask RESIZABLE = 0x800;
    static constexpr const FlagMask STARTLINE = 0x1000;
    static constexpr const FlagMask ENDLINE = 0x2000;
    static constexpr const FlagMask NO_RERENDER = 0x4000;
    static constexpr const FlagMask NO_HANDLES = 0x8000;
    static constexpr const FlagMask KNOB_CHANGED_ALWAYS = 0x10000;
    static constexpr const FlagMask NO_KNOB_CHANGED = 0x20000;
    static constexpr const FlagMask HIDDEN = 0x40000;
    static constexpr const FlagMask NO_UNDO = 0x80000;
    static constexpr const FlagMask ALWAYS_SAVE = 0x100000;
    static constexpr const FlagMask SMALL_UI = 0x2000000;
    static constexpr const FlagMask READ_ONLY = 0x10000000;
    static constexpr const FlagMask EARLY_STORE = 0x80000000;

    Knob(Knob_Closure* c, const char* name, const char* label = nullptr);
    virtual ~Knob();

    virtual const char* Class() const = 0;

    const std::string& name() const { return name_; }
    void name(const char* n) { name_ = n != nullptr ? n : ""; }
    const char* name_c_str() const { return name_.c_str(); }
    bool is(const char* v) const { return v != nullptr && name_ == v; }
    const std::string& label() const { return label_; }
    void label(const char* l) { label_ = l != nullptr ? l : ""; }
    const char* label_c_str() const { return label_.c_str(); }
    const std::string& tooltip() const { return tooltip_; }
    void tooltip(const std::string& text) { tooltip_ = text; }

    void flags(FlagMask f) { flags_ = f; }
    FlagMask flags() const { return flags_; }
    void set_flag(FlagMask f) { flags_ |= f; }
    void set_flag(FlagMask f, bool on) { on ? set_flag(f) : clear_flag(f); }
    void clear_flag(FlagMask f) { flags_ &= ~f; }
    void invert_flag(FlagMask f) { flags_ ^= f; }
    bool flag(FlagMask f) const { return (flags_ & f) != 0; }
    bool any_of(FlagMask f) const noexcept { return (flags_ & f) != 0; }
    bool all_of(FlagMask f) const noexcept { return (flags_ & f) == f; }

    bool isEnabled() const { return !flag(DISABLED); }
    void enable() { enable(true); }
    void disable() { enable(false); }
    virtual void enable(bool e) {
        set_flag(DISABLED, !e);
        set_flag(NO_HANDLES, !e);
    }
    bool isVisible() const { return !flag(HIDDEN) && !flag(INVISIBLE); }
    void hide() { visible(false); }
    void show() { visible(true); }
    void visible(bool v) { set_flag(HIDDEN, !v); }

    virtual bool from_script(const char* v) = 0;
    bool set_text(const char* v) { return from_script(v); }
    virtual const char* get_text(const OutputContext* context = nullptr) const = 0;

private:
    std::string name_;
    std::string label_;
    std::string tooltip_;
    FlagMask flags_ = 0;
};

} // namespace Image
} // namespace DD
