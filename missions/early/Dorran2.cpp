// Dorran2: Fly Swatter.
// A Tarvani dreadnought and two escorts take on a swarm of small Felisk
// ships gathered on the Tarvani border, built like Dorran1: the same
// hooks, taunt cycle, disengage rule and outcome, with its own data.
#include "Early.h"

namespace {

// ---- Texts -----------------------------------------------------------------
MissionText kText{
    /* 0 */ "Fly Swatter",
    /* 1 */ "The Continuing voyages of the starship Deduder....\n\nTarvani intelligence reports a large number of "
            "small Felisk ships massing on our border. Alone none of them is a match for a warship, but together "
            "they could overwhelm any patrol we send. You will take the dreadnought Deduder (PAH) and her two "
            "escorts and eliminate the swarm before it strikes.\n\n"
            "A word of advice: deploy your fighters early. The Felisk close-range weapons are deadly to them once "
            "the swarm closes in.",
    /* 2 */ "Captain's Log Y185.2, the Deduder and her escorts are heading for the border where the Felisk swarm "
            "has gathered. Our orders are simple: strike them first and strike them hard, before the little ships "
            "can spread out and surround us.",
    /* 3 */ "Deduder",
    /* 4 */ "Halvreth",
    /* 5 */ "Sorvenne",
    /* 6 */ "Dorran",
    /* 7 */ "Belmik",
    /* 8 */ "Nyxara",
    /* 9 */ "Daisy",
    /* 10 */ "Daffodyll",
    /* 11 */ "Kitty",
    /* 12 */ "Meow",
    /* 13 */ "Litterbox",
    /* 14 */ "Nine Lives",
    /* 15 */ "Purrr",
    /* 16 */ "Cat's Meow",
    /* 17 */ "Pouncer",
    /* 18 */ "Prowlani",
    /* 19 */ "Victory!\n\nYou have proven yourself one of the finest officers in the Tarvani Space Force. With the "
             "Felisk swarm swatted out of the sky, the threat to our border is removed and the colonies along it "
             "can sleep soundly again.",
    /* 20 */ "You chickened out!:\n\nCommand will send a real captain to clean up the mess you left in Tarvani "
             "space. Until then you are reassigned to freighter convoy duty, where the fiercest enemy is a jammed "
             "cargo hatch. Do try not to run from that as well.",
    /* 21 */ "FELISK SHIP TRANSMISSION: Meeooww!  M'tarvanis approaching!",
    /* 22 */ "KITTYLITTER:  They sure have funny sounding ship names!",
    /* 23 */ "NINELIVES: Lets' scratch their eyes out!",
    /* 24 */ "POUNCER: Killing fighters...plucking petals...same difference! ",
    /* 25 */ "MEOW: I am laughing so hard I can't think straight!",
    /* 26 */ "PROWLANI:  Does a Tarvani fart oxygen? ",
    /* 27 */ "KITTY:  Methane breather ship's explode in pretty colors !",
    /* 28 */ "CAT'S MEOW:  This is not looking good...",
    /* 29 */ "Fight harder, people...we are loosing!",
    /* 30 */ "What is that Vorgath saying?  Oh yeah, it is a good day to die!",
    /* 31 */ "Approaching Battlestation, sir!  It has activated it's defense platforms...",
};

// ---- Units: class codes, markers, names and levels ---------------------------
constexpr early::Unit kPlayerUnits[] = {
    {"H-PAH", 1, 3, 10},  // Deduder, the player's flagship
    {"H-OV", 2, 9, 10},   // Daisy
    {"H-SUI", 3, 10, 10}, // Daffodyll
};
// Marker 18 has no cell on this map; the host decides where that unit goes.
constexpr early::Unit kFeliskUnits[] = {
    {"L-FF+", 4, 11, 10},   // Kitty
    {"L-FF+", 5, 12, 10},   // Meow
    {"L-FF+", 6, 13, 10},   // Litterbox
    {"L-FF+", 20, 14, 10},  // Nine Lives
    {"L-FF+", 19, 15, 10},  // Purrr
    {"L-CL+", 18, 16, 10},  // Cat's Meow
    {"L-CL+", 14, 17, 10},  // Pouncer
    {"L-NCA", 16, 18, 10},  // Prowlani
};

// ---- Map ---------------------------------------------------------------------
const MissionMap kMap{
    {"Fly Swatter map"},
    {
    "Fly Swatter map",
    "// Fly Swatter map",
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
    " |........................................|",
    " |........................................|",
    " |........................................|",
    "3|................5.......................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    "4|.........JKLZY.TU..V....................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    " |.............jklzytuv...a...............|",
    "5|........................................|",
    " |........a...............................|",
    " |........................................|",
    " |........................................|",
    " |..................ghi..............2....|",
    "6|........................................|",
    " |......1.................................|",
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
    "///",
    }};

// ---- Taunts on timer 13: five at 24, four at 48, then the last for ever -------
constexpr early::TimerStep kTaunts[] = {
    {21, 24}, {22, 24}, {23, 24}, {24, 24}, {25, 24}, {26, 48}, {27, 48}, {28, 48}, {29, 48}, {30, 48},
};

constexpr early::Pattern kPattern{
    .playerRaces = 16,
    .playerUnits = kPlayerUnits,
    .enemyUnits = kFeliskUnits,
    .flagshipStores = {},
    .timerSteps = kTaunts,
    .repeatLastStep = true,
    .arrivalText = 31,
    .victoryText = 19,
    .disengagedText = 20,
};

}  // namespace

MissionHooks& TheMission() {
    static early::EarlyMission mission(kText, kMap, kPattern);
    return mission;
}
