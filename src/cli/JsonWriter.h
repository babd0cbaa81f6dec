#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// Writes one JSON document to a stream as it is built: objects one member a
// line, indented by two spaces, arrays of plain values on one line. Numbers
// that are not finite are written as null.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out);

    void beginObject();
    void endObject();
    // `oneLine`: the elements stay on the line of the array's opening bracket.
    void beginArray(bool oneLine = true);
    void endArray();
    // The name of the next object member.
    JsonWriter& key(const std::string& name);

    void value(const std::string& text);
    void value(const char* text);
    void value(bool flag);
    void value(double number);
    void value(float number);
    void value(std::int64_t number);
    void value(std::uint32_t number);
    void value(int number);
    void null();

    // Arrays of plain values.
    void values(const std::vector<float>& numbers);
    void values(const std::vector<std::string>& texts);

private:
    struct Level {
        bool object = true;
        bool oneLine = false;
        std::size_t count = 0;
    };
    void beforeValue();
    void newLine();
    void close(char bracket);
    void quoted(const std::string& text);

    std::ostream& out_;
    std::vector<Level> levels_;
    bool afterKey_ = false;
};
