// The contract between the host game and a mission plug-in.
//
// Everything the host and a plug-in exchange is in this one header: the
// script interface the host drives (seventeen operations in slot order),
// the four callbacks the host installs, the fixed records, and every
// request and event code. Both sides include it: the plug-in with its
// own string class (tString), the stand-in host with TStringLayout, a
// plain view of the same 40 bytes.
//
// The reference ABI is 32-bit x86: there every record has the exact size
// and byte offsets checked at the bottom of this file. In a native 64-bit
// build pointer-sized fields (pointers and host handles) widen and the
// offsets move; nothing else changes.
#pragma once

#include <cstddef>
#include <cstdint>

// A host handle names one unit in requests and events. It is opaque to
// the plug-in and as wide as a pointer.
using HostHandle = std::intptr_t;

// Interface version returned by operation 0.
inline constexpr int SCRIPT_INTERFACE_VERSION = 57;

// Version float the host writes at the start of MissionSettings before
// calling GetSettings.
inline constexpr float SETTINGS_VERSION = 6.0f;

// ---------------------------------------------------------------------------
// Request codes (HostRequest::code). "unit" is HostRequest::unit.

// Range between unit and the unit whose handle is in `second`; `first` =
// 512. Result: float in `value`.
inline constexpr int REQ_QUERY = 1;
// Set attribute `first` of unit to `value` (29 = 100 then 70 = 5000 destroys).
inline constexpr int REQ_SET_ATTRIBUTE = 2;
// Menu entry: `first` = text index or -1 to remove, `second` = slot,
// `third` = flag byte, `text` = the entry's text (empty on removal).
inline constexpr int REQ_MENU_ITEM = 8;
// Play sound `first`; `second` = 0.
inline constexpr int REQ_PLAY_SOUND = 16;
// Result: difficulty 0, 1 or 2 in `third`.
inline constexpr int REQ_GET_DIFFICULTY = 32;
// Put map character `first` at (column, row), both counted from 0.
inline constexpr int REQ_SET_MAP_CELL = 128;
// Result: the unit's cell in (column, row), counted from 0.
inline constexpr int REQ_GET_POSITION = 512;
// Start timer `second` with duration `first`.
inline constexpr int REQ_SET_TIMER = 1024;
// Move unit to (column, row); `first` = its event mask plus EV_ARRIVED;
// `value` = the move value, negated when asked.
inline constexpr int REQ_MOVE_TO = 2048;
// Ask the player: `text` = "question^answers". Result: int in `first`.
inline constexpr int REQ_ASK = 4096;
// Order: `first` = 0, `second` = order code, `third` = target handle; or
// withdraw: `first` = 2 with two arguments in `second` and `third`.
inline constexpr int REQ_ORDER = 8192;
// The player takes command of unit; `first` = -1.
inline constexpr int REQ_TAKE_COMMAND = 0x8000;
// Level of unit: `first` = 0 (unit) or -1 (all), `value` = the level.
inline constexpr int REQ_SET_LEVEL = 0x10000;
// The events the host reports for unit: mask in `first`.
inline constexpr int REQ_SET_EVENT_MASK = 0x20000;
// Relation `first` held by team `second` towards team `third`; `fourth`
// = second relation value; `value` = score factor.
inline constexpr int REQ_SET_RELATION = 0x80000;
// Name of unit: 8-bit text at `name`, valid during the call only.
inline constexpr int REQ_SET_NAME = 0x400000;
// `value` = 100.0 in; result: the unit's damage in percent in `value`.
inline constexpr int REQ_GET_CONDITION = 0x800000;
// Script file the host loads after this battle, in `text`.
inline constexpr int REQ_NEXT_SCRIPT = 0x1000000;
// Mark: unit -1 with flag `first` at (column, row), or unit with `first` = 1.
inline constexpr int REQ_MARK = 0x2000000;
// Officer slot `first` (0..5): `second` = level, or 6 with `text` = name.
inline constexpr int REQ_OFFICER = 0x4000000;
// Stores of unit: group `first`, item `second`, count `third`; result in `third`.
inline constexpr int REQ_SET_STOCK = 0x8000000;

// ---------------------------------------------------------------------------
// Event codes (HostEvent::code): exactly one bit set.

inline constexpr int EV_DESTROYED = 1;       // unit destroyed
inline constexpr int EV_CAPTURED = 2;        // unit changed team to value1
inline constexpr int EV_DISABLED = 4;        // unit disabled
inline constexpr int EV_ARRIVED = 8;         // unit reached its REQ_MOVE_TO cell
inline constexpr int EV_TIMER = 32;          // a timer ran out; unit field = timer number
inline constexpr int EV_MENU = 64;           // menu item chosen; value1 = its text index
inline constexpr int EV_HIT = 128;           // unit hit
inline constexpr int EV_SCAN = 256;          // scan switched; value1 low byte = state
inline constexpr int EV_512 = 512;           // host event 512
inline constexpr int EV_PROBE = 1024;        // probe launched
inline constexpr int EV_ORBIT_ENTER = 2048;  // standard orbit entered
inline constexpr int EV_ORBIT_LEAVE = 4096;  // standard orbit left
inline constexpr int EV_PLAYER_SHIP = 0x40000;  // the player now commands unit value1
inline constexpr int EV_TEAM_LEFT = 0x100000;   // team (unit field) left the battle

// Events every registered unit watches from the start.
inline constexpr int DEFAULT_EVENT_MASK = EV_DESTROYED | EV_CAPTURED | EV_DISABLED | EV_PLAYER_SHIP;

// Team field of an event that is about no unit (timers, teams leaving).
inline constexpr int NO_UNIT_TEAM = 20;

// ---------------------------------------------------------------------------
// Message kinds (third argument of the message callback).

inline constexpr int MSG_SHORT = 1;
inline constexpr int MSG_ALARM = 2;
inline constexpr int MSG_REPLY = 3;
inline constexpr int MSG_NOTICE = 4;

// ---------------------------------------------------------------------------
// Result flags returned by OnEvent (0 = the battle goes on).

inline constexpr int RESULT_CAPTURED = 1;           // opponent beaten, a unit captured
inline constexpr int RESULT_DESTROYED = 2;          // opponent beaten outright
inline constexpr int RESULT_DISABLED = 4;           // opponent beaten, a unit disabled
inline constexpr int RESULT_OPPONENT_OTHER = 8;     // opponent left, or a mission's own end
inline constexpr int RESULT_PLAYER_DISABLED = 256;  // player beaten, a unit disabled
inline constexpr int RESULT_PLAYER_LEFT = 4096;     // player's team left the battle
inline constexpr int RESULT_PLAYER_DESTROYED = 0x20000;
inline constexpr int RESULT_PLAYER_CAPTURED = 0x40000;
inline constexpr int RESULT_OPPONENT_MASK = 1 | 2 | 4 | 8;

// ---------------------------------------------------------------------------
// The string layout the host reads (40 bytes on the reference ABI). The
// plug-in's tString has exactly these members, the first being its vtable
// pointer; the host never calls through it.

struct TStringLayout {
    const void* vtable;
    char* narrow;           // 8-bit copy, owned by the string, or null
    std::int32_t narrowSize;
    void* reserved;         // always null
    std::int32_t capacity;
    std::int32_t length;    // number of 16-bit units
    void* allocatorWord;
    std::uint16_t* begin;   // the units, no terminator
    std::uint16_t* end;
    std::uint16_t* endOfStorage;
};

// ---------------------------------------------------------------------------
// Records. Fields marked "unused" are never written by the plug-in.

// One request, built by the plug-in on its stack for each call of the
// request callback (104 bytes). Results come back in the fields named
// with each code above.
template <class Str>
struct BasicHostRequest {
    std::int32_t code = 0;
    HostHandle unit = 0;           // the unit's handle, or -1
    std::int32_t unused8 = 0;
    std::int32_t column = 0;       // map column minus 1
    std::int32_t row = 0;          // map row minus 1
    std::int32_t first = 0;
    std::int32_t second = 0;
    HostHandle third = 0;          // also integer results and target handles
    std::int32_t fourth = 0;
    std::int32_t unused36 = 0;
    float value = 0.0f;            // float argument or result
    std::uint8_t unused44[16] = {};
    Str text{};                    // empty unless the request carries a text
    const char* name = nullptr;    // REQ_SET_NAME only
};

// One host event, as passed to OnEvent (36 bytes as read).
struct HostEvent {
    std::int32_t code;
    HostHandle unit;               // the unit's handle; team index for EV_TEAM_LEFT
    std::int32_t team;             // 0..19, or NO_UNIT_TEAM and above
    std::int32_t unused12;
    std::int32_t unused16;
    std::int32_t value1;
    std::int32_t value2;
    std::int32_t value3;
    std::int32_t value4;
};

// A unit to create, or a host unit to adopt (72 bytes).
struct UnitSpec {
    const char* classCode;         // host ship-class code; null for adoptions and groups
    std::int32_t extra;
    std::int32_t group;            // -1, or a group's extra value
    std::int32_t points;           // written by the host: point value
    std::int32_t marker;           // 0 = the cells below are given
    std::int32_t column;           // cells minus 1
    std::int32_t row;
    std::int32_t column2;
    std::int32_t row2;
    std::int32_t team;
    std::int32_t unitId;           // the plug-in's id, reported back in OnUnitCreated
    HostHandle setupIndex;         // setup unit index, -1, or the adopted unit's handle
    std::uint8_t adopt;            // 1 = bind the existing host unit
    std::uint8_t unused49[7];
    std::int32_t race;             // the team's race, -1 unless set
    std::int32_t unused60;
    std::int32_t param;            // groups only
    std::int32_t hostId;           // written by the host; -1 = refused
};

// One of the player's own ships offered in MissionSetup (52 bytes).
struct SetupUnit {
    const char* classCode;
    std::int32_t unused4[3];
    std::int32_t marker;
    std::int32_t column;           // counted from 1
    std::int32_t row;
    std::int32_t column2;
    std::int32_t row2;
    std::int32_t team;
    std::int32_t unused40[3];
};

// Capacities of the value lists in MissionSetup, in ints.
inline constexpr int SETUP_LIST1_SPACE = 11;
inline constexpr int SETUP_LIST2_SPACE = 15;
inline constexpr int SETUP_LIST3_SPACE = 11;
inline constexpr int SETUP_LIST12_END = 12;  // terminator of lists 1 and 2
inline constexpr int SETUP_LIST3_END = 10;   // terminator of list 3
inline constexpr int MAX_SETUP_UNITS = 3;
inline constexpr int PLACEMENT_SLOTS = 6;
inline constexpr int PLACEMENT_MODE_SLOTS = 4;

// The host's setup of one battle, passed to Initialize (5280 bytes).
struct MissionSetup {
    std::uint8_t unused0[52];
    std::int32_t placementMode;    // 4 = fan setup units out by slot
    std::int32_t unused56;
    std::int32_t playerTeam;
    std::int32_t playerRace;
    std::int32_t list1[SETUP_LIST1_SPACE];   // ints ended by 12
    std::int32_t list2[SETUP_LIST2_SPACE];   // ints ended by 12
    std::int32_t setupUnitCount;             // 0..3
    SetupUnit setupUnits[MAX_SETUP_UNITS];
    std::int32_t list3[SETUP_LIST3_SPACE];   // ints ended by 10
    std::int32_t mapOverride;                // -1 none
    std::int32_t slotKinds[PLACEMENT_SLOTS];
    std::uint8_t unused404[48];
    std::uint8_t slotFlags[PLACEMENT_SLOTS];
    std::uint8_t unused458[4782];
    // Written by Initialize:
    std::int32_t pick1;
    std::int32_t pick2;            // also the opponent's race in some missions
    std::uint8_t unused5248[12];
    const char* mapName;           // the plug-in's static map name
    const char* title;             // 8-bit title; copy it, it changes on GetSettings
    std::int32_t mapIndex;
    std::int32_t pick3;
    std::int32_t settings128;
};

// The mission's settings (132 bytes), filled by GetSettings.
template <class Str>
struct BasicMissionSettings {
    float version;                 // must be 6.0 for GetSettings
    Str unused4;
    const char* title;             // 8-bit title, owned by the plug-in
    Str unused48;
    std::int32_t field88;          // 0 or 3
    std::int32_t field92;          // 767
    std::int32_t playerRaces;      // bit n allows race n
    std::int32_t list2Mask;        // mask of the second value list
    std::int32_t field104;         // 7
    std::int32_t field108;         // 0, 150 or 250
    std::int32_t field112;         // 0x7fff
    std::int32_t field116;         // 9999 or 0
    std::int32_t field120;         // 9999
    std::int32_t field124;         // 0, 4, 5, 99 or 0x7fff
    std::int32_t field128;         // 1 or 510; copied to MissionSetup::settings128
};

// ---------------------------------------------------------------------------
// Callbacks the host installs through operations 13 to 16.

template <class Str>
struct BasicCallbacks {
    using RequestFn = void (*)(BasicHostRequest<Str>* request);
    using CreateUnitFn = void (*)(UnitSpec* creation);
    using MessageFn = void (*)(Str* text, int kind, HostHandle unit);
    using RandomFn = int (*)(int low, int high);
};

// ---------------------------------------------------------------------------
// The script object. ScriptEntry returns its address; its vtable holds
// these seventeen operations in slot order and nothing before them (no
// virtual destructor), so the host may call slot n as the n-th pointer of
// the table.
template <class Str>
class BasicScriptInterface {
public:
    using Callbacks = BasicCallbacks<Str>;
    using Settings = BasicMissionSettings<Str>;

    // 0: the interface version, 57.
    virtual int GetVersion() = 0;
    // 1: prepare the battle from the host's setup; asks for the mission's units.
    virtual void Initialize(MissionSetup* setup) = 0;
    // 2: bind a placed unit; true once every unit of the mission is bound.
    virtual bool OnUnitCreated(int team, int unitId, HostHandle handle) = 0;
    // 3: one host event; result flags, 0 while the battle goes on.
    virtual int OnEvent(HostEvent* event) = 0;
    // 4: the map reader goes back to the first line.
    virtual void RewindMap() = 0;
    // 5: the next map line, or null after the last.
    virtual const char* NextMapLine() = 0;
    // 6: the briefing.
    virtual Str* GetBriefing() = 0;
    // 7: number of end-of-mission texts, 0..10.
    virtual int GetEndMessageCount() = 0;
    // 8: end-of-mission text i; the title for an index outside 0..9.
    virtual Str* GetEndMessage(int i) = 0;
    // 9: prestige for outcome level i (0..4); i = 5: the outcome level.
    virtual int GetScore(int i) = 0;
    // 10: fill the settings; false, untouched, unless version is 6.0.
    virtual bool GetSettings(Settings* settings) = 0;
    // 11: the battle is over; the mission may name the next script.
    virtual int Finish(int code) = 0;
    // 12: relation team A holds towards team B; 0 for unknown teams.
    virtual int GetRelation(int teamA, int teamB) = 0;
    // 13..16: the host's callbacks.
    virtual void SetRequestFn(typename Callbacks::RequestFn fn) = 0;
    virtual void SetCreateUnitFn(typename Callbacks::CreateUnitFn fn) = 0;
    virtual void SetMessageFn(typename Callbacks::MessageFn fn) = 0;
    virtual void SetRandomFn(typename Callbacks::RandomFn fn) = 0;

protected:
    // Never deleted through this interface: the object is static.
    ~BasicScriptInterface() = default;
};

// The exported entry point, the only symbol a plug-in exports.
inline constexpr const char* SCRIPT_ENTRY_NAME = "ScriptEntry";

// ---------------------------------------------------------------------------
// Exact layout on the reference ABI.

#if defined(__i386__)
static_assert(sizeof(TStringLayout) == 40);
static_assert(sizeof(BasicHostRequest<TStringLayout>) == 104);
static_assert(offsetof(BasicHostRequest<TStringLayout>, unit) == 4);
static_assert(offsetof(BasicHostRequest<TStringLayout>, column) == 12);
static_assert(offsetof(BasicHostRequest<TStringLayout>, row) == 16);
static_assert(offsetof(BasicHostRequest<TStringLayout>, first) == 20);
static_assert(offsetof(BasicHostRequest<TStringLayout>, second) == 24);
static_assert(offsetof(BasicHostRequest<TStringLayout>, third) == 28);
static_assert(offsetof(BasicHostRequest<TStringLayout>, fourth) == 32);
static_assert(offsetof(BasicHostRequest<TStringLayout>, value) == 40);
static_assert(offsetof(BasicHostRequest<TStringLayout>, text) == 60);
static_assert(offsetof(BasicHostRequest<TStringLayout>, name) == 100);

static_assert(sizeof(HostEvent) == 36);
static_assert(offsetof(HostEvent, unit) == 4);
static_assert(offsetof(HostEvent, team) == 8);
static_assert(offsetof(HostEvent, value1) == 20);
static_assert(offsetof(HostEvent, value4) == 32);

static_assert(sizeof(UnitSpec) == 72);
static_assert(offsetof(UnitSpec, extra) == 4);
static_assert(offsetof(UnitSpec, group) == 8);
static_assert(offsetof(UnitSpec, points) == 12);
static_assert(offsetof(UnitSpec, marker) == 16);
static_assert(offsetof(UnitSpec, column) == 20);
static_assert(offsetof(UnitSpec, row) == 24);
static_assert(offsetof(UnitSpec, column2) == 28);
static_assert(offsetof(UnitSpec, row2) == 32);
static_assert(offsetof(UnitSpec, team) == 36);
static_assert(offsetof(UnitSpec, unitId) == 40);
static_assert(offsetof(UnitSpec, setupIndex) == 44);
static_assert(offsetof(UnitSpec, adopt) == 48);
static_assert(offsetof(UnitSpec, race) == 56);
static_assert(offsetof(UnitSpec, param) == 64);
static_assert(offsetof(UnitSpec, hostId) == 68);

static_assert(sizeof(SetupUnit) == 52);
static_assert(offsetof(SetupUnit, marker) == 16);
static_assert(offsetof(SetupUnit, column) == 20);
static_assert(offsetof(SetupUnit, row) == 24);
static_assert(offsetof(SetupUnit, column2) == 28);
static_assert(offsetof(SetupUnit, row2) == 32);
static_assert(offsetof(SetupUnit, team) == 36);

static_assert(sizeof(MissionSetup) == 5280);
static_assert(offsetof(MissionSetup, placementMode) == 52);
static_assert(offsetof(MissionSetup, playerTeam) == 60);
static_assert(offsetof(MissionSetup, playerRace) == 64);
static_assert(offsetof(MissionSetup, list1) == 68);
static_assert(offsetof(MissionSetup, list2) == 112);
static_assert(offsetof(MissionSetup, setupUnitCount) == 172);
static_assert(offsetof(MissionSetup, setupUnits) == 176);
static_assert(offsetof(MissionSetup, list3) == 332);
static_assert(offsetof(MissionSetup, mapOverride) == 376);
static_assert(offsetof(MissionSetup, slotKinds) == 380);
static_assert(offsetof(MissionSetup, slotFlags) == 452);
static_assert(offsetof(MissionSetup, pick1) == 5240);
static_assert(offsetof(MissionSetup, pick2) == 5244);
static_assert(offsetof(MissionSetup, mapName) == 5260);
static_assert(offsetof(MissionSetup, title) == 5264);
static_assert(offsetof(MissionSetup, mapIndex) == 5268);
static_assert(offsetof(MissionSetup, pick3) == 5272);
static_assert(offsetof(MissionSetup, settings128) == 5276);

static_assert(sizeof(BasicMissionSettings<TStringLayout>) == 132);
static_assert(offsetof(BasicMissionSettings<TStringLayout>, title) == 44);
static_assert(offsetof(BasicMissionSettings<TStringLayout>, field88) == 88);
static_assert(offsetof(BasicMissionSettings<TStringLayout>, playerRaces) == 96);
static_assert(offsetof(BasicMissionSettings<TStringLayout>, list2Mask) == 100);
static_assert(offsetof(BasicMissionSettings<TStringLayout>, field128) == 128);
#endif
