// The scrhost tool, run as a program: its commands' main paths and errors.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace {

const std::string kDir = SCR_DIR;
const std::string kTestDir = SCR_TEST_DIR;
const std::string kDorran1 = kDir + "/Dorran1.scr";

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string TempPath(const std::string& name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/scrhost_test_" + std::to_string(::getpid()) +
           "_" + name;
}

std::string WriteTemp(const std::string& name, const std::string& text) {
    const std::string path = TempPath(name);
    std::ofstream(path) << text;
    return path;
}

// Runs scrhost (under the emulator of a cross build) with the arguments.
Outcome Scrhost(const std::vector<std::string>& args) {
    std::string command = std::string(SCRHOST_EMULATOR).empty() ? "" : Quote(SCRHOST_EMULATOR) + " ";
    command += Quote(SCRHOST);
    for (const std::string& a : args) command += " " + Quote(a);
    const std::string errPath = TempPath("stderr");
    command += " 2>" + Quote(errPath);
    Outcome r;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return r;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) r.out.append(buffer, n);
    const int status = ::pclose(pipe);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = Slurp(errPath);
    std::remove(errPath.c_str());
    return r;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1)) ++n;
    return n;
}

// ---------------------------------------------------------------------------
// info

TEST(ScrhostInfo, Dorran1TitleSettingsAndUnitsByTeam) {
    const Outcome r = Scrhost({"info", kDorran1});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "Title:      Vessik Battlestation Assault\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "Settings row (offsets 88..128): 3 767 1 127 7 0 32767 9999 9999 0 510\n"));
    EXPECT_TRUE(Has(r.out, "player races: 0\n"));
    EXPECT_TRUE(Has(r.out, "second list (races): 0,1,2,3,4,5,6\n"));
    EXPECT_TRUE(Has(r.out, "Map chosen: \"Vessik Battlestation Assault Map\" (index 0)"));
    EXPECT_TRUE(Has(r.out, "Units at a dry setup (team 0, difficulty 1, seed 1): 12\n"));
    EXPECT_TRUE(Has(r.out, "Team 0: 3 units\n"));
    EXPECT_TRUE(Has(r.out, "Team 6: 9 units\n"));
    EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(\n +5 +O-BATSR +18 +15,21 +15,23 +0 +Pirate's Den\n)")));
    EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(\n +0 +F-DNH +1 +28,34 +19,29 +10 +Deduder\n)")));
}

// ---------------------------------------------------------------------------
// map

struct UnitCell {
    const char* unit;
    const char* cell;
    const char* secondCell;
};

const UnitCell kDorran1Cells[] = {
    {"0:0", "28,34", "19,29"}, {"0:1", "29,34", "20,29"}, {"0:2", "30,34", "21,29"},
    {"6:0", "5,11", "14,24"},  {"6:1", "6,11", "15,24"},  {"6:2", "7,11", "16,24"},
    {"6:3", "8,11", "17,24"},  {"6:4", "9,11", "18,24"},  {"6:5", "15,21", "15,23"},
    {"6:6", "13,22", "19,24"}, {"6:7", "18,22", "20,24"}, {"6:8", "18,20", "21,24"},
};

TEST(ScrhostMap, TextLegendAndSvgWithEveryUnitAtItsCell) {
    const std::string svgPath = TempPath("dorran1.svg");
    const Outcome r = Scrhost({"map", kDorran1, "--svg", svgPath});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "// Vessik Battlestation Assault Map\n"));
    EXPECT_TRUE(Has(r.out, " |....JKLZY...............................|\n"));
    EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(marker 18 +X/x +cell 15,21 +second 15,23 +team 6 O-BATSR "Pirate's Den")")));
    EXPECT_TRUE(Has(r.out, "terrain: '2' 1 '3' 1 'a' 9"));

    const std::string svg = Slurp(svgPath);
    std::remove(svgPath.c_str());
    ASSERT_TRUE(Has(svg, "<svg")) << "no SVG written";
    std::map<std::string, std::pair<std::string, std::string>> drawn;
    const std::regex unit(R"re(data-unit="([0-9]+:[0-9]+)"[^>]*data-cell="([0-9]+,[0-9]+)" data-second-cell="([0-9]+,[0-9]+)")re");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), unit); it != std::sregex_iterator(); ++it) {
        drawn[(*it)[1]] = {(*it)[2], (*it)[3]};
    }
    ASSERT_EQ(drawn.size(), std::size(kDorran1Cells));
    for (const UnitCell& u : kDorran1Cells) {
        EXPECT_EQ(drawn[u.unit].first, u.cell) << u.unit;
        EXPECT_EQ(drawn[u.unit].second, u.secondCell) << u.unit;
    }
    EXPECT_TRUE(Has(svg, "O-BATSR Pirate&apos;s Den") || Has(svg, "O-BATSR Pirate's Den"));
}

// ---------------------------------------------------------------------------
// play

TEST(ScrhostPlay, SameSeedSameTranscriptAndAnOutcome) {
    const Outcome a = Scrhost({"play", kDorran1, "--seed", "5"});
    const Outcome b = Scrhost({"play", kDorran1, "--seed", "5"});
    const Outcome other = Scrhost({"play", kDorran1, "--seed", "6"});
    ASSERT_EQ(a.code, 0) << a.err;
    EXPECT_EQ(a.out, b.out);
    EXPECT_NE(a.out, other.out);
    EXPECT_TRUE(std::regex_search(a.out, std::regex(R"(\] END: result [1-9][0-9]* \(RESULT_[A-Z_]+)")));
    EXPECT_TRUE(std::regex_search(a.out, std::regex(R"(\] outcome level [0-5]\n)")));
    EXPECT_TRUE(Has(a.out, "] message (short): VESSIK SHIP TRANSMISSION: Har, Mateys!"));
    EXPECT_TRUE(Has(a.out, "] named 6:5 O-BATSR \"Pirate's Den\"\n"));
    EXPECT_TRUE(Has(a.out, "] timer 13 set to 20 s\n"));
}

struct ScriptCase {
    const char* name;
    const char* events;
    std::vector<const char*> expected;
};

void PrintTo(const ScriptCase& c, std::ostream* os) { *os << c.name; }

class ScrhostPlayEvents : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScrhostPlayEvents, DrivesOneExactPath) {
    const std::string path = WriteTemp(std::string(GetParam().name) + ".events", GetParam().events);
    const Outcome r = Scrhost({"play", kDorran1, "--events", path});
    std::remove(path.c_str());
    ASSERT_EQ(r.code, 0) << r.err;
    for (const char* e : GetParam().expected) EXPECT_TRUE(Has(r.out, e)) << "missing: " << e << "\n" << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Dorran1, ScrhostPlayEvents,
    ::testing::Values(
        ScriptCase{"AllPiratesDestroyed",
                   "# every pirate unit, one a second\n"
                   "30 destroy 6:0\n31 destroy 6:1\n32 destroy 6:2\n33 destroy 6:3\n34 destroy 6:4\n"
                   "35 destroy 6:5\n36 destroy 6:6\n37 destroy 6:7\n38 destroy 6:8\n",
                   {"[   38s] destroyed 6:8 O-DEF (script)  -> 2\n", "[   38s] END: result 2 (RESULT_DESTROYED)\n",
                    "] outcome level 2\n", "          | Victory!\n", "] next script: none\n"}},
        ScriptCase{"PlayerLeaves",
                   "20 timer 13\n25 leave 0\n",
                   {"[   20s] message (short): VESSIK SHIP TRANSMISSION", "[   25s] team 0 left the battle (script)  -> 8\n",
                    "] outcome level 4\n", "          | You chickened out!:\n"}},
        ScriptCase{"MenuNotOffered",
                   "10 menu 0:0 99\n12 leave 6\n",
                   {"[   10s] event file line 1 (menu) skipped: no menu entry 99 on the unit\n",
                    "] outcome level 2\n"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScrhostPlay, JsonLinesParse) {
    const Outcome r = Scrhost({"play", kDorran1, "--seed", "3", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    std::istringstream lines(r.out);
    std::vector<nlohmann::json> facts;
    for (std::string line; std::getline(lines, line);) {
        facts.push_back(nlohmann::json::parse(line));  // throws on a line that is no JSON
        EXPECT_TRUE(facts.back().contains("t") && facts.back().contains("type")) << line;
    }
    ASSERT_GT(facts.size(), 20u);
    EXPECT_EQ(facts.front()["type"], "start");
    EXPECT_EQ(facts.front()["title"], "Vessik Battlestation Assault");
    EXPECT_EQ(facts.back()["type"], "next_script");
    int created = 0, ends = 0;
    for (const auto& f : facts) {
        created += f["type"] == "created" ? 1 : 0;
        if (f["type"] == "end") {
            ++ends;
            EXPECT_NE(f["result"].get<int>(), 0);
            EXPECT_FALSE(f["flags"].empty());
        }
    }
    EXPECT_EQ(created, 12);
    EXPECT_EQ(ends, 1);
}

// The host reports a unit's event only when the unit watches its code:
// Dorran1's units watch 1, 2, 4 and 0x40000, and a capture is watched
// again after it is reported.
TEST(ScrhostPlay, ReportsOnlyWatchedEvents) {
    const std::string path = WriteTemp("watched.events",
                                       "10 hit 6:0 25\n11 scan 0:0 1\n12 probe 0:0\n"
                                       "13 disable 6:1\n"
                                       "15 capture 6:2 0\n16 capture 6:2 6\n17 destroy 6:3\n");
    const Outcome r = Scrhost({"play", kDorran1, "--events", path, "--max-time", "20", "--json"});
    std::remove(path.c_str());
    ASSERT_EQ(r.code, 0) << r.err;
    std::vector<std::pair<std::string, bool>> reported;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        const nlohmann::json f = nlohmann::json::parse(line);
        if (f.contains("reported") && f["t"].get<int>() >= 10 && f["t"].get<int>() <= 17)
            reported.emplace_back(f["event"].get<std::string>(), f["reported"].get<bool>());
    }
    const std::vector<std::pair<std::string, bool>> expected = {
        {"EV_HIT", false},     {"EV_SCAN", false},     {"EV_PROBE", false},
        {"EV_DISABLED", true}, {"EV_CAPTURED", true},  {"EV_CAPTURED", true}, {"EV_DESTROYED", true},
    };
    EXPECT_EQ(reported, expected) << r.out;
}

TEST(ScrhostPlay, PlugInCrashIsReportedWithTheSeed) {
    const Outcome r = Scrhost({"play", kTestDir + "/Crasher.scr", "--seed", "4"});
    EXPECT_EQ(r.code, 3);
    EXPECT_TRUE(Has(r.err, "the plug-in crashed in the battle with seed 4")) << r.err;
    EXPECT_TRUE(Has(r.out, "] timer 13 set to 5 s\n")) << "the transcript up to the crash is kept";
}

// ---------------------------------------------------------------------------
// campaign

TEST(ScrhostCampaign, FollowsTheChainToAScriptNotInTheFolder) {
    const Outcome r = Scrhost({"campaign", kTestDir + "/ChainA.scr"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "=== mission 1: ChainA.scr (seed 1)")) << r.out;
    EXPECT_TRUE(Has(r.out, "=== mission 2: ChainB.scr (seed 2)"));
    EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(\n  1 +ChainA\.scr +1 .* ChainB\.scr\n)")));
    EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(\n  2 +ChainB\.scr +1 .* Missing\.scr\n)")));
    EXPECT_TRUE(Has(r.out, "Stopped: Missing.scr is not in " + kTestDir + ": not part of this pack\n"));
}

TEST(ScrhostCampaign, StopsAtAReplayedMission) {
    const Outcome r = Scrhost({"campaign", kTestDir + "/ChainA.scr", "--max-missions", "1"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Count(r.out, "=== mission"), 1);
    EXPECT_TRUE(Has(r.out, "Stopped: stopped after 1 missions (--max-missions)"));
}

// ---------------------------------------------------------------------------
// lint

TEST(ScrhostLint, Dorran1IsClean) {
    const Outcome r = Scrhost({"lint", kDorran1});
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_TRUE(Has(r.out, kDorran1 + ": 0 errors, 0 warnings\n")) << r.out;
}

TEST(ScrhostLint, OffMapMarkerAndMissingNextScript) {
    const std::string file = kTestDir + "/ChainB.scr";
    const Outcome r = Scrhost({"lint", file});
    EXPECT_EQ(r.code, 0) << "warnings only: " << r.out << r.err;
    EXPECT_TRUE(Has(r.out, file + ": warning: unit 6:1 O-FF is created on marker 30 ('d'), which is not on map "
                                  "\"Test Map\": the host puts it at cell 1,1\n"))
        << r.out;
    EXPECT_TRUE(Has(r.out, "warning: the next script \"Missing.scr\""));
    EXPECT_TRUE(Has(r.out, file + ": 0 errors, 2 warnings\n"));
}

// ---------------------------------------------------------------------------
// sweep

TEST(ScrhostSweep, DistributionPerDifficulty) {
    const Outcome r = Scrhost({"sweep", kDorran1, "--battles", "6", "--jobs", "2"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(difficulty 0 +difficulty 1 +difficulty 2\n)"))) << r.out;
    EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(\n  battles +6 +6 +6\n)")));
    EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(\n  crashes +0 +0 +0\n)")));
    EXPECT_TRUE(Has(r.out, "  mean prestige"));
    EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(\n  mean length \(s\) +[1-9][0-9]*\.[0-9] )")));
    // Every battle has exactly one outcome level (or none): the level rows add up to the battles.
    std::smatch m;
    int sum = 0;
    std::string rest = r.out;
    const std::regex level(R"(\n    (?:[0-4]|not rated) +([0-9]+) +[0-9]+ +[0-9]+\n)");
    while (std::regex_search(rest, m, level)) {
        sum += std::stoi(m[1]);
        rest = rest.substr(static_cast<std::size_t>(m.position(0)) + 1);
    }
    EXPECT_EQ(sum, 6);
}

TEST(ScrhostSweep, CountsCrashesAndGoesOn) {
    const Outcome r = Scrhost({"sweep", kTestDir + "/Crasher.scr", "--battles", "3", "--difficulty", "1"});
    EXPECT_EQ(r.code, 3) << r.err;
    EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(\n  crashes +3\n)"))) << r.out;
    EXPECT_TRUE(Has(r.out, "CRASHES at difficulty 1: 3 ("));
    EXPECT_TRUE(Has(r.out, "seeds: 1 2 3\n"));
}

// ---------------------------------------------------------------------------
// errors and help

struct ErrorCase {
    const char* name;
    std::vector<std::string> args;
    int code;
    const char* message;  // in stderr
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }

// Arguments standing for files a case writes first (and removes after).
const std::map<std::string, std::pair<std::string, std::string>> kTempFiles = {
    {"@NOT_A_PLUGIN@", {"not_a_plugin.scr", "this is no shared library\n"}},
    {"@BAD_EVENTS@", {"bad.events", "10 destroy 6:0\nsoon leave 0\n"}},
};

class ScrhostErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ScrhostErrors, ClearMessageAndExitCode) {
    std::vector<std::string> args = GetParam().args;
    std::vector<std::string> written;
    for (std::string& a : args) {
        if (const auto it = kTempFiles.find(a); it != kTempFiles.end()) {
            a = WriteTemp(it->second.first, it->second.second);
            written.push_back(a);
        }
    }
    const Outcome r = Scrhost(args);
    for (const std::string& path : written) std::remove(path.c_str());
    EXPECT_EQ(r.code, GetParam().code) << r.out << r.err;
    EXPECT_TRUE(Has(r.err, GetParam().message)) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ScrhostErrors,
    ::testing::Values(
        ErrorCase{"InfoMissingFile", {"info", kDir + "/NoSuchMission.scr"}, 2, "cannot open plug-in"},
        ErrorCase{"MapNotAPlugin", {"map", "@NOT_A_PLUGIN@"}, 2, "cannot load plug-in"},
        ErrorCase{"PlayWrongVersion", {"play", kTestDir + "/OldVersion.scr"}, 2, "has interface version 56, expected 57"},
        ErrorCase{"SweepWrongVersion", {"sweep", kTestDir + "/OldVersion.scr", "--battles", "2"}, 2,
                  "has interface version 56"},
        ErrorCase{"LintNotAPlugin", {"lint", "@NOT_A_PLUGIN@"}, 2, "cannot load plug-in"},
        ErrorCase{"CampaignMissingFile", {"campaign", kDir + "/NoSuchMission.scr"}, 2, "no such file"},
        ErrorCase{"BadDifficulty", {"play", kDorran1, "--difficulty", "7"}, 2, "--difficulty"},
        ErrorCase{"UnknownOption", {"info", kDorran1, "--colour"}, 2, "--colour"},
        ErrorCase{"NoCommand", {}, 2, "subcommand"},
        ErrorCase{"TooManyShips", {"play", kDorran1, "--ships", "A,B,C,D"}, 2, "at most 3"},
        ErrorCase{"BadEventFile", {"play", kDorran1, "--events", "@BAD_EVENTS@"}, 2, "line 2: the time 'soon'"}),
    [](const auto& info) { return std::string(info.param.name); });

class ScrhostHelp : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(ScrhostHelp, EveryCommandExplainsItself) {
    const Outcome r = Scrhost({GetParam().first, "--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(Has(r.out, GetParam().second)) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Commands, ScrhostHelp,
                         ::testing::Values(std::pair{"info", "dry setup"}, std::pair{"map", "--svg"},
                                           std::pair{"play", "--disengage-at"}, std::pair{"campaign", "--max-missions"},
                                           std::pair{"lint", "files"}, std::pair{"sweep", "--jobs"}),
                         [](const auto& info) { return std::string(info.param.first); });

}  // namespace
