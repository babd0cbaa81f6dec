#include "cli/JsonWriter.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>

JsonWriter::JsonWriter(std::ostream& out) : out_(out) {}

void JsonWriter::beginObject() {
    beforeValue();
    out_ << '{';
    levels_.push_back({true, false, 0});
}

void JsonWriter::endObject() {
    close('}');
}

void JsonWriter::beginArray(bool oneLine) {
    beforeValue();
    out_ << '[';
    levels_.push_back({false, oneLine, 0});
}

void JsonWriter::endArray() {
    close(']');
}

JsonWriter& JsonWriter::key(const std::string& name) {
    Level& level = levels_.back();
    out_ << (level.count++ == 0 ? "" : ",");
    newLine();
    quoted(name);
    out_ << ": ";
    afterKey_ = true;
    return *this;
}

namespace {

// The shortest text that reads back as the same number; null for what JSON
// cannot hold.
template <typename Number>
void shortest(std::ostream& out, Number number) {
    if (!std::isfinite(number)) {
        out << "null";
        return;
    }
    std::array<char, 32> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), number);
    out.write(text.data(), result.ptr - text.data());
}

} // namespace

void JsonWriter::value(const std::string& text) {
    beforeValue();
    quoted(text);
}

void JsonWriter::value(const char* text) {
    value(std::string(text));
}

void JsonWriter::value(bool flag) {
    beforeValue();
    out_ << (flag ? "true" : "false");
}

void JsonWriter::value(double number) {
    beforeValue();
    shortest(out_, number);
}

void JsonWriter::value(float number) {
    beforeValue();
    shortest(out_, number);
}

void JsonWriter::value(std::int64_t number) {
    beforeValue();
    out_ << number;
}

void JsonWriter::value(std::uint32_t number) {
    beforeValue();
    out_ << number;
}

void JsonWriter::value(int number) {
    value(static_cast<std::int64_t>(number));
}

void JsonWriter::null() {
    beforeValue();
    out_ << "null";
}

void JsonWriter::values(const std::vector<float>& numbers) {
    beginArray();
    for (const float number : numbers) {
        value(number);
    }
    endArray();
}

void JsonWriter::values(const std::vector<std::string>& texts) {
    beginArray();
    for (const std::string& text : texts) {
        value(text);
    }
    endArray();
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty()) {
        return;
    }
    Level& level = levels_.back();
    if (level.count++ > 0) {
        out_ << (level.oneLine ? ", " : ",");
    }
    if (!level.oneLine) {
        newLine();
    }
}

void JsonWriter::newLine() {
    out_ << '\n';
    for (std::size_t depth = 0; depth < levels_.size(); ++depth) {
        out_ << "  ";
    }
}

void JsonWriter::close(char bracket) {
    const Level level = levels_.back();
    levels_.pop_back();
    if (level.count > 0 && !level.oneLine) {
        newLine();
    }
    out_ << bracket;
    if (levels_.empty()) {
        out_ << '\n';
    }
}

void JsonWriter::quoted(const std::string& text) {
    out_ << '"';
    for (const char c : text) {
        switch (c) {
        case '"':
            out_ << "\\\"";
            break;
        case '\\':
            out_ << "\\\\";
            break;
        case '\n':
            out_ << "\\n";
            break;
        case '\r':
            out_ << "\\r";
            break;
        case '\t':
            out_ << "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                std::array<char, 8> escaped{};
                std::snprintf(escaped.data(), escaped.size(), "\\u%04x",
                              static_cast<unsigned int>(static_cast<unsigned char>(c)));
                out_ << escaped.data();
            } else {
                out_ << c;
            }
        }
    }
    out_ << '"';
}
