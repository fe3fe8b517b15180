// A small JSON reader for tests: parses what the program prints back into values, apart from
// the program's own writers. Numbers are doubles; true and false read as 1 and 0.
#pragma once

#include <cctype>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace kelvrant::test {

// ---- A small JSON reader: enough to parse the summary back ----

struct Json {
    std::variant<std::nullptr_t, double, std::string, std::vector<Json>,
                 std::map<std::string, Json>>
        v;
    const Json& operator[](const std::string& key) const {
        return std::get<std::map<std::string, Json>>(v).at(key);
    }
    const Json& operator[](std::size_t i) const { return std::get<std::vector<Json>>(v).at(i); }
    double Number() const { return std::get<double>(v); }
    bool IsNull() const { return std::holds_alternative<std::nullptr_t>(v); }
    bool Has(const std::string& key) const {
        return std::get<std::map<std::string, Json>>(v).count(key) != 0;
    }
    const std::string& Text() const { return std::get<std::string>(v); }
    std::size_t Size() const { return std::get<std::vector<Json>>(v).size(); }
};

class JsonReader {
  public:
    explicit JsonReader(const std::string& text) : s_(text) {}
    // Throws on anything that is not exactly one JSON value (and a line end).
    Json Document() {
        Json j = Value();
        Space();
        if (i_ != s_.size()) throw std::runtime_error("text after the value");
        return j;
    }

  private:
    void Space() {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_])))
            ++i_;
    }
    char Next() {
        Space();
        if (i_ >= s_.size()) throw std::runtime_error("unexpected end");
        return s_[i_];
    }
    void Expect(char c) {
        if (Next() != c) throw std::runtime_error(std::string("expected ") + c);
        ++i_;
    }
    std::string String() {
        Expect('"');
        std::string out;
        while (i_ < s_.size() && s_[i_] != '"') {
            char c = s_[i_++];
            if (c == '\\') {
                c = s_.at(i_++);
                if (c == 'u') {
                    out += static_cast<char>(std::stoi(s_.substr(i_, 4), nullptr, 16));
                    i_ += 4;
                    continue;
                }
                if (c == 'n') c = '\n';
            } else if (static_cast<unsigned char>(c) < 0x20) {
                throw std::runtime_error("control character in a string");
            }
            out += c;
        }
        Expect('"');
        return out;
    }
    Json Value() {
        const char c = Next();
        if (c == '"') return {String()};
        if (c == '[') {
            ++i_;
            std::vector<Json> items;
            if (Next() == ']') return ++i_, Json{items};
            for (;;) {
                items.push_back(Value());
                if (Next() == ']') return ++i_, Json{items};
                Expect(',');
            }
        }
        if (c == '{') {
            ++i_;
            std::map<std::string, Json> members;
            if (Next() == '}') return ++i_, Json{members};
            for (;;) {
                std::string key = String();
                Expect(':');
                members[key] = Value();
                if (Next() == '}') return ++i_, Json{members};
                Expect(',');
            }
        }
        for (const char* word : {"null", "true", "false"}) {
            if (s_.compare(i_, std::strlen(word), word) != 0) continue;
            i_ += std::strlen(word);
            if (word[0] == 'n') return {nullptr};
            return {word[0] == 't' ? 1.0 : 0.0};
        }
        std::size_t used = 0;
        const double d = std::stod(s_.substr(i_), &used);
        i_ += used;
        return {d};
    }
    const std::string& s_;
    std::size_t i_ = 0;
};

}  // namespace kelvrant::test
