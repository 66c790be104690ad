#include "MissionMap.h"

#include "tString.h"

MissionMap::MissionMap(std::initializer_list<const char*> names, std::initializer_list<const char*> lines)
    : names_(names), lines_(lines) {
    lines_.push_back(nullptr);
}

const char* MissionMap::Name(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return names_[static_cast<std::size_t>(index)];
}

const char* MissionMap::NextLine(int& cursor) const {
    if (cursor < 0 || cursor >= static_cast<int>(lines_.size())) return nullptr;
    const char* line = lines_[static_cast<std::size_t>(cursor)];
    if (line != nullptr) ++cursor;
    return line;
}

bool MissionMap::Find(int index, int& cursor) const {
    cursor = 0;
    const char* name = Name(index);
    if (name == nullptr) return false;
    const tString wanted(name);
    while (const char* line = NextLine(cursor)) {
        if (line[0] == '/' && line[1] == '/' && tString(line).Find(wanted, 0) >= 0) return true;
    }
    return false;
}

bool MissionMap::FindMarker(int index, char c, int& column, int& row, int& cursor) const {
    column = -1;
    row = -1;
    if (!Find(index, cursor)) return false;
    // Characters are compared as signed bytes, so codes of 128 and above
    // never match a marker.
    if (static_cast<signed char>(c) < 0) return false;
    for (int r = 1;; ++r) {
        const char* line = NextLine(cursor);
        if (line == nullptr || line[0] == '/') return false;
        const char* p = line;
        while (*p == ' ') ++p;
        if (*p == '+') {
            --r;  // a border is not a row
            continue;
        }
        while (*p != '\0' && *p != '|') ++p;
        if (*p == '\0') return false;  // the column ruler ends the grid
        ++p;
        for (int col = 1; *p != '\0' && *p != '|'; ++p, ++col) {
            if (*p == c) {
                column = col;
                row = r;
                return true;
            }
        }
    }
}
