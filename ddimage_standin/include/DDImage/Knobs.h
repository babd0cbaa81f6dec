#pragma once

#include "DDImage/DDImage_API.h"
#include "DDImage/Knob.h"
#include "DDImage/Store.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace DD {
namespace Image {

// Knob type ids, the first argument of a closure call.
enum {
    OBSOLETE_KNOB = 0,
    STRING_KNOB = 1,
    FILE_KNOB = 2,
    INT_KNOB = 3,
    ENUMERATION_KNOB = 4,
    BOOL_KNOB = 6,
    DOUBLE_KNOB = 7,
    FLOAT_KNOB = 8,
    TAB_KNOB = 20,
    TEXT_KNOB = 26,
    SCRIPT_KNOB = 32
};

// Called by a node's knobs() for every knob: creates the knobs on the first
// pass and stores their values into the node's members on later passes.
class DDImage_API Knob_Closure {
    virtual Knob* call(int type, StoreType datatype, void* pointer, const char* name,
                       const char* label, const void* extra) = 0;

public:
    Knob* operator()() { return call(OBSOLETE_KNOB, Custom, nullptr, nullptr, nullptr, nullptr); }
    Knob* operator()(int type, const char* name, const char* label, const void* extra) {
        return call(type, Custom, nullptr, name, label, extra);
    }
    Knob* operator()(int type, StoreType datatype, void* pointer, const char* name,
                     const char* label = nullptr, const void* extra = nullptr) {
        return call(type, datatype, pointer, name, label, extra);
    }

    Knob_Closure(bool v = false) : makeKnobs_(v) {}
    virtual ~Knob_Closure();

    bool makeKnobs() const { return makeKnobs_; }
    void setLastMadeKnob(Knob* knob) { lastMadeKnob_ = knob; }
    Knob* getLastMadeKnob() const { return lastMadeKnob_; }

private:
    bool makeKnobs_;
    Knob* lastMadeKnob_ = nullptr;
};

typedef Knob_Closure& Knob_Callback;
typedef const char* NAME;
typedef const char* LABEL;
typedef const char* const* ENUM_LABELS;

struct DDImage_API IRange {
    double a;
    double b;
    bool force;
    IRange(double A, double B, bool F = false) : a(A), b(B), force(F) {}
};

enum FileKnob_Type {
    Normal_File = 0,
    Read_File_Proxy = 1,
    Write_File_Proxy = 2,
    Geo_File = 3,
    Write_File_Normal = 4,
    Script_File = 5,
    Read_File_Cached = 6,
    Read_File_NoProxy = 7,
    OCIO_File = 8,
    Particle_Cache_File = 9,
    Cube_File = 10
};

inline Knob* Int_knob(Knob_Callback f, int* p, NAME n, LABEL l = nullptr) {
    return f(INT_KNOB, IntPtr, p, n, l);
}
inline Knob* Int_knob(Knob_Callback f, int* p, const IRange& r, NAME n, LABEL l = nullptr) {
    return f(INT_KNOB, IntPtr, p, n, l, &r);
}
inline Knob* Float_knob(Knob_Callback f, double* p, NAME n, LABEL l = nullptr) {
    return f(FLOAT_KNOB, DoublePtr, p, n, l);
}
inline Knob* Float_knob(Knob_Callback f, float* p, NAME n, LABEL l = nullptr) {
    return f(FLOAT_KNOB, FloatPtr, p, n, l);
}
inline Knob* Float_knob(Knob_Callback f, double* p, const IRange& r, NAME n, LABEL l = nullptr) {
    return f(FLOAT_KNOB, DoublePtr, p, n, l, &r);
}
inline Knob* Float_knob(Knob_Callback f, float* p, const IRange& r, NAME n, LABEL l = nullptr) {
    return f(FLOAT_KNOB, FloatPtr, p, n, l, &r);
}
inline Knob* Double_knob(Knob_Callback f, double* p, NAME n, LABEL l = nullptr) {
    return f(DOUBLE_KNOB, DoublePtr, p, n, l);
}
inline Knob* Bool_knob(Knob_Callback f, bool* p, NAME n, LABEL l = nullptr) {
    return f(BOOL_KNOB, BoolPtr, p, n, l);
}
inline Knob* Enumeration_knob(Knob_Callback f, int* p, ENUM_LABELS e, NAME n, LABEL l = nullptr) {
    return f(ENUMERATION_KNOB, IntPtr, p, n, l, e);
}
inline Knob* File_knob(Knob_Callback f, const char** p, NAME n, LABEL l = nullptr,
                       FileKnob_Type type = Normal_File) {
    return f(FILE_KNOB, StringPtr, p, n, l,
             reinterpret_cast<const void*>(static_cast<std::intptr_t>(type)));
}
inline Knob* String_knob(Knob_Callback f, const char** p, NAME n, LABEL l = nullptr) {
    return f(STRING_KNOB, StringPtr, p, n, l);
}
inline Knob* String_knob(Knob_Callback f, std::string* p, NAME n, LABEL l = nullptr) {
    return f(STRING_KNOB, StlStringPtr, p, n, l);
}
inline Knob* Button(Knob_Callback f, NAME n, LABEL l = nullptr) {
    return f(SCRIPT_KNOB, n, l, nullptr);
}
inline Knob* Divider(Knob_Callback f, LABEL label = nullptr) {
    return f(TEXT_KNOB, nullptr, label, nullptr);
}
inline Knob* BeginGroup(Knob_Callback f, NAME name, LABEL label = nullptr) {
    return f(TAB_KNOB, name, label, reinterpret_cast<const void*>(1));
}
inline Knob* BeginClosedGroup(Knob_Callback f, NAME name, LABEL label = nullptr) {
    return f(TAB_KNOB, name, label, reinterpret_cast<const void*>(2));
}
inline Knob* EndGroup(Knob_Callback f) {
    return f(TAB_KNOB, nullptr, nullptr, reinterpret_cast<const void*>(-1));
}

DDImage_API void Tooltip(Knob_Callback f, const char* text);
DDImage_API void Tooltip(Knob_Callback f, const std::string& text);
DDImage_API void SetFlags(Knob_Callback f, Knob::FlagMask n);
DDImage_API void ClearFlags(Knob_Callback f, Knob::FlagMask n);
DDImage_API void SetRange(Knob_Callback f, double minimum, double maximum);

} // namespace Image
} // namespace DD
