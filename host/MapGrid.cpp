#include "MapGrid.h"

#include <algorithm>

namespace host {

MapText ReadMap(Script* script) {
    MapText lines;
    if (script == nullptr) return lines;
    slot::RewindMap(script);
    for (int i = 0; i < MAX_MAP_LINES; ++i) {
        const char* line = slot::NextMapLine(script);
        if (line == nullptr) break;
        lines.emplace_back(line);
    }
    return lines;
}

namespace {

bool IsBorder(const std::string& line) {
    const auto pos = line.find_first_not_of(' ');
    return pos != std::string::npos && line[pos] == '+';
}

}  // namespace

Grid FindGrid(const std::vector<std::string>& lines, const std::string& mapName) {
    Grid grid;
    const int count = static_cast<int>(lines.size());
    int header = -1;
    for (int i = 0; i < count; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i)];
        if (line.compare(0, 2, "//") == 0 && line.find(mapName) != std::string::npos) {
            header = i;
            break;
        }
    }
    if (header < 0) return grid;

    grid.found = true;
    grid.headerIndex = header;
    grid.header = lines[static_cast<std::size_t>(header)];
    grid.endIndex = count;
    for (int i = header + 1; i < count; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i)];
        if (!line.empty() && line[0] == '/') {
            grid.endIndex = i;
            break;
        }
        if (IsBorder(line)) {
            if (grid.rows.empty()) {
                if (grid.topIndex < 0) {
                    grid.top = line;
                    grid.topIndex = i;
                }
            } else if (grid.bottomIndex < 0) {
                grid.bottom = line;
                grid.bottomIndex = i;
            }
            continue;
        }
        const auto bar = line.find('|');
        if (bar == std::string::npos) {
            grid.footer = line;
            grid.footerIndex = i;
            grid.endIndex = i;
            break;
        }
        const auto close = line.find('|', bar + 1);
        const auto cellCount = (close == std::string::npos ? line.size() : close) - bar - 1;
        grid.labels.push_back(line.substr(0, bar));
        grid.rows.push_back(line.substr(bar + 1, cellCount));
        grid.rowIndex.push_back(i);
        grid.width = std::max(grid.width, static_cast<int>(cellCount));
    }
    grid.height = static_cast<int>(grid.rows.size());
    return grid;
}

std::optional<std::pair<int, int>> FindCell(const Grid& grid, char c) {
    for (std::size_t r = 0; r < grid.rows.size(); ++r) {
        const auto col = grid.rows[r].find(c);
        if (col != std::string::npos) {
            return std::make_pair(static_cast<int>(col) + 1, static_cast<int>(r) + 1);
        }
    }
    return std::nullopt;
}

namespace {

std::optional<char> CharOf(int base, int marker) {
    if (marker < 1 || marker > 127 - base) return std::nullopt;
    return static_cast<char>(base + marker);
}

}  // namespace

std::optional<char> MarkerChar(int marker) { return CharOf(70, marker); }
std::optional<char> SecondMarkerChar(int marker) { return CharOf(102, marker); }

}  // namespace host
