// Dorran3: Giant Killer.
// A Saurok battle group of three ships intercepts a lone Selvaran
// Emberwing cruiser on its way home from a raid, built like Dorran1: the
// same hooks, taunt cycle, disengage rule and outcome, with its own data.
#include "Early.h"

namespace {

// ---- Texts -----------------------------------------------------------------
MissionText kText{
    /* 0 */ "Giant Killer",
    /* 1 */ "The Continuing voyages of the starship Deduder....\n\nTwo days ago a Selvaran Emberwing cruiser struck "
            "one of our supply depots, destroyed its stores and escaped. It is now heading back towards Selvaran "
            "space at best speed. Your battle group is the only one close enough to catch it before it crosses "
            "the border.\n\nIntercept the raider and destroy it. Do not let it get home to boast of its raid, or "
            "every Selvaran captain will think our depots are easy prey.",
    /* 2 */ "Captain's Log Y185.2, the Deduder leads her two destroyers on an intercept course with the Selvaran "
            "raider. The Emberwing is bigger than any of us, but three against one should even the odds if we "
            "can catch it before it slips across the border.",
    /* 3 */ "Deduder",
    /* 4 */ "Halvreth",
    /* 5 */ "Sorvenne",
    /* 6 */ "Dorran",
    /* 7 */ "Belmik",
    /* 8 */ "Nyxara",
    /* 9 */ "Daisy",
    /* 10 */ "Daffodyll",
    /* 11 */ "Lurker",
    /* 12 */ "Victory!\n\nYou have shown yourself to be one of the best officers in the Saurok Space Fleet. The "
             "Selvaran raider will never reach home, and with it gone a real threat to our border and our supply "
             "lines has been removed.",
    /* 13 */ "You chickened out!:\n\nCommand will send a real captain to guard Saurok space. Meanwhile you are "
             "reassigned to freighter convoy duty, where the most dangerous thing in sight is the galley's stew. "
             "Try not to turn tail on that as well.",
    /* 14 */ "SELVARAN SHIP TRANSMISSION: So, the Saurok wanna play, eh?",
    /* 15 */ "EMBERWING:  Why are your ships named after flowers?!",
    /* 16 */ "EMBERWING:  My crew need some new boots!",
    /* 17 */ "EMBERWING:  I have a nice plasma torpedo with your name on it! ",
    /* 18 */ "EMBERWING:  What exactly is a petunia, anyway?!",
    /* 19 */ "EMBERWING:  Saurok are weak.  You will all die! ",
    /* 20 */ "EMBERWING:  I can't believe you are not running away yet!",
    /* 21 */ "EMBERWING:  Maybe I overestimated you...nah...",
    /* 22 */ "EMBERWING:  You have earned my respect, captain.  You fight well!",
    /* 23 */ "What is that Vorgath saying?  Oh yeah, it is a good day to die!",
    /* 24 */ "Approaching Battlestation, sir!  It has activated it's defense platforms...",
};

// ---- Units: class codes, markers, names and levels ---------------------------
constexpr early::Unit kPlayerUnits[] = {
    {"G-CDD", 1, 3, 10},  // Deduder, the player's flagship
    {"G-DD", 2, 9, 10},   // Daisy
    {"G-DD", 3, 10, 10},  // Daffodyll
};
constexpr early::Unit kSelvaranUnits[] = {
    {"R-FHK", 4, 11, 10},  // Lurker, the Emberwing cruiser
};

// ---- Map ---------------------------------------------------------------------
const MissionMap kMap{
    {"Giant Killer map"},
    {
    "Giant Killer map",
    "// Giant Killer map",
    " +____1____2____3____4____5____6____7____8+",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    "1|........................................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    "2|........................................|",
    " |........................................|",
    " |...........................a............|",
    " |........................................|",
    " |........................................|",
    "3|................0.......................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    " |...................a....................|",
    "4|........................................|",
    " |..............................3.........|",
    " |........................................|",
    " |....a...................................|",
    " |.............j..........................|",
    "5|........................................|",
    " |...........J...........a................|",
    " |........................................|",
    " |........................................|",
    " |..................ghi...................|",
    "6|........................................|",
    " |......1.................................|",
    " |.......................GHI..............|",
    " |........................................|",
    " |........................................|",
    "7|........................................|",
    " |........................................|",
    " |............a...........................|",
    " |........................................|",
    " |........................................|",
    "8|........................................|",
    " +----------------------------------------+",
    "      1    2    3    4    5    6    7    8",
    "///",
    }};

// ---- Taunts on timer 13: five at 24, four at 48, then the last for ever -------
constexpr early::TimerStep kTaunts[] = {
    {14, 24}, {15, 24}, {16, 24}, {17, 24}, {18, 24}, {19, 48}, {20, 48}, {21, 48}, {22, 48}, {23, 48},
};

constexpr early::Pattern kPattern{
    .playerRaces = 32,
    .playerUnits = kPlayerUnits,
    .enemyUnits = kSelvaranUnits,
    .flagshipStores = {},
    .timerSteps = kTaunts,
    .repeatLastStep = true,
    .arrivalText = 24,
    .victoryText = 12,
    .disengagedText = 13,
};

}  // namespace

MissionHooks& TheMission() {
    static early::EarlyMission mission(kText, kMap, kPattern);
    return mission;
}
