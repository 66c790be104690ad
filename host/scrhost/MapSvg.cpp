// The map drawn as SVG: the grid with its terrain characters, every unit
// of the dry setup at its cell in its team's colour, and a legend.
#include <algorithm>
#include <map>
#include <sstream>

#include "Commands.h"

namespace scrhost {

namespace {

constexpr int kCell = 18;         // pixels per cell
constexpr int kLeft = 36;         // room for row numbers
constexpr int kTop = 56;          // room for the title and column numbers
constexpr int kLegendWidth = 330;
constexpr int kLegendLine = 16;

const char* TeamColour(int team) {
    static const char* kColours[] = {"#1f5fbf", "#e07b00", "#2a9d3a", "#8c564b", "#17becf", "#bcbd22",
                                     "#d62728", "#9467bd", "#e377c2", "#7f7f7f", "#006d6f", "#b8860b",
                                     "#4b0082", "#556b2f", "#c71585", "#2f4f4f", "#8b0000", "#00008b",
                                     "#6b8e23", "#a0522d"};
    return kColours[static_cast<std::size_t>(std::clamp(team, 0, 19))];
}

std::string Xml(const std::string& s) {
    std::string out;
    for (const char c : s) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
        }
    }
    return out;
}

int X(double column) { return kLeft + static_cast<int>((column - 1) * kCell + kCell / 2); }
int Y(double row) { return kTop + static_cast<int>((row - 1) * kCell + kCell / 2); }

}  // namespace

std::string RenderSvg(const DryView& view) {
    const host::Grid grid = host::FindGrid(view.mapLines, view.mapName);
    const int columns = std::max(grid.width, 1);
    const int rows = std::max(grid.height, 1);
    const int gridWidth = columns * kCell;
    const int gridHeight = rows * kCell;

    std::map<int, int> teamCounts;
    for (const DryUnit& u : view.units) teamCounts[u.team]++;
    const int legendLines = 4 + static_cast<int>(teamCounts.size()) + 2 + static_cast<int>(view.units.size()) + 3;
    const int width = kLeft + gridWidth + 24 + kLegendWidth;
    const int height = std::max(kTop + gridHeight + 30, kTop + legendLines * kLegendLine);

    std::ostringstream o;
    o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    o << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
      << "\" viewBox=\"0 0 " << width << " " << height << "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n";
    o << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    o << "<text x=\"" << kLeft << "\" y=\"22\" font-size=\"16\" font-weight=\"bold\">" << Xml(view.title)
      << "</text>\n";
    o << "<text x=\"" << kLeft << "\" y=\"40\" font-size=\"11\" fill=\"#444\">map \"" << Xml(view.mapName) << "\", "
      << columns << " x " << rows << " cells</text>\n";

    // Grid: light lines, darker every fifth, numbers every fifth.
    o << "<g class=\"grid\" stroke-width=\"1\">\n";
    o << "<rect x=\"" << kLeft << "\" y=\"" << kTop << "\" width=\"" << gridWidth << "\" height=\"" << gridHeight
      << "\" fill=\"#f4f6fa\" stroke=\"#555\"/>\n";
    for (int c = 1; c < columns; ++c) {
        o << "<line x1=\"" << kLeft + c * kCell << "\" y1=\"" << kTop << "\" x2=\"" << kLeft + c * kCell
          << "\" y2=\"" << kTop + gridHeight << "\" stroke=\"" << (c % 5 == 0 ? "#b0b8c8" : "#e2e6ee") << "\"/>\n";
    }
    for (int r = 1; r < rows; ++r) {
        o << "<line x1=\"" << kLeft << "\" y1=\"" << kTop + r * kCell << "\" x2=\"" << kLeft + gridWidth
          << "\" y2=\"" << kTop + r * kCell << "\" stroke=\"" << (r % 5 == 0 ? "#b0b8c8" : "#e2e6ee") << "\"/>\n";
    }
    o << "</g>\n<g class=\"numbers\" font-size=\"10\" fill=\"#555\" text-anchor=\"middle\">\n";
    for (int c = 5; c <= columns; c += 5) o << "<text x=\"" << X(c) << "\" y=\"" << kTop - 4 << "\">" << c << "</text>\n";
    for (int r = 5; r <= rows; r += 5) {
        o << "<text x=\"" << kLeft - 14 << "\" y=\"" << Y(r) + 4 << "\">" << r << "</text>\n";
    }
    o << "</g>\n";

    // Terrain: every character other than '.', drawn in its cell. Unit
    // markers are drawn as units below, so their characters are skipped.
    std::map<char, bool> markerChar;
    for (const DryUnit& u : view.units) {
        if (const auto c = host::MarkerChar(u.marker)) markerChar[*c] = true;
        if (const auto c = host::SecondMarkerChar(u.marker)) markerChar[*c] = true;
    }
    o << "<g class=\"terrain\" font-size=\"12\" font-family=\"DejaVu Sans Mono, monospace\" fill=\"#8a7a5a\" "
         "text-anchor=\"middle\">\n";
    for (std::size_t r = 0; r < grid.rows.size(); ++r) {
        for (std::size_t c = 0; c < grid.rows[r].size(); ++c) {
            const char ch = grid.rows[r][c];
            if (ch == '.' || ch == ' ' || markerChar.count(ch) != 0) continue;
            o << "<text x=\"" << X(static_cast<double>(c) + 1) << "\" y=\"" << Y(static_cast<double>(r) + 1) + 4
              << "\">" << Xml(std::string(1, ch)) << "</text>\n";
        }
    }
    o << "</g>\n";

    // Units: the line to the second cell first, then the dot and its label.
    o << "<g class=\"units\">\n";
    for (const DryUnit& u : view.units) {
        const char* colour = TeamColour(u.team);
        o << "<g class=\"unit\" data-unit=\"" << host::UnitLabel(u.team, u.index) << "\" data-team=\"" << u.team
          << "\" data-class=\"" << Xml(u.classCode) << "\" data-name=\"" << Xml(u.name) << "\" data-cell=\""
          << u.column << "," << u.row << "\" data-second-cell=\"" << u.column2 << "," << u.row2 << "\">\n";
        if (u.column2 != u.column || u.row2 != u.row) {
            o << "  <line x1=\"" << X(u.column) << "\" y1=\"" << Y(u.row) << "\" x2=\"" << X(u.column2) << "\" y2=\""
              << Y(u.row2) << "\" stroke=\"" << colour << "\" stroke-width=\"1.2\" stroke-dasharray=\"4 3\" "
              << "opacity=\"0.6\"/>\n";
            o << "  <circle cx=\"" << X(u.column2) << "\" cy=\"" << Y(u.row2) << "\" r=\"3\" fill=\"none\" stroke=\""
              << colour << "\" opacity=\"0.8\"/>\n";
        }
        o << "  <circle cx=\"" << X(u.column) << "\" cy=\"" << Y(u.row) << "\" r=\"7\" fill=\"" << colour
          << "\" stroke=\"#000\" stroke-width=\"0.8\"/>\n";
        o << "  <text x=\"" << X(u.column) << "\" y=\"" << Y(u.row) + 3 << "\" font-size=\"8\" fill=\"#fff\" "
          << "text-anchor=\"middle\" font-weight=\"bold\">" << u.index << "</text>\n";
        const std::string label = u.classCode + (u.name.empty() ? "" : " " + u.name);
        o << "  <text x=\"" << X(u.column) + 9 << "\" y=\"" << Y(u.row) - 5 << "\" font-size=\"10\" fill=\""
          << colour << "\" stroke=\"#ffffff\" stroke-width=\"2.5\" paint-order=\"stroke\" transform=\"rotate(-40 "
          << X(u.column) + 9 << " " << Y(u.row) - 5 << ")\">" << Xml(label) << "</text>\n";
        o << "</g>\n";
    }
    o << "</g>\n";

    // Legend.
    const int lx = kLeft + gridWidth + 24;
    int ly = kTop + 4;
    o << "<g class=\"legend\" font-size=\"11\">\n";
    o << "<text x=\"" << lx << "\" y=\"" << ly << "\" font-size=\"13\" font-weight=\"bold\">Teams</text>\n";
    ly += kLegendLine + 2;
    for (const auto& [team, count] : teamCounts) {
        o << "<circle cx=\"" << lx + 6 << "\" cy=\"" << ly - 4 << "\" r=\"6\" fill=\"" << TeamColour(team)
          << "\" stroke=\"#000\" stroke-width=\"0.8\"/>\n";
        o << "<text x=\"" << lx + 18 << "\" y=\"" << ly << "\">team " << team << ": " << count
          << (count == 1 ? " unit" : " units") << "</text>\n";
        ly += kLegendLine;
    }
    ly += kLegendLine / 2;
    o << "<text x=\"" << lx << "\" y=\"" << ly << "\" font-size=\"13\" font-weight=\"bold\">Units (team:index)</text>\n";
    ly += kLegendLine + 2;
    for (const DryUnit& u : view.units) {
        o << "<text x=\"" << lx << "\" y=\"" << ly << "\" fill=\"" << TeamColour(u.team) << "\">"
          << Xml(UnitTitle(u)) << " at " << u.column << "," << u.row
          << (u.markerFound ? "" : " (marker not on map)") << "</text>\n";
        ly += kLegendLine;
    }
    ly += kLegendLine / 2;
    o << "<text x=\"" << lx << "\" y=\"" << ly << "\" fill=\"#444\">dashed line: to the unit's second cell</text>\n";
    ly += kLegendLine;
    o << "<text x=\"" << lx << "\" y=\"" << ly << "\" fill=\"#8a7a5a\">brown characters: terrain</text>\n";
    o << "</g>\n</svg>\n";
    return o.str();
}

}  // namespace scrhost
