// MissionText: a mission's numbered table of texts, text 0 being its title.
// Built when the plug-in loads, from 8-bit literals in index order.
#pragma once

#include <initializer_list>
#include <memory>

#include "tString.h"

class MissionText {
public:
    MissionText(std::initializer_list<const char*> texts);

    int Count() const { return count_; }
    // Text i; an index outside the table gives the title, text 0 (an
    // empty text for a table without any).
    tString& operator[](int i);

private:
    int count_ = 0;
    // Destroyed in reverse index order at unload.
    std::unique_ptr<tString[]> texts_;
};

// A ship-class code of the host, held in a fixed 8-byte entry.
struct ClassCode {
    char code[8];
    const char* c_str() const { return code; }
};
