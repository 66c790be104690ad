#include "tString.h"

#include <algorithm>
#include <cstring>

tString::Position::Position(const tString* s, int index) : string_(s), index_(index) {}

std::uint16_t tString::Position::Read() const {
    if (string_ == nullptr) throw tStringError(kUninitializedIterator);
    if (index_ < 0 || index_ >= string_->length_) throw tStringError(kPastBounds);
    return string_->units_.begin[index_];
}

void tString::Position::Advance(int by) {
    if (string_ == nullptr) throw tStringError(kUninitializedIterator);
    const int next = index_ + by;
    if (next < 0 || next > string_->length_) throw tStringError(kPastBounds);
    index_ = next;
}

tString::tString() = default;

tString::tString(const char* text) {
    if (text == nullptr) return;
    const std::size_t n = std::strlen(text);
    if (n >= static_cast<std::size_t>(kMaxLength)) return;  // refused whole
    Grow(static_cast<int>(n));
    for (std::size_t i = 0; i < n; ++i) units_.begin[i] = static_cast<unsigned char>(text[i]);
    length_ = static_cast<int>(n);
    units_.end = units_.begin + length_;
}

tString::tString(const tString& other) { AppendUnits(other.units_.begin, other.length_); }

tString& tString::operator=(const tString& other) {
    if (this == &other) return *this;
    length_ = 0;
    if (units_.begin != nullptr) units_.end = units_.begin;
    AppendUnits(other.units_.begin, other.length_);
    return *this;
}

tString::~tString() {
    delete[] narrow_;
    delete[] units_.begin;
}

int tString::Reserve(int n) {
    if (n < 50) return 2 * n + 1;
    if (n < 1000) return n * 20 / 100;
    return n * 5 / 100;
}

void tString::Grow(int n) {
    if (capacity_ >= n) return;
    capacity_ = n + Reserve(n);
    const auto storage = static_cast<int>(units_.endOfStorage - units_.begin);
    if (storage >= capacity_) return;
    auto* fresh = new std::uint16_t[static_cast<std::size_t>(capacity_)];
    if (length_ > 0) std::copy(units_.begin, units_.begin + length_, fresh);
    delete[] units_.begin;
    units_.begin = fresh;
    units_.end = fresh + length_;
    units_.endOfStorage = fresh + capacity_;
}

void tString::AppendUnits(const std::uint16_t* units, int count) {
    if (count <= 0) return;
    if (length_ + count >= kMaxLength) return;
    Grow(length_ + count);
    std::copy(units, units + count, units_.begin + length_);
    length_ += count;
    units_.end = units_.begin + length_;
}

const char* tString::CStr() {
    delete[] narrow_;
    narrowSize_ = length_ + 1;
    narrow_ = new char[static_cast<std::size_t>(narrowSize_)];
    for (int i = 0; i < length_; ++i) narrow_[i] = static_cast<char>(units_.begin[i] & 0xFF);
    narrow_[length_] = '\0';
    return narrow_;
}

tString tString::Substr(int start, int count) const {
    start = std::clamp(start, 0, length_);
    if (count == -1 || count > length_ - start) count = length_ - start;
    if (count < 0) count = 0;
    tString out;
    out.AppendUnits(units_.begin + start, count);
    return out;
}

int tString::Find(const tString& text, int start) const {
    if (start < 0) start = 0;
    if (start > length_) return -1;
    if (text.length_ == 0) return start;
    for (Position at(this, start); at.Index() + text.length_ <= length_; at.Advance()) {
        Position probe = at;
        int matched = 0;
        while (matched < text.length_ && probe.Read() == text.units_.begin[matched]) {
            ++matched;
            if (matched < text.length_) probe.Advance();
        }
        if (matched == text.length_) return at.Index();
    }
    return -1;
}

bool tString::Equals(const tString& a, const tString& b) {
    return a.length_ == b.length_ && std::equal(a.units_.begin, a.units_.begin + a.length_, b.units_.begin);
}

void tString::Append(const tString& text) {
    if (&text == this) {
        const tString copy(text);
        AppendUnits(copy.units_.begin, copy.length_);
        return;
    }
    AppendUnits(text.units_.begin, text.length_);
}

void tString::Append(const char* text) { Append(tString(text)); }
