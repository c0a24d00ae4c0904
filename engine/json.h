#pragma once
// The engine's JSON writing: strings, numbers and objects, and the one-line objects of an
// assessment and of a load response that the public header hands out.

#include "engine/engine.h"

#include <string>
#include <string_view>

namespace trophex::engine {

// A JSON string literal; invalid UTF-8 becomes U+FFFD, so the output is always valid.
std::string jsonString(std::string_view text);
void appendJsonString(std::string& out, std::string_view text);

// A JSON number: the shortest text that reads back as the same double, with a full stop
// whatever the locale; null for a NaN or an infinity, which JSON cannot hold.
std::string jsonNumber(double value);
void appendJsonNumber(std::string& out, double value);

// Writes one JSON object into a string: the opening brace now, the closing one when it
// goes out of scope, and a comma before every key but the first.
class JsonObject {
public:
    explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }
    ~JsonObject() { out_ += '}'; }
    JsonObject(const JsonObject&) = delete;
    JsonObject& operator=(const JsonObject&) = delete;

    // The key and its colon; the caller appends the value to the string returned.
    std::string& key(std::string_view name);
    void field(std::string_view name, std::string_view text) { key(name) += jsonString(text); }

private:
    std::string& out_;   // where the object is written
    bool first_ = true;  // no key written yet
};

// The objects that assessmentJson and responseJson return; they may throw std::bad_alloc.
std::string writeAssessmentJson(const Assessment& assessment);
std::string writeResponseJson(const ResponseAssessment& assessment);

}  // namespace trophex::engine
