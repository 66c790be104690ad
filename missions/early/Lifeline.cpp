// Lifeline: Save The Korvane.
// The Dudadiveva heavy cruiser Korvane, alone on border patrol, is the
// first target of a Vorgath attack by three cruisers hiding in a planet's
// rings. Built like Dorran1, with a single player ship carrying extra
// stores, a short message sequence that then falls silent, and no arrival
// message.
#include "Early.h"

namespace {

// ---- Texts -----------------------------------------------------------------
MissionText kText{
    /* 0 */ "Save The Korvane",
    /* 1 */ "Our agents report that the Vorgath Empire is about to attack the Dudadiveva, and the heavy cruiser "
            "Korvane, on patrol along the Vorgath border, will be the first target. You are in command of the "
            "Korvane.\n\nLong-range sensors have caught traces of three Vorgath ships, one K-D7B and two K-D6Bs, "
            "hiding in the rings of a nearby planet. They will wait there until you pass and then make their "
            "attack run. Do not go looking for them in the rings: wait for them to come to you.\n\n"
            "When they strike, do as much damage as you can and get out alive. Every Vorgath ship you cripple "
            "is one less in the war to come, but the safe return of the Korvane and her crew is paramount.",
    /* 2 */ "Captain's Log: the Korvane continues her patrol along the Vorgath border. All hands are at their "
            "stations, waiting for an ambush we know is coming.",
    /* 3 */ "Korvane",
    /* 4 */ "Halvreth",
    /* 5 */ "Sorvenne",
    /* 6 */ "Dorran",
    /* 7 */ "Belmik",
    /* 8 */ "Nyxara",
    /* 9 */ "Redizevuza",
    /* 10 */ " ",
    /* 11 */ "Desolation",
    /* 12 */ "Victory!\n\nThe Vorgath ambush has failed and their ships lie broken in the rings. Destroying them "
             "removes an immediate threat to the border, and one cruiser beating three Vorgath warships on the "
             "first day of the war is a psychological victory the whole fleet will hear about.",
    /* 13 */ "You got away!:\n\nThe fleet is glad to have the Korvane and her crew back in one piece; a ship "
             "saved is a ship that can fight another day. Still, Command had hoped for a few more Vorgath kills. "
             "Next time, make them pay a higher price.",
    /* 14 */ "Science Officer:  Sir, we have spotted 3 Vorgath ships hiding in the rings of the nearby planet "
             "waiting to ambush us...",
    /* 15 */ "Communications Officer: Sir, a general message to the fleet has just come in. The Vorgath Empire "
             "has declared war on the Dudadiveva!",
    /* 16 */ "Vorgath Ship:  The Glory of Battle again!  All ships attack! ",
    /* 17 */ "Vorgath Ship:  Prepare to die!",
};

// ---- Units: class codes, markers, names and levels ---------------------------
constexpr early::Unit kPlayerUnits[] = {
    {"F-CA+", 1, 3, 10},  // Korvane, the player's ship
};
constexpr early::Unit kVorgathUnits[] = {
    {"K-D7B", 4, 9, 10},   // Redizevuza
    {"K-D6B", 5, 10, 10},  // named with a single space
    {"K-D6B", 6, 11, 10},  // Desolation
};

// Extra stores loaded into the Korvane (group, item, count).
constexpr early::Stock kKorvaneStores[] = {
    {1, 10, 10}, {1, 9, 36}, {1, 7, 2}, {1, 5, 2}, {1, 8, 16}, {1, 4, 4},
};

// ---- Map ---------------------------------------------------------------------
const MissionMap kMap{
    {"Save The Korvane map"},
    {
    "Save The Korvane map",
    "// Save The Korvane map",
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
    "3|........................................|",
    " |........................................|",
    " |........................................|",
    " |.............*..........................|",
    " |.............................*..........|",
    "4|........................................|",
    " |............................G...........|",
    " |...*....................................|",
    " |........................................|",
    " |........................................|",
    "5|...............*..............g.........|",
    " |........................................|",
    " |..............................jkl.......|",
    " |........................................|",
    " |.........*..............................|",
    "6|........................J...2...........|",
    " |........................................|",
    " |...........................K.L..........|",
    " |........................................|",
    " |........................................|",
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

// ---- Messages on timer 13: four at 24, then silence ---------------------------
constexpr early::TimerStep kMessages[] = {
    {14, 24}, {15, 24}, {16, 24}, {17, 24},
};

constexpr early::Pattern kPattern{
    .playerRaces = 1,
    .playerUnits = kPlayerUnits,
    .enemyUnits = kVorgathUnits,
    .flagshipStores = kKorvaneStores,
    .timerSteps = kMessages,
    .repeatLastStep = false,
    .arrivalText = -1,
    .victoryText = 12,
    .disengagedText = 13,
};

}  // namespace

MissionHooks& TheMission() {
    static early::EarlyMission mission(kText, kMap, kPattern);
    return mission;
}
