// scrhost: loads mission plug-ins through their binary interface, as the
// game does, and shows, plays, chains, checks and sweeps them.
#include <unistd.h>

#include <iostream>

#include <CLI/CLI.hpp>

#include "Commands.h"

namespace {

// The options every battle-playing command shares.
void AddBattleOptions(CLI::App* cmd, host::PlayOptions& play) {
    cmd->add_option("--difficulty", play.difficulty, "Difficulty the host answers: 0, 1 or 2")
        ->check(CLI::Range(0, 2));
    cmd->add_option("--team", play.playerTeam, "The player's team")->check(CLI::Range(0, 19));
    cmd->add_option("--race", play.playerRace, "The player's race")->check(CLI::Range(0, 31));
    cmd->add_option("--max-time", play.maxTime, "Seconds after which the player disengages")
        ->check(CLI::Range(1, 1000000));
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"scrhost: the stand-in host for mission plug-ins (NAME.scr)"};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Help for every command");

    std::string file;
    std::vector<std::string> files;

    auto* info = app.add_subcommand("info", "Version, title, settings, maps, briefing and the units of a dry setup");
    info->add_option("file", file, "The plug-in")->required();

    std::optional<std::string> svg;
    auto* map = app.add_subcommand("map", "The map text as the host reads it, with a legend of the unit markers");
    map->add_option("file", file, "The plug-in")->required();
    map->add_option("--svg", svg, "Also draw the map into this SVG file");

    scrhost::PlayRequest play;
    std::string ships;
    auto* playCmd = app.add_subcommand("play", "Plays one simulated battle and prints its transcript");
    playCmd->add_option("file", play.file, "The plug-in")->required();
    playCmd->add_option("--seed", play.play.seed, "Seed of the battle and of the plug-in's random draws");
    AddBattleOptions(playCmd, play.play);
    playCmd->add_option("--ships", ships,
                        "The player's setup units, class codes separated by commas (at most 3; default F-CA; "
                        "'none' offers none)");
    playCmd->add_option("--events", play.eventsFile, "Replay these host events instead of fire and player")
        ->check(CLI::ExistingFile);
    playCmd->add_option("--disengage-at", play.play.disengageAt, "Second at which the player disengages")
        ->check(CLI::Range(0, 1000000));
    playCmd->add_option("--ask", play.play.askAnswer, "The answer to every question the plug-in asks");
    playCmd->add_flag("--json", play.json, "JSON Lines: one event per line");

    scrhost::CampaignRequest campaign;
    auto* campaignCmd = app.add_subcommand("campaign", "Plays a mission and the missions it names, in its folder");
    campaignCmd->add_option("file", campaign.file, "The first plug-in")->required();
    campaignCmd->add_option("--seed", campaign.play.seed, "Seed of the first battle (the n-th uses seed + n - 1)");
    AddBattleOptions(campaignCmd, campaign.play);
    campaignCmd->add_option("--max-missions", campaign.maxMissions, "Stop after this many battles")
        ->check(CLI::Range(1, 10000));
    campaignCmd->add_option("--max-replays", campaign.maxReplays, "Stop when a mission would be replayed more often")
        ->check(CLI::Range(0, 10000));

    auto* lint = app.add_subcommand("lint", "Checks plug-ins through the interface on a dry setup and a short battle");
    lint->add_option("files", files, "The plug-ins")->required();

    scrhost::SweepRequest sweep;
    auto* sweepCmd = app.add_subcommand("sweep", "Many battles per difficulty (seeds 1..N), in parallel");
    sweepCmd->add_option("file", sweep.sweep.path, "The plug-in")->required();
    sweepCmd->add_option("--battles", sweep.sweep.battles, "Battles per difficulty")->check(CLI::Range(1, 100000000));
    sweepCmd->add_option("--difficulty", sweep.sweep.difficulties, "Difficulties, separated by commas")
        ->delimiter(',')
        ->check(CLI::Range(0, 2));
    sweepCmd->add_option("--jobs", sweep.sweep.jobs, "Battles in flight (default: one per core)")
        ->check(CLI::Range(1, 4096));
    sweepCmd->add_option("--team", sweep.sweep.play.playerTeam, "The player's team")->check(CLI::Range(0, 19));
    sweepCmd->add_option("--max-time", sweep.sweep.play.maxTime, "Seconds after which the player disengages")
        ->check(CLI::Range(1, 1000000));
    sweepCmd->add_flag("!--no-progress", sweep.progress, "No progress bar");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return scrhost::EXIT_ERROR;
    }

    if (ships == "none") {
        play.play.ships.clear();
    } else if (!ships.empty()) {
        play.play.ships.clear();
        std::string rest = ships;
        for (std::size_t pos; !rest.empty();) {
            pos = rest.find(',');
            const std::string one = rest.substr(0, pos);
            if (one.empty()) return scrhost::Fail("--ships: an empty class code in '" + ships + "'");
            play.play.ships.push_back(one);
            rest = pos == std::string::npos ? "" : rest.substr(pos + 1);
        }
        if (play.play.ships.size() > MAX_SETUP_UNITS) {
            return scrhost::Fail("--ships: at most " + std::to_string(MAX_SETUP_UNITS) + " setup units");
        }
    }

    if (*info) return scrhost::Info(file);
    if (*map) return scrhost::Map(file, svg);
    if (*playCmd) return scrhost::Play(play);
    if (*campaignCmd) return scrhost::Campaign(campaign);
    if (*lint) return scrhost::Lint(files);
    if (*sweepCmd) return scrhost::SweepCommand(sweep);
    return scrhost::EXIT_ERROR;
}
