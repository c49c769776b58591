// A small JSON writer for quelter-cli's results: flat objects, an array of
// changes, strings, integers, booleans and null. Output is compact (no
// blanks), so each object fits on one line.
//
// Ours rather than a library: the tool only writes a few flat objects, and
// the one delicate part, string escaping, is a few lines. Strings come in as
// UTF-8 that may be malformed (a port path is any bytes); each malformed
// sequence is written as U+FFFD, so the output is always valid UTF-8 and
// valid JSON, where a library would reject or throw.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class JsonWriter {
  public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    // Inside an object: the name of the value that follows.
    JsonWriter& key(std::string_view name);

    JsonWriter& string(std::string_view utf8);
    JsonWriter& number(std::int64_t value);
    JsonWriter& boolean(bool value);
    JsonWriter& null();

    const std::string& text() const { return out_; }

  private:
    void beforeValue();

    std::string out_;
    // Per open object or array: nothing written in it yet.
    std::vector<bool> empty_;
    bool afterKey_ = false;
};

// The string as a JSON string literal, quotes included.
std::string jsonQuoted(std::string_view utf8);
