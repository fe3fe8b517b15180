// The parameter table of the parameter file (see ParameterTable.h).
#include "settings/ParameterTable.h"

#include <new>

#include "settings/TextScan.h"

namespace kelvrant {
namespace {

constexpr std::size_t kMaxNameLength = 127;

bool PrefixIgnoringCase(std::string_view text, std::string_view word) {
    if (text.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != word[i]) return false;
    }
    return true;
}

}  // namespace

ParameterTable::ParameterTable(int capacity, int valueColumn)
    : capacity_(capacity),
      valueColumn_(valueColumn < 0 ? 0 : static_cast<std::size_t>(valueColumn)) {}

bool ParameterTable::Add(Entry entry) {
    if (static_cast<int>(entries_.size()) >= capacity_ - 1) {
        error_ = kNoRoom;
        return false;
    }
    if (entry.name.size() > kMaxNameLength) entry.name.resize(kMaxNameLength);
    try {
        entries_.push_back(std::move(entry));
    } catch (const std::bad_alloc&) {
        error_ = kNoRoom;
        return false;
    }
    return true;
}

bool ParameterTable::AddStringParam(std::string_view name, std::string* target,
                                    std::size_t maxLength) {
    Entry e;
    e.kind = Kind::String;
    e.name = std::string(name);
    e.text = target;
    e.maxLength = maxLength;
    return Add(std::move(e));
}

bool ParameterTable::AddYesNoParam(std::string_view name, std::int32_t* target) {
    Entry e;
    e.kind = Kind::YesNo;
    e.name = std::string(name);
    e.integer = target;
    return Add(std::move(e));
}

bool ParameterTable::AddIntParam(std::string_view name, std::int32_t* target, std::int32_t min,
                                 std::int32_t max) {
    Entry e;
    e.kind = Kind::Int;
    e.name = std::string(name);
    e.integer = target;
    e.intMin = min;
    e.intMax = max;
    return Add(std::move(e));
}

bool ParameterTable::AddDoubleParam(std::string_view name, double* target, double min, double max) {
    Entry e;
    e.kind = Kind::Double;
    e.name = std::string(name);
    e.real = target;
    e.realMin = min;
    e.realMax = max;
    return Add(std::move(e));
}

bool ParameterTable::ParseLine(std::string_view line) {
    // The key runs from column 1 to the first space; a tab or the line feed belongs to it.
    const std::string_view key = line.substr(0, std::min(line.find(' '), kMaxNameLength));
    const Entry* entry = nullptr;
    for (const Entry& e : entries_) {
        if (e.name == key) {
            entry = &e;
            break;
        }
    }
    if (entry == nullptr) {
        error_ = kUnknownParam;
        return false;
    }
    // The value field starts at the fixed column, or earlier where a value begins after the
    // key and its blanks: the column is hard to hit by hand, and reading from it would cut
    // such a value or take a closing quote for an opening one.
    std::size_t start = std::min(valueColumn_, line.size());
    const std::size_t afterBlanks = line.find_first_not_of(' ', key.size());
    if (key.size() < line.size() && line[key.size()] == ' ' && afterBlanks < start &&
        line[afterBlanks] != '\n' && line[afterBlanks] != '\r')
        start = afterBlanks;
    const std::string_view value = line.substr(start);
    switch (entry->kind) {
        case Kind::String: {
            entry->text->clear();
            const std::size_t open = value.find('"');
            if (open == std::string_view::npos) {
                error_ = kFormatError;
                return false;
            }
            std::string_view text = value.substr(open + 1);
            const std::size_t close = text.find('"');
            // Without its closing quote the value would run on into the line end.
            if (close == std::string_view::npos) {
                error_ = kFormatError;
                return false;
            }
            text = text.substr(0, close);
            *entry->text = std::string(text.substr(0, entry->maxLength));
            return true;
        }
        case Kind::YesNo:
            if (PrefixIgnoringCase(value, "YES")) {
                *entry->integer = 1;
                return true;
            }
            if (PrefixIgnoringCase(value, "NO")) {
                *entry->integer = 0;
                return true;
            }
            error_ = kRangeError;
            return false;
        case Kind::Int: {
            *entry->integer = 0;
            ValueScanner scan(value);
            std::int32_t v = 0;
            if (scan.Int(v)) {
                *entry->integer = v;
                if (v >= entry->intMin && v <= entry->intMax) return true;
            }
            error_ = kRangeError;
            return false;
        }
        case Kind::Double: {
            *entry->real = 0.0;
            ValueScanner scan(value);
            double v = 0.0;
            if (scan.Real(v)) {
                *entry->real = v;
                // A NaN fails both comparisons and so is out of range.
                if (v >= entry->realMin && v <= entry->realMax) return true;
            }
            error_ = kRangeError;
            return false;
        }
    }
    error_ = kRangeError;
    return false;
}

}  // namespace kelvrant
