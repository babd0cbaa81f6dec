#pragma once

#include "DDImage/DDImage_API.h"

#include <cstddef>
#include <iosfwd>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace DD {
namespace Image {

// A 64-bit hash of everything appended to it.
class DDImage_API Hash {
    // Undefined on purpose: only const char* may be passed without a length.
    void append(const void* data);

public:
    typedef U64 HashType;

    Hash() = default;
    Hash(const Hash&) = default;
    Hash(U64 v) : value_(v) {}
    const Hash& operator=(const Hash& other) {
        value_ = other.value_;
        return *this;
    }

    void reset() { value_ = initialValue; }
    void reset(U64 v) { value_ = v; }
    bool operator==(const Hash& other) const { return value_ == other.value_; }
    bool operator!=(const Hash& other) const { return value_ != other.value_; }
    bool operator<(const Hash& other) const { return value_ < other.value_; }
    U64 value() const { return value_; }
    U64 getHash() const { return value_; }

    void append(const void* data, size_t length);
    void append(const char* text);
    void append(const std::string& s) { append(s.c_str(), s.size() + 1); }
    void append(bool v) { append(&v, sizeof v); }
    void append(int v) { append(&v, sizeof v); }
    void append(unsigned v) { append(&v, sizeof v); }
    void append(float v) { append(&v, sizeof v); }
    void append(double v) { append(&v, sizeof v); }
    void append(const Hash& h) { append(h.value_); }
    void append(const std::set<int>& values) {
        for (int v : values) {
            append(v);
        }
    }
    void append(const std::map<int, int>& values) {
        for (const auto& pair : values) {
            append(pair.first);
            append(pair.second);
        }
    }
    void append(U64 v) { append(&v, sizeof v); }
    template <class T>
    void append(const std::vector<T>& vec) {
        append(static_cast<unsigned>(vec.size()));
        for (const T& v : vec) {
            append(v);
        }
    }
    template <class T>
    Hash& operator<<(const T& v) {
        append(v);
        return *this;
    }
    void newvalue() { append(++counter_); }

private:
    static constexpr U64 initialValue = 0xcbf29ce484222325ULL;
    U64 value_ = initialValue;
    unsigned counter_ = 0;
};

} // namespace Image
} // namespace DD

DDImage_API std::ostream& operator<<(std::ostream& stream, const DD::Image::Hash& hash);
