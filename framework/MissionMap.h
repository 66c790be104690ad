// MissionMap: a plug-in's battle maps, compiled in as ASCII text.
//
// The text is a title line, then per map a "//" header naming it, a top
// border, one "|"-framed line per grid row, a bottom border and a column
// ruler, and finally "///". A unit created with marker m stands on the
// cell holding character 70 + m; its second cell holds 102 + m.
#pragma once

#include <initializer_list>
#include <vector>

class MissionMap {
public:
    // names: the map list; lines: the whole map text, title line first.
    MissionMap(std::initializer_list<const char*> names, std::initializer_list<const char*> lines);

    int Count() const { return static_cast<int>(names_.size()); }
    const char* Name(int index) const;

    // Line `cursor` of the text and the cursor moved on, or null at the end
    // (the cursor then stays).
    const char* NextLine(int& cursor) const;

    // Rewinds and reads until the header of map `index`; the cursor then
    // stands on the line after it. False when no header names it.
    bool Find(int index, int& cursor) const;

    // Cell of the first `c` in map `index`, counted from 1; false and
    // (-1, -1) when it is absent.
    bool FindMarker(int index, char c, int& column, int& row, int& cursor) const;

    // Marker characters: the cell and the second cell of marker m.
    static char MarkerChar(int m) { return static_cast<char>(70 + m); }
    static char SecondMarkerChar(int m) { return static_cast<char>(102 + m); }

private:
    std::vector<const char*> names_;
    std::vector<const char*> lines_;  // ends with a null pointer
};
