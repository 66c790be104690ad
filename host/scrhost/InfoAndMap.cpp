// info and map, and the helpers every command shares.
#include <algorithm>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

#include "Commands.h"
#include "Isolation.h"

namespace scrhost {

int Fail(const std::string& message) {
    std::cerr << "scrhost: error: " << message << "\n";
    return EXIT_ERROR;
}

int Guarded(const std::string& file, const std::string& what, const std::function<int()>& body) {
    const host::ChildStatus status = host::RunIsolated([&](host::ChildWriter&) {
        try {
            return body();
        } catch (const host::LoadError& e) {
            return Fail(e.what());
        } catch (const std::exception& e) {
            return Fail(file + ": " + e.what());
        }
    });
    if (status.completed) return status.exitCode;
    std::cerr << "scrhost: " << file << ": the plug-in crashed " << what << " (" << status.Describe() << ")\n";
    return EXIT_CRASH;
}

std::vector<std::string> HeaderNames(const std::vector<std::string>& lines) {
    std::vector<std::string> names;
    for (const std::string& line : lines) {
        if (line.compare(0, 2, "//") != 0 || line.compare(0, 3, "///") == 0) continue;
        std::string name = line.substr(2);
        const auto start = name.find_first_not_of(' ');
        names.push_back(start == std::string::npos ? "" : name.substr(start));
    }
    return names;
}

std::string UnitTitle(const DryUnit& u) {
    std::string s = host::UnitLabel(u.team, u.index) + " " + u.classCode;
    if (!u.name.empty()) s += " \"" + u.name + "\"";
    return s;
}

DryView DryLook(const std::string& file) {
    host::Plugin plugin(file);
    DryView view;
    host::DrySetup(plugin, host::PlayOptions{}, [&](host::Battle& b) {
        view.title = b.Title();
        view.mapName = b.MapName();
        view.briefing = b.Briefing();
        view.mapLines = b.MapLines();
        view.setup = b.setup();
        std::map<int, int> perTeam;
        for (const host::UnitRecord& r : b.Units()) {
            if (!r.created || r.refused || r.adopt) continue;
            DryUnit u;
            u.team = r.team;
            u.index = perTeam[r.team]++;
            u.classCode = r.chosenClass;
            u.group = r.IsGroup();
            u.marker = r.marker;
            u.markerFound = r.marker <= 0 || r.markerFound;
            u.column = r.placedColumn;
            u.row = r.placedRow;
            u.column2 = r.placedColumn2;
            u.row2 = r.placedRow2;
            if (r.placed) {
                u.name = b.Name(r.handle).value_or("");
                u.level = b.Level(r.handle);
            }
            view.units.push_back(u);
        }
    });
    return view;
}

namespace {

std::string Join(const std::vector<int>& values) {
    std::string s;
    for (const int v : values) s += (s.empty() ? "" : ",") + std::to_string(v);
    return s.empty() ? "none" : s;
}

void PrintIndented(const std::string& text, const std::string& indent) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) std::cout << indent << line << "\n";
}

std::string Cell(int column, int row) { return std::to_string(column) + "," + std::to_string(row); }

}  // namespace

int Info(const std::string& file) {
    return Guarded(file, "while being examined", [&] {
        host::Settings settings{};
        std::string settingsTitle;
        bool settingsOk = false;
        {
            host::Plugin plugin(file);
            settings.version = SETTINGS_VERSION;
            settingsOk = host::slot::GetSettings(plugin.script(), &settings);
            if (settingsOk && settings.title != nullptr) settingsTitle = settings.title;
        }
        const DryView view = DryLook(file);

        std::cout << "File:       " << file << "\n";
        std::cout << "Interface:  version " << SCRIPT_INTERFACE_VERSION << "\n";
        std::cout << "Title:      " << (settingsOk ? settingsTitle : view.title) << "\n";
        if (!settingsOk) {
            std::cout << "Settings:   refused (GetSettings answered false for version 6.0)\n";
        } else {
            const int row[] = {settings.field88, settings.field92, settings.playerRaces, settings.list2Mask,
                               settings.field104, settings.field108, settings.field112, settings.field116,
                               settings.field120, settings.field124, settings.field128};
            std::cout << "Settings row (offsets 88..128):";
            for (const int v : row) std::cout << " " << v;
            std::cout << "\n";
            std::cout << "  +88  " << settings.field88 << "\n";
            std::cout << "  +92  " << settings.field92 << "\n";
            std::cout << "  +96  " << settings.playerRaces << "  player races: " << Join(host::MaskBits(settings.playerRaces)) << "\n";
            std::cout << "  +100 " << settings.list2Mask << "  second list (races): "
                      << Join(host::MaskBits(settings.list2Mask)) << "\n";
            std::cout << "  +104 " << settings.field104 << "\n";
            std::cout << "  +108 " << settings.field108 << "\n";
            std::cout << "  +112 " << settings.field112 << "\n";
            std::cout << "  +116 " << settings.field116 << "\n";
            std::cout << "  +120 " << settings.field120 << "\n";
            std::cout << "  +124 " << settings.field124 << "\n";
            std::cout << "  +128 " << settings.field128 << "\n";
        }
        std::cout << "Maps in the text:";
        for (const std::string& name : HeaderNames(view.mapLines)) std::cout << " \"" << name << "\"";
        std::cout << "\n";
        std::cout << "Map chosen: \"" << view.mapName << "\" (index " << view.setup.mapIndex << ")\n";
        std::cout << "Setup picks: " << view.setup.pick1 << ", " << view.setup.pick2 << ", " << view.setup.pick3
                  << "\n";
        std::cout << "Briefing:\n";
        PrintIndented(view.briefing, "  ");

        std::map<int, std::vector<const DryUnit*>> byTeam;
        for (const DryUnit& u : view.units) byTeam[u.team].push_back(&u);
        std::cout << "Units at a dry setup (team 0, difficulty 1, seed 1): " << view.units.size() << "\n";
        for (const auto& [team, units] : byTeam) {
            std::cout << "  Team " << team << ": " << units.size() << (units.size() == 1 ? " unit" : " units")
                      << "\n";
            std::cout << "    #   class      marker  cell    second  level  name\n";
            for (const DryUnit* u : units) {
                std::ostringstream o;
                o << "    " << std::left << std::setw(3) << u->index << " " << std::setw(10)
                  << (u->classCode + (u->group ? "*" : "")) << " " << std::setw(7)
                  << (u->marker > 0 ? std::to_string(u->marker) : "-") << " " << std::setw(7)
                  << Cell(u->column, u->row) << " " << std::setw(7) << Cell(u->column2, u->row2) << " "
                  << std::setw(6) << (u->level ? std::to_string(static_cast<int>(*u->level)) : "-") << " "
                  << (u->name.empty() ? "-" : u->name);
                if (!u->markerFound) o << "   (marker not on the map: placed at 1,1)";
                std::cout << o.str() << "\n";
            }
        }
        if (std::any_of(view.units.begin(), view.units.end(), [](const DryUnit& u) { return u.group; })) {
            std::cout << "  * a group unit: the host picked its class within the budget\n";
        }
        return EXIT_OK;
    });
}

int Map(const std::string& file, const std::optional<std::string>& svgPath) {
    return Guarded(file, "while its map was read", [&] {
        const DryView view = DryLook(file);
        for (const std::string& line : view.mapLines) std::cout << line << "\n";

        const host::Grid grid = host::FindGrid(view.mapLines, view.mapName);
        std::cout << "\nLegend of map \"" << view.mapName << "\"";
        if (!grid.found) {
            std::cout << ": no header line names it\n";
        } else {
            std::cout << " (" << grid.width << " x " << grid.height << "):\n";
        }
        std::set<int> markers;
        for (int m = 1; m <= 25; ++m) {
            if (host::FindCell(grid, *host::MarkerChar(m))) markers.insert(m);
        }
        for (const DryUnit& u : view.units) {
            if (u.marker > 0) markers.insert(u.marker);
        }
        std::set<char> markerChars;
        for (const int m : markers) {
            const auto c = host::MarkerChar(m);
            const auto c2 = host::SecondMarkerChar(m);
            const auto cell = c ? host::FindCell(grid, *c) : std::nullopt;
            const auto cell2 = c2 ? host::FindCell(grid, *c2) : std::nullopt;
            if (c) markerChars.insert(*c);
            if (c2) markerChars.insert(*c2);
            std::ostringstream o;
            o << "  marker " << std::left << std::setw(3) << m << " " << (c ? std::string(1, *c) : "-") << "/"
              << (c2 ? std::string(1, *c2) : "-") << "  cell " << std::setw(6)
              << (cell ? Cell(cell->first, cell->second) : "none") << " second " << std::setw(6)
              << (cell2 ? Cell(cell2->first, cell2->second) : "none");
            std::string standing;
            for (const DryUnit& u : view.units) {
                if (u.marker != m) continue;
                standing += (standing.empty() ? "" : "; ") + std::string("team ") + std::to_string(u.team) + " " +
                            u.classCode + (u.name.empty() ? "" : " \"" + u.name + "\"");
                if (!u.markerFound) standing += " (not on the map: at 1,1)";
            }
            o << "  " << (standing.empty() ? "no unit" : standing);
            std::cout << o.str() << "\n";
        }
        std::map<char, int> terrain;
        for (const std::string& row : grid.rows) {
            for (const char c : row) {
                if (c != '.' && c != ' ' && markerChars.count(c) == 0) terrain[c]++;
            }
        }
        if (!terrain.empty()) {
            std::cout << "  terrain:";
            for (const auto& [c, n] : terrain) std::cout << " '" << c << "' " << n;
            std::cout << "\n";
        }
        for (const DryUnit& u : view.units) {
            if (u.marker <= 0) {
                std::cout << "  by cell: " << UnitTitle(u) << " at " << Cell(u.column, u.row) << "\n";
            }
        }
        if (svgPath) {
            std::ofstream out(*svgPath);
            out << RenderSvg(view);
            out.close();
            if (!out) return Fail("cannot write '" + *svgPath + "'");
            std::cout << "SVG written to " << *svgPath << "\n";
        }
        return EXIT_OK;
    });
}

}  // namespace scrhost
