// lint: what the host would stumble over, found through the interface on
// a dry setup and one short battle.
#include <filesystem>
#include <iostream>
#include <set>
#include <sstream>

#include "Commands.h"

namespace scrhost {

namespace {

// The longest map line the host takes, and the longest texts.
constexpr std::size_t kMaxMapLine = 255;
constexpr std::size_t kMaxName = 255;       // titles, unit names, menu entries, script names
constexpr std::size_t kMaxText = 4095;      // briefings, messages, end texts

class Report {
public:
    explicit Report(std::string file) : file_(std::move(file)) {}
    void Error(const std::string& m) { Say("error", m), ++errors_; }
    void Warning(const std::string& m) { Say("warning", m), ++warnings_; }
    int Errors() const { return errors_; }
    int Warnings() const { return warnings_; }

private:
    void Say(const char* level, const std::string& m) { std::cout << file_ << ": " << level << ": " << m << std::endl; }
    std::string file_;
    int errors_ = 0, warnings_ = 0;
};

// The first character the host would choke on: a byte above 127 or a
// control character other than tab, newline and carriage return.
std::optional<std::size_t> BadCharacter(const std::string& s, bool allowLineBreaks) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80) return i;
        if (c < 0x20 && c != '\t' && !(allowLineBreaks && (c == '\n' || c == '\r'))) return i;
    }
    return std::nullopt;
}

void CheckText(Report& report, const std::string& what, const std::string& text, std::size_t limit, bool lineBreaks) {
    if (const auto at = BadCharacter(text, lineBreaks)) {
        std::ostringstream o;
        o << what << ": character " << static_cast<int>(static_cast<unsigned char>(text[*at])) << " at position "
          << *at + 1 << " is not printable ASCII";
        report.Error(o.str());
    }
    if (text.size() > limit) {
        report.Error(what + ": " + std::to_string(text.size()) + " characters, over the limit of " +
                     std::to_string(limit));
    }
}

// The ruler line's inner part for a grid of n columns: '_' and the column
// number's digit at every fifth column.
std::string Ruler(int n, char fill) {
    std::string s;
    for (int c = 1; c <= n; ++c) s += c % 5 == 0 ? static_cast<char>('0' + (c / 5) % 10) : fill;
    return s;
}

void CheckGrids(Report& report, const std::vector<std::string>& lines) {
    for (std::size_t h = 0; h < lines.size(); ++h) {
        const std::string& header = lines[h];
        if (header.compare(0, 2, "//") != 0 || header.compare(0, 3, "///") == 0) continue;
        const std::vector<std::string> rest(lines.begin() + static_cast<std::ptrdiff_t>(h), lines.end());
        const host::Grid g = host::FindGrid(rest, header.substr(2));
        const std::string where = "map \"" + HeaderNames({header}).front() + "\"";
        if (g.height == 0) {
            report.Error(where + " has no grid rows");
            continue;
        }
        const auto open = g.top.find('+');
        const auto close = open == std::string::npos ? std::string::npos : g.top.find('+', open + 1);
        const int width = close != std::string::npos ? static_cast<int>(close - open - 1) : g.width;
        if (g.topIndex < 0 || close == std::string::npos) {
            report.Warning(where + " has no top border with a ruler");
        } else if (g.top.substr(open + 1, close - open - 1) != Ruler(width, '_')) {
            report.Warning(where + ": the ruler \"" + g.top + "\" does not number a grid of " + std::to_string(width) +
                           " columns");
        }
        for (int r = 0; r < g.height; ++r) {
            const int w = static_cast<int>(g.rows[static_cast<std::size_t>(r)].size());
            if (w != width) {
                report.Warning(where + ": row " + std::to_string(r + 1) + " (line " +
                               std::to_string(h + static_cast<std::size_t>(g.rowIndex[static_cast<std::size_t>(r)]) + 1) +
                               ") is " + std::to_string(w) + " cells wide, the ruler " + std::to_string(width));
            }
        }
        if (g.bottomIndex < 0) {
            report.Warning(where + " has no bottom border");
        } else {
            const auto b1 = g.bottom.find('+');
            const auto b2 = g.bottom.find('+', b1 + 1);
            if (b2 == std::string::npos || g.bottom.substr(b1 + 1, b2 - b1 - 1) != std::string(static_cast<std::size_t>(width), '-')) {
                report.Warning(where + ": the bottom border does not match a grid of " + std::to_string(width) + " columns");
            }
        }
        if (g.footerIndex >= 0) {
            // Column c of the grid stands at position c + 1 of the number line.
            std::string expected(static_cast<std::size_t>(width) + 2, ' ');
            for (int c = 5; c <= width; c += 5) expected[static_cast<std::size_t>(c) + 1] = static_cast<char>('0' + (c / 5) % 10);
            std::string footer = g.footer;
            const auto trim = [](std::string s) { return s.erase(s.find_last_not_of(' ') + 1); };
            if (trim(footer) != trim(expected)) {
                report.Warning(where + ": the column numbers \"" + g.footer + "\" do not match a grid of " +
                               std::to_string(width) + " columns");
            }
        }
    }
}

int LintOne(const std::string& file) {
    Report report(file);
    const DryView view = DryLook(file);

    // Map text.
    if (view.mapLines.empty()) report.Error("the map text is empty");
    for (std::size_t i = 0; i < view.mapLines.size(); ++i) {
        CheckText(report, "map line " + std::to_string(i + 1), view.mapLines[i], kMaxMapLine, false);
    }
    if (!view.mapLines.empty() && view.mapLines.back() != "///") report.Warning("the map text does not end with \"///\"");
    CheckGrids(report, view.mapLines);
    const host::Grid grid = host::FindGrid(view.mapLines, view.mapName);
    if (view.mapName.empty()) {
        report.Error("Initialize named no map");
    } else if (!grid.found) {
        report.Error("no header line matches the map name \"" + view.mapName + "\": no unit can be placed by marker");
    }

    // Units.
    for (const DryUnit& u : view.units) {
        if (u.markerFound) continue;
        const auto c = host::MarkerChar(u.marker);
        std::string ch = c ? " ('" + std::string(1, *c) + "')" : " (no character)";
        report.Warning("unit " + UnitTitle(u) + " is created on marker " + std::to_string(u.marker) + ch +
                       ", which is not on map \"" + view.mapName + "\": the host puts it at cell 1,1");
    }

    // Texts of the dry setup.
    CheckText(report, "the title", view.title, kMaxName, false);
    CheckText(report, "the briefing", view.briefing, kMaxText, true);
    for (const DryUnit& u : view.units) CheckText(report, "the name of unit " + host::UnitLabel(u.team, u.index), u.name, kMaxName, false);

    // One short battle with the default seed: its texts and the next script.
    host::Plugin plugin(file);
    std::set<std::string> seen;
    const host::BattleOutcome out = host::PlayBattle(plugin, host::PlayOptions{}, [&](const nlohmann::json& f) {
        const std::string type = f.value("type", "");
        if (type == "message") {
            const std::string text = f.value("text", "");
            if (seen.insert(text).second) CheckText(report, "a message at " + f["t"].dump() + " s", text, kMaxText, true);
        } else if (type == "menu_offered") {
            CheckText(report, "menu entry " + f["text_index"].dump(), f.value("text", ""), kMaxName, false);
        } else if (type == "named") {
            CheckText(report, "the name of " + f.value("unit", ""), f.value("name", ""), kMaxName, false);
        }
    });
    for (std::size_t i = 0; i < out.endTexts.size(); ++i) {
        CheckText(report, "end text " + std::to_string(i), out.endTexts[i], kMaxText, true);
    }
    if (out.nextScript) {
        const std::string& next = *out.nextScript;
        CheckText(report, "the next script's name", next, kMaxName, false);
        const std::filesystem::path dir = std::filesystem::path(file).parent_path();
        std::error_code ec;
        if (next.empty()) {
            report.Warning("the next script is named by an empty text");
        } else if (!std::filesystem::is_regular_file((dir.empty() ? "." : dir) / next, ec)) {
            report.Warning("the next script \"" + next + "\" (battle with seed 1, result " + std::to_string(out.result) +
                           ") is not in the folder");
        }
    }
    std::cout << file << ": " << report.Errors() << (report.Errors() == 1 ? " error, " : " errors, ")
              << report.Warnings() << (report.Warnings() == 1 ? " warning" : " warnings") << std::endl;
    return report.Errors() > 0 ? EXIT_FINDINGS : EXIT_OK;
}

}  // namespace

int Lint(const std::vector<std::string>& files) {
    int worst = EXIT_OK;
    for (const std::string& file : files) {
        const int code = Guarded(file, "while being checked", [&] { return LintOne(file); });
        if (code == EXIT_CRASH) std::cout << file << ": error: the plug-in crashed while being checked" << std::endl;
        worst = std::max(worst, code);
    }
    return worst;
}

}  // namespace scrhost
