#include "JsonWriter.h"

#include "portable/Utf8.h"

namespace morvel::helpdoctor {

std::string JsonWriter::quoted(const std::u16string& text)
{
    std::string out = "\"";
    for (unsigned char c : utf8(text)) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                static const char digits[] = "0123456789abcdef";
                out += "\\u00";
                out += digits[c >> 4];
                out += digits[c & 0xF];
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

void JsonWriter::beforeValue()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!empty_.empty()) {
        if (!empty_.back()) out_ += ',';
        empty_.back() = false;
    }
}

JsonWriter& JsonWriter::beginObject()
{
    beforeValue();
    out_ += '{';
    empty_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::endObject()
{
    out_ += '}';
    empty_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::beginArray()
{
    beforeValue();
    out_ += '[';
    empty_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::endArray()
{
    out_ += ']';
    empty_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name)
{
    beforeValue();
    out_ += quoted(std::u16string(name.begin(), name.end()));
    out_ += ':';
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(const std::u16string& text)
{
    beforeValue();
    out_ += quoted(text);
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) { return value(fromUtf8(std::string(text))); }

JsonWriter& JsonWriter::value(bool flag)
{
    beforeValue();
    out_ += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::number_(long long number)
{
    beforeValue();
    out_ += std::to_string(number);
    return *this;
}

}  // namespace morvel::helpdoctor
