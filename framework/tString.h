// tString: the framework's string of 16-bit units, shared with the host by
// layout (see TStringLayout in HostAbi.h), with an 8-bit copy on demand.
#pragma once

#include <cstdint>
#include <stdexcept>

#include "HostAbi.h"

// Thrown when a position is used outside its string; the 8-bit message is
// one of the two texts below.
class tStringError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

inline constexpr const char* kUninitializedIterator = "Access to uninitialized iterator";
inline constexpr const char* kPastBounds = "Access past bounds of tString";

class tString {
public:
    // Longest string: a text of this many units or more is refused whole.
    static constexpr int kMaxLength = 50000;

    // A position inside a string; reading or moving it outside the string
    // throws tStringError.
    class Position {
    public:
        Position() = default;
        Position(const tString* s, int index);
        std::uint16_t Read() const;
        void Advance(int by = 1);
        int Index() const { return index_; }

    private:
        const tString* string_ = nullptr;
        int index_ = 0;
    };

    tString();
    tString(const char* text);  // NOLINT: built from literals everywhere
    tString(const tString& other);
    tString& operator=(const tString& other);
    virtual ~tString();

    // The 8-bit copy: each unit narrowed to its low byte, zero-terminated.
    // Valid until the next CStr on this string or its destruction.
    const char* CStr();

    int Length() const { return length_; }
    int Capacity() const { return capacity_; }
    std::uint16_t At(int i) const { return units_.begin[i]; }

    // count units from start; count -1 means to the end.
    tString Substr(int start, int count) const;
    // First occurrence of text at or after start, or -1.
    int Find(const tString& text, int start = 0) const;
    static bool Equals(const tString& a, const tString& b);

    // Appending that would reach kMaxLength leaves the string unchanged.
    void Append(const tString& text);
    void Append(const char* text);

    // Units reserved for a string of n units.
    static int Reserve(int n);

private:
    // The unit array as the host reads it: allocator word, begin, end and
    // end of storage.
    struct UnitArray {
        void* allocatorWord = nullptr;
        std::uint16_t* begin = nullptr;
        std::uint16_t* end = nullptr;
        std::uint16_t* endOfStorage = nullptr;
    };

    void Grow(int n);
    void AppendUnits(const std::uint16_t* units, int count);

    char* narrow_ = nullptr;
    std::int32_t narrowSize_ = 0;
    void* reserved_ = nullptr;
    std::int32_t capacity_ = 0;
    std::int32_t length_ = 0;
    UnitArray units_;
};

#if defined(__i386__)
static_assert(sizeof(tString) == sizeof(TStringLayout));
#endif
