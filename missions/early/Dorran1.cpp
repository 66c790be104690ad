// Dorran1: Vessik Battlestation Assault.
// A Dudadiveva dreadnought and two escorts attack a Vessik pirate
// battlestation in an asteroid belt, guarded by five named pirate ships
// and three defence platforms, while the pirates taunt on a timer.
#include "Early.h"

namespace {

// ---- Texts -----------------------------------------------------------------
MissionText kText{
    /* 0 */ "Vessik Battlestation Assault",
    /* 1 */ "Dudadiveva intelligence has located a Vessik pirate battlestation hidden deep in an asteroid belt "
            "near the neutral zone between Dudadiveva and Vorgath space. For six months its raiders have preyed "
            "on our freighters and slipped back into the rocks before any patrol could catch them.\n\n"
            "You will take the dreadnought Deduder, supported by an F-CFS+ and a CC+, into the belt. Destroy the "
            "battlestation and any pirate ships hiding there. Expect to be outnumbered and outgunned.",
    /* 2 */ "Captain's Log Y185.2, the Deduder and her escorts are under way to the asteroid belt where the Vessik "
            "pirates have made their lair. Intelligence warns of heavy odds, but the crew is ready and eager to "
            "put an end to the raids.",
    /* 3 */ "Deduder",
    /* 4 */ "Halvreth",
    /* 5 */ "Sorvenne",
    /* 6 */ "Dorran",
    /* 7 */ "Belmik",
    /* 8 */ "Nyxara",
    /* 9 */ "Daisy",
    /* 10 */ "Daffodyll",
    /* 11 */ "Sting",
    /* 12 */ "Jolly Roger",
    /* 13 */ "Grim Salt",
    /* 14 */ "Brine Fang",
    /* 15 */ "Hook",
    /* 16 */ "Pirate's Den",
    /* 17 */ "Victory!\n\nOnce again you have shown yourself to be one of the Dudadiveva's finest officers. With "
             "the battlestation destroyed, a major threat to the shipping lanes along the neutral zone is gone "
             "and the freighters can fly in peace.",
    /* 18 */ "You chickened out!:\n\nCommand will send a real captain to finish the job. In the meantime you are "
             "reassigned to freighter convoy duty, where the most dangerous thing you will face is the cook's "
             "coffee. Try not to run from that as well.",
    /* 19 */ "VESSIK SHIP TRANSMISSION: Har, Mateys!  We be fighting SPACE FLOWERS!",
    /* 20 */ "STING:  Yo, ho!  The Feddies will be visitin' Davy Jones' space locker soon now!",
    /* 21 */ "BRINEFANG: Har!  'Tis Deduder pickin' time!  And the little daisy's and daffodyll's, too!",
    /* 22 */ "GRIMSALT: Watch out boys.  We don't want to be *pollunated*!  Har! ",
    /* 23 */ "HOOK: Yar! They should paint the Deduder PINK!  Har!",
    /* 24 */ "JOLLY ROGER: Blyme, mates!  Dibs on the booty from the big Feddy...the swill will be flowing tonight! ",
    /* 25 */ "BATTLESTATION:  Hey!  Quit jabbering and fight!  They are getting close!",
    /* 26 */ "BATTLESTATION:  This is not looking good...",
    /* 27 */ "BATTLESTATION:  Go AWAY!  LEAVE US ALONE!  LEAVE ALREADY!",
    /* 28 */ "BATTLESTATION:  Uh oh...HELP!  Anyone?  We need HELP here!",
    /* 29 */ "Approaching Battlestation, sir!  It has activated it's defense platforms...",
};

// ---- Units: class codes, markers, names and levels ---------------------------
constexpr early::Unit kPlayerUnits[] = {
    {"F-DNH", 1, 3, 10},   // Deduder, the player's flagship
    {"F-CFS+", 2, 9, 10},  // Daisy
    {"F-CC+", 3, 10, 10},  // Daffodyll
};
constexpr early::Unit kPirateUnits[] = {
    {"O-BCH1", 4, 11, 10},   // Sting
    {"O-CA1", 5, 12, 10},    // Jolly Roger
    {"O-AR1", 6, 13, 10},    // Grim Salt
    {"O-DW1", 20, 14, 10},   // Brine Fang
    {"O-LR1", 19, 15, 10},   // Hook
    {"O-BATSR", 18, 16, 0},  // Pirate's Den, the battlestation
    {"O-DEF", 14, -1, -1},   // defence platforms
    {"O-DEF", 15, -1, -1},
    {"O-DEF", 16, -1, -1},
};

// ---- Map ---------------------------------------------------------------------
const MissionMap kMap{
    {"Vessik Battlestation Assault Map"},
    {
    "Vessik Battlestation Assault Map",
    "// Vessik Battlestation Assault Map",
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
    " |....JKLZY...............................|",
    " |........................................|",
    " |........................................|",
    " |..................................2.....|",
    "3|........................................|",
    " |........................................|",
    " |................a.......................|",
    " |........................................|",
    " |..3....a................................|",
    "4|.................V......................|",
    " |..............X....a....................|",
    " |........a...T....U......................|",
    " |..............x.........................|",
    " |.............jklzytuv...a...............|",
    "5|........................................|",
    " |........a.........a.....................|",
    " |........................................|",
    " |..............a...........a.............|",
    " |..................ghi...................|",
    "6|........................................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    " |...........................GHI..........|",
    "7|........................................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    "8|........................................|",
    " +----------------------------------------+",
    "      1    2    3    4    5    6    7    8",
    "///",    }};

// ---- Taunts on timer 13: five at 24, four at 48, then the last for ever -------
constexpr early::TimerStep kTaunts[] = {
    {19, 24}, {20, 24}, {21, 24}, {22, 24}, {23, 24}, {24, 48}, {25, 48}, {26, 48}, {27, 48}, {28, 48},
};

constexpr early::Pattern kPattern{
    .playerRaces = 1,
    .playerUnits = kPlayerUnits,
    .enemyUnits = kPirateUnits,
    .flagshipStores = {},
    .timerSteps = kTaunts,
    .repeatLastStep = true,
    .arrivalText = 29,
    .victoryText = 17,
    .disengagedText = 18,
};

}  // namespace

MissionHooks& TheMission() {
    static early::EarlyMission mission(kText, kMap, kPattern);
    return mission;
}
