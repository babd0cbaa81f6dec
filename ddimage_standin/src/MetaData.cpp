#include "DDImage/MetaData.h"

#include <cstdlib>
#include <sstream>
#include <utility>

namespace Foundry {
namespace Property {

// One metadata value: a text or a number.
class Base {
public:
    explicit Base(std::string text) : text_(std::move(text)) {}
    explicit Base(double number) : number_(number), isNumber_(true) {}

    bool operator==(const Base& other) const {
        return isNumber_ == other.isNumber_ && text_ == other.text_ && number_ == other.number_;
    }

    std::string text() const {
        if (!isNumber_) {
            return text_;
        }
        std::ostringstream stream;
        stream << number_;
        return stream.str();
    }

    double number() const {
        if (isNumber_) {
            return number_;
        }
        char* end = nullptr;
        const double value = std::strtod(text_.c_str(), &end);
        return end == text_.c_str() ? 0.0 : value;
    }

private:
    std::string text_;
    double number_ = 0.0;
    bool isNumber_ = false;
};

} // namespace Property
} // namespace Foundry

namespace DD {
namespace Image {
namespace MetaData {

Bundle::Bundle() = default;

Bundle::Bundle(const Bundle& other) {
    *this = other;
}

void Bundle::operator=(const Bundle& other) {
    if (this == &other) {
        return;
    }
    owned_.clear();
    data_.clear();
    for (const auto& entry : other.owned_) {
        setProperty(entry.first, std::make_shared<Foundry::Property::Base>(*entry.second));
    }
}

bool Bundle::operator==(const Bundle& other) const {
    if (owned_.size() != other.owned_.size()) {
        return false;
    }
    for (const auto& entry : owned_) {
        const auto match = other.owned_.find(entry.first);
        if (match == other.owned_.end() || !(*match->second == *entry.second)) {
            return false;
        }
    }
    return true;
}

Bundle::~Bundle() = default;

void Bundle::erase(const std::string& key) {
    data_.erase(key);
    owned_.erase(key);
}

Bundle::PropertyPtr Bundle::getData(const char* key) const {
    const auto found = data_.find(key);
    return found == data_.end() ? nullptr : found->second;
}

double Bundle::getDouble(const char* key) const {
    const PropertyPtr property = getData(key);
    return property != nullptr ? property->number() : 0.0;
}

std::string Bundle::getString(const char* key) const {
    const PropertyPtr property = getData(key);
    return property != nullptr ? property->text() : std::string();
}

void Bundle::setData(const std::string& key, double value) {
    setProperty(key, std::make_shared<Foundry::Property::Base>(value));
}

void Bundle::setData(const std::string& key, int value) {
    setData(key, static_cast<double>(value));
}

void Bundle::setData(const std::string& key, const std::string& value) {
    setProperty(key, std::make_shared<Foundry::Property::Base>(value));
}

void Bundle::setData(const std::string& key, const char* value) {
    setData(key, std::string(value != nullptr ? value : ""));
}

void Bundle::setProperty(const std::string& key,
                         std::shared_ptr<Foundry::Property::Base> property) {
    data_[key] = property.get();
    owned_[key] = std::move(property);
}

const Bundle& emptyBundle() {
    static const Bundle empty;
    return empty;
}

} // namespace MetaData
} // namespace Image
} // namespace DD
