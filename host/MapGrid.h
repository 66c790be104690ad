// Reading a plug-in's ASCII map text from the host's side.
//
// A map text is a title line, then per map a header line ("//" and the
// map's name), a top border, one line per grid row ("label|cells|"), a
// bottom border and a column-number line, and finally an end line "///".
// These helpers work on plain lines, so a tool can lint or draw a map
// without running a battle.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ScriptSlots.h"

namespace host {

// All lines of a map text, in reading order.
using MapText = std::vector<std::string>;

// Upper bound on the lines read from a plug-in, in case its reader never
// returns null.
inline constexpr int MAX_MAP_LINES = 100000;

// Rewinds the plug-in's map reader and reads every line until null (at most
// MAX_MAP_LINES). Leaves the reader at the end: a plug-in that reads its
// own map rewinds first.
MapText ReadMap(Script* script);

// One map's grid, found by name.
struct Grid {
    bool found = false;
    int headerIndex = -1;           // line index of the "//" header
    std::string header;
    std::string top;                // first border line after the header ("" if none)
    int topIndex = -1;
    std::vector<std::string> labels;  // per row: the text before the first '|'
    std::vector<std::string> rows;    // per row: the cells between the first '|' and the next '|'
    std::vector<int> rowIndex;        // per row: its line index
    std::string bottom;             // first border line after the rows ("" if none)
    int bottomIndex = -1;
    std::string footer;             // the line that ended the grid (column numbers), "" if none
    int footerIndex = -1;
    int endIndex = -1;              // index of the line that stopped the search (next "/" line,
                                    // a line without '|', or lines.size())
    int width = 0;                  // longest row
    int height = 0;                 // number of rows
};

// Finds the first header line (starts with "//") that contains mapName
// anywhere, then collects the grid below it the way the plug-in's own
// marker lookup reads it: lines whose first non-space character is '+'
// are borders and are not rows; every other line with a '|' is a row,
// counted from 1; the grid ends at a line starting with '/', a line
// without '|' (the column-number line) or the end of the text.
Grid FindGrid(const std::vector<std::string>& lines, const std::string& mapName);

// The first cell holding c, in reading order, as (column, row) counted
// from 1; nullopt when absent or when the grid was not found.
std::optional<std::pair<int, int>> FindCell(const Grid& grid, char c);

// The character a marker stands on (70 + m) and its second cell
// (102 + m), or nullopt when the code is not a 7-bit character (the
// plug-in compares signed 8-bit characters, so such a marker never
// matches) or m < 1.
std::optional<char> MarkerChar(int marker);
std::optional<char> SecondMarkerChar(int marker);

}  // namespace host
