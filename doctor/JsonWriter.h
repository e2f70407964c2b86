#pragma once
// A small writer of compact JSON for the doctor's --json output: objects, arrays, and text,
// number and true/false values, with the commas and the escaping done once. Text is UTF-16
// or UTF-8 and comes out as UTF-8; control characters come out as \u escapes.

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvel::helpdoctor {

class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    // The name of the next member of the object being written.
    JsonWriter& key(std::string_view name);

    JsonWriter& value(const std::u16string& text);
    JsonWriter& value(std::string_view text);  // UTF-8
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(bool flag);
    JsonWriter& value(std::integral auto number) { return number_(static_cast<long long>(number)); }

    // key(name) then value(v).
    template <class T>
    JsonWriter& field(std::string_view name, const T& v)
    {
        key(name);
        return value(v);
    }

    // What was written, with a line end.
    std::string text() const { return out_ + "\n"; }

    // The JSON string literal of a text, quotes included.
    static std::string quoted(const std::u16string& text);

private:
    void beforeValue();
    JsonWriter& number_(long long number);

    std::string out_;
    std::vector<bool> empty_;  // per open object or array: nothing written in it yet
    bool afterKey_ = false;
};

}  // namespace morvel::helpdoctor
