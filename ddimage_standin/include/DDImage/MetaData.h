#pragma once

#include "DDImage/DDImage_API.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>

namespace Foundry {
namespace Property {
class Base;
} // namespace Property
} // namespace Foundry

namespace DD {
namespace Image {
namespace MetaData {

static const char* const TIMECODE = "input/timecode";
static const char* const FRAME = "input/frame";
static const char* const FILENAME = "input/filename";
static const char* const FRAME_RATE = "input/frame_rate";
static const char* const INPUT_PREFIX = "input/";

// Metadata of one frame: properties (texts or numbers) by key.
class DDImage_API Bundle {
    class CompareKey {
    public:
        bool operator()(const std::string& a, const std::string& b) const { return a < b; }
    };

public:
    typedef Foundry::Property::Base* PropertyPtr;
    typedef std::map<std::string, PropertyPtr, CompareKey> data_t;
    typedef data_t::iterator iterator;
    typedef data_t::const_iterator const_iterator;

    Bundle();
    Bundle(const Bundle& other);
    void operator=(const Bundle& other);
    bool operator==(const Bundle& other) const;
    ~Bundle();

    size_t size() const { return data_.size(); }
    iterator begin() { return data_.begin(); }
    iterator end() { return data_.end(); }
    const_iterator begin() const { return data_.begin(); }
    const_iterator end() const { return data_.end(); }
    iterator find(const char* key) { return data_.find(key); }
    iterator find(const std::string& key) { return data_.find(key); }
    const_iterator find(const char* key) const { return data_.find(key); }
    const_iterator find(const std::string& key) const { return data_.find(key); }
    void erase(const char* key) { erase(std::string(key)); }
    void erase(const std::string& key);
    const data_t& meta() const { return data_; }

    PropertyPtr getData(const char* key) const;
    PropertyPtr getData(const std::string& key) const { return getData(key.c_str()); }
    // A text converted to a number; 0 when absent or not a number.
    double getDouble(const char* key) const;
    // A number formatted as text; empty when absent.
    std::string getString(const char* key) const;

    void setData(const std::string& key, double value);
    void setData(const std::string& key, int value);
    void setData(const std::string& key, const std::string& value);
    void setData(const std::string& key, const char* value);

private:
    void setProperty(const std::string& key, std::shared_ptr<Foundry::Property::Base> property);

    std::map<std::string, std::shared_ptr<Foundry::Property::Base>> owned_;
    data_t data_;
};

DDImage_API const Bundle& emptyBundle();

} // namespace MetaData
} // namespace Image
} // namespace DD
