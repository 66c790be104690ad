// The scrhost commands. Each returns the process exit code.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Simulation.h"
#include "Sweep.h"

namespace scrhost {

inline constexpr int EXIT_OK = 0;
inline constexpr int EXIT_FINDINGS = 1;  // lint found errors
inline constexpr int EXIT_ERROR = 2;     // bad option, missing or foreign file, not a plug-in, wrong version
inline constexpr int EXIT_CRASH = 3;     // the plug-in crashed

int Info(const std::string& file);
int Map(const std::string& file, const std::optional<std::string>& svgPath);

struct PlayRequest {
    std::string file;
    host::PlayOptions play;
    std::optional<std::string> eventsFile;
    bool json = false;
};
int Play(PlayRequest request);

struct CampaignRequest {
    std::string file;
    host::PlayOptions play;
    int maxMissions = 20;
    int maxReplays = 2;
};
int Campaign(const CampaignRequest& request);

int Lint(const std::vector<std::string>& files);

struct SweepRequest {
    host::SweepOptions sweep;
    bool progress = true;  // only drawn when stderr is a terminal
};
int SweepCommand(SweepRequest request);

// Runs body in a child process (see host::RunIsolated): load errors and
// other exceptions become "scrhost: error: ..." and EXIT_ERROR; a crash
// is reported as "scrhost: <file>: the plug-in crashed <what> (<how>)" and
// gives EXIT_CRASH.
int Guarded(const std::string& file, const std::string& what, const std::function<int()>& body);

// Prints an error in the tool's form and returns EXIT_ERROR.
int Fail(const std::string& message);

// The unit table of a dry setup.
struct DryUnit {
    int team = 0;
    int index = 0;
    std::string classCode;
    bool group = false;
    int marker = 0;
    bool markerFound = true;
    int column = 0, row = 0, column2 = 0, row2 = 0;
    std::string name;
    std::optional<float> level;
};

struct DryView {
    std::string title;
    std::string mapName;
    std::string briefing;
    std::vector<std::string> mapLines;
    std::vector<DryUnit> units;
    MissionSetup setup{};
};

// Loads a fresh copy and sets a battle up with the default play options.
DryView DryLook(const std::string& file);

// The map's names: the text of each "//" header line after the "//".
std::vector<std::string> HeaderNames(const std::vector<std::string>& lines);

// The SVG drawing of the chosen map with the units of the dry setup.
std::string RenderSvg(const DryView& view);

// Name shown for a unit: "6:3 O-DW1 \"Brine Fang\"".
std::string UnitTitle(const DryUnit& u);

}  // namespace scrhost
