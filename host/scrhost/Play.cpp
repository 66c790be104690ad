// play and campaign: simulated battles with their transcripts.
#include <algorithm>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <map>
#include <sstream>

#include "Commands.h"
#include "Isolation.h"

namespace scrhost {

namespace {

using nlohmann::json;

std::string Str(const json& j, const char* key) {
    const auto it = j.find(key);
    return it != j.end() && it->is_string() ? it->get<std::string>() : "";
}

// "6:2 O-AR1 "Grim Salt"" from a fact's unit fields.
std::string Who(const json& j) {
    if (!j.contains("unit")) return j.contains("handle") ? "handle " + j["handle"].dump() : "?";
    std::string s = Str(j, "unit") + " " + Str(j, "class");
    if (j.contains("name")) s += " \"" + Str(j, "name") + "\"";
    return s;
}

std::string Cell(const json& cell) { return cell[0].dump() + "," + cell[1].dump(); }

std::string Reported(const json& f) {
    if (!f.value("reported", true)) return "  (" + Str(f, "event") + " not watched: not reported)";
    return "  -> " + f["result"].dump();
}

std::string Flags(const json& names) {
    std::string s;
    for (const auto& n : names) s += (s.empty() ? "" : " | ") + n.get<std::string>();
    return s.empty() ? "none" : s;
}

// One fact as a transcript line (without the time).
std::string FormatFact(const json& f) {
    const std::string type = Str(f, "type");
    std::ostringstream o;
    if (type == "start") {
        o << "battle \"" << Str(f, "title") << "\" on map \"" << Str(f, "map") << "\", seed " << f["seed"]
          << ", difficulty " << f["difficulty"] << ", player team " << f["team"];
    } else if (type == "message") {
        o << "message (" << Str(f, "kind_name") << "): " << Str(f, "text");
        if (f.contains("about")) o << "  [about " << Who(f["about"]) << "]";
    } else if (type == "created") {
        o << "created " << Str(f, "unit") << " " << Str(f, "class") << " for team " << f["team"];
        if (f.contains("cell")) o << " at " << Cell(f["cell"]) << " (second cell " << Cell(f["second_cell"]) << ")";
        if (f.contains("marker")) o << ", marker " << f["marker"];
        if (f.value("off_map", false)) o << " NOT ON THE MAP";
        if (f.contains("budget")) o << ", group within budget " << f["budget"];
        if (f.contains("points")) o << ", " << f["points"] << " points";
    } else if (type == "refused") {
        o << "refused a unit " << Str(f, "class") << " for team " << f["team"];
    } else if (type == "named") {
        o << "named " << Str(f, "unit") << " " << Str(f, "class") << " \"" << Str(f, "name") << "\"";
    } else if (type == "sound") {
        o << "sound " << f["sound"];
    } else if (type == "timer_set") {
        o << "timer " << f["timer"] << " set to " << f["duration"] << " s";
    } else if (type == "timer") {
        o << "timer " << f["timer"] << " ran out" << Reported(f);
    } else if (type == "menu_offered") {
        o << "menu offered on " << Who(f) << ", slot " << f["slot"] << ": text " << f["text_index"] << " \""
          << Str(f, "text") << "\"";
    } else if (type == "menu_removed") {
        o << "menu removed from " << Who(f) << ", slot " << f["slot"];
    } else if (type == "menu_chosen") {
        o << "menu chosen on " << Who(f) << ", slot " << f["slot"] << ": text " << f["text_index"] << " \""
          << Str(f, "text") << "\"" << Reported(f);
    } else if (type == "destroyed" || type == "disabled") {
        o << type << " " << Who(f) << " (" << Str(f, "cause") << ")" << Reported(f);
    } else if (type == "captured") {
        o << "captured " << Who(f) << " by team " << f["by_team"] << " (" << Str(f, "cause") << ")" << Reported(f);
    } else if (type == "hit") {
        o << "hit " << Who(f) << ", damage " << f["damage"].get<double>() << "%";
        if (f.contains("by")) o << " by " << Str(f, "by");
        o << Reported(f);
    } else if (type == "arrived") {
        o << "arrived " << Who(f) << " at " << Cell(f["cell"]) << Reported(f);
    } else if (type == "scan") {
        o << "scan " << (f["state"].get<int>() != 0 ? "on" : "off") << " at " << Who(f) << Reported(f);
    } else if (type == "probe") {
        o << "probe launched by " << Who(f) << Reported(f);
    } else if (type == "orbit_entered" || type == "orbit_left") {
        o << (type == "orbit_entered" ? "orbit entered by " : "orbit left by ") << Who(f);
        if (f.contains("planet")) o << " at " << Who(f["planet"]);
        o << Reported(f);
    } else if (type == "player_ship") {
        o << "the player now commands " << Who(f) << Reported(f);
    } else if (type == "team_left") {
        o << "team " << f["team"] << " left the battle (" << Str(f, "cause") << ")" << Reported(f);
    } else if (type == "order") {
        o << "order " << f["order"] << " for " << Who(f) << ": target " << Who(f["target"]);
    } else if (type == "withdraw") {
        o << "withdraw " << Who(f);
    } else if (type == "move") {
        o << "move " << Who(f) << " to " << Cell(f["to"]) << " (value " << f["value"] << ")";
    } else if (type == "ask") {
        o << "asked \"" << Str(f, "text") << "\": answered " << f["answer"];
    } else if (type == "command") {
        o << "the player takes command of " << Who(f);
    } else if (type == "relation") {
        o << "relation of team " << f["team"] << " towards team " << f["towards"] << ": " << f["relation"] << ", "
          << f["second"];
    } else if (type == "attribute") {
        o << "attribute " << f["attribute"] << " of " << Who(f) << " = " << f["value"];
    } else if (type == "map_cell") {
        o << "map cell " << Cell(f["cell"]) << " = '" << Str(f, "char") << "'";
    } else if (type == "next_script_set") {
        o << "next script named: " << Str(f, "name");
    } else if (type == "skipped") {
        o << "event file line " << f["line"] << " (" << Str(f, "event") << ") skipped: " << Str(f, "why");
    } else if (type == "end") {
        o << "END: result " << f["result"] << " (" << Flags(f["flags"]) << ")";
    } else if (type == "outcome") {
        o << "outcome level " << f["level"];
    } else if (type == "end_text") {
        o << "end text " << f["index"] << ":\n";
        std::istringstream lines(Str(f, "text"));
        for (std::string line; std::getline(lines, line);) o << "          | " << line << "\n";
        std::string s = o.str();
        s.pop_back();
        return s;
    } else if (type == "prestige") {
        o << "prestige by outcome level 0..4:";
        for (const auto& v : f["values"]) o << " " << v;
    } else if (type == "next_script") {
        o << "next script: " << (f["name"].is_null() ? "none" : f["name"].get<std::string>());
    } else {
        o << f.dump();
    }
    return o.str();
}

void PrintFact(const json& f, bool asJson) {
    if (asJson) {
        std::cout << f.dump() << std::endl;
        return;
    }
    std::cout << "[" << std::setw(5) << f["t"].get<int>() << "s] " << FormatFact(f) << std::endl;
}

}  // namespace

int Play(PlayRequest request) {
    if (request.eventsFile) {
        try {
            request.play.script = host::LoadEventScript(*request.eventsFile);
        } catch (const host::EventScriptError& e) {
            return Fail(e.what());
        }
    }
    const std::string what = "in the battle with seed " + std::to_string(request.play.seed);
    const int code = Guarded(request.file, what, [&] {
        host::Plugin plugin(request.file);
        host::PlayBattle(plugin, request.play, [&](const json& f) { PrintFact(f, request.json); });
        return EXIT_OK;
    });
    if (code == EXIT_CRASH && request.json) {
        std::cout << json{{"type", "crash"}, {"seed", request.play.seed}}.dump() << std::endl;
    } else if (code == EXIT_CRASH) {
        std::cout << "CRASH: the plug-in crashed " << what << std::endl;
    }
    return code;
}

// ---------------------------------------------------------------------------

namespace {

struct Played {
    std::string script;
    std::string title;
    std::string outcome;  // flags, or how it crashed
    int level = -1;
    int prestige = 0;
    std::string next;
};

// The file in dir named `name`: exact, else ignoring case (the game's file
// names are not case-sensitive).
std::optional<std::filesystem::path> FindScript(const std::filesystem::path& dir, const std::string& name) {
    std::error_code ec;
    const std::filesystem::path exact = dir / name;
    if (std::filesystem::is_regular_file(exact, ec)) return exact;
    const auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    };
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (entry.is_regular_file(ec) && lower(entry.path().filename().string()) == lower(name)) return entry.path();
    }
    return std::nullopt;
}

}  // namespace

int Campaign(const CampaignRequest& request) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_regular_file(request.file, ec)) return Fail("cannot open plug-in '" + request.file + "': no such file");
    const fs::path dir = fs::path(request.file).parent_path().empty() ? fs::path(".") : fs::path(request.file).parent_path();
    fs::path current = request.file;
    std::map<std::string, int> plays;
    std::vector<Played> rows;
    std::string stop;
    int code = EXIT_OK;

    for (int n = 0;; ++n) {
        if (n >= request.maxMissions) {
            stop = "stopped after " + std::to_string(n) + " missions (--max-missions)";
            break;
        }
        const std::string script = current.filename().string();
        if (++plays[script] > request.maxReplays + 1) {
            stop = script + " would be played a " + std::to_string(plays[script]) + ". time: replayed too often (--max-replays " +
                   std::to_string(request.maxReplays) + ")";
            break;
        }
        host::PlayOptions options = request.play;
        options.seed = request.play.seed + static_cast<std::uint32_t>(n);
        std::cout << "=== mission " << n + 1 << ": " << script << " (seed " << options.seed << ")" << std::endl;
        const host::ChildStatus status = host::RunIsolated([&](host::ChildWriter& out) {
            try {
                host::Plugin plugin(current.string());
                const host::BattleOutcome r = host::PlayBattle(plugin, options);
                const json j{{"title", r.title},
                             {"result", r.result},
                             {"level", r.level},
                             {"prestige", r.level >= 0 && r.level <= 4 ? r.prestige[static_cast<std::size_t>(r.level)] : 0},
                             {"next", r.nextScript ? json(*r.nextScript) : json()}};
                out.Write(j.dump());
                return EXIT_OK;
            } catch (const host::LoadError& e) {
                return Fail(e.what());
            }
        });
        Played row;
        row.script = script;
        if (!status.completed) {
            row.outcome = "CRASH: " + status.Describe();
            rows.push_back(row);
            stop = script + " crashed with seed " + std::to_string(options.seed);
            code = EXIT_CRASH;
            break;
        }
        if (status.exitCode != EXIT_OK) {
            row.outcome = "not loaded";
            rows.push_back(row);
            stop = script + " could not be loaded";
            code = EXIT_ERROR;
            break;
        }
        const json r = json::parse(status.payload);
        row.title = r["title"].get<std::string>();
        row.outcome = "result " + r["result"].dump() + " (" + Flags(json(host::ResultFlagNames(r["result"].get<int>()))) + ")";
        row.level = r["level"].get<int>();
        row.prestige = r["prestige"].get<int>();
        row.next = r["next"].is_null() ? "" : r["next"].get<std::string>();
        rows.push_back(row);
        std::cout << "    \"" << row.title << "\": " << row.outcome << ", level " << row.level << ", next script "
                  << (row.next.empty() ? "none" : row.next) << std::endl;
        if (row.next.empty()) {
            stop = script + " names no next script: the campaign ends";
            break;
        }
        const auto found = FindScript(dir, row.next);
        if (!found) {
            stop = row.next + " is not in " + dir.string() + ": not part of this pack";
            break;
        }
        current = *found;
    }

    std::cout << "\nCampaign from " << request.file << ":\n";
    std::cout << "  #   mission              level  prestige  outcome                              next\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Played& p = rows[i];
        std::ostringstream o;
        o << "  " << std::left << std::setw(3) << i + 1 << " " << std::setw(20) << p.script << " " << std::setw(6)
          << (p.level >= 0 ? std::to_string(p.level) : "-") << " " << std::setw(9) << p.prestige << " "
          << std::setw(36) << p.outcome << " " << (p.next.empty() ? "-" : p.next);
        std::cout << o.str() << "\n";
    }
    std::cout << "Stopped: " << stop << "\n";
    return code;
}

}  // namespace scrhost
