// The stand-in host: plays the host game's side of the plug-in contract
// through the binary interface alone, records everything the plug-in asks
// for, and answers with values a test chooses.
//
//   host::Battle b(path);          // loads a fresh copy of the plug-in
//   b.SetDifficulty(2);            // configure answers before running
//   b.Setup();                     // Initialize, then place and report units
//   b.Destroy(b.Unit(6, 0).handle);
//   b.Requests(REQ_SET_NAME); b.Messages(); b.Transcript();
//
// Callbacks are plain function pointers without user data, so the Battle
// that is alive is reached through one static pointer: only one Battle may
// exist at a time in a process.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "HostAbi.h"
#include "MapGrid.h"
#include "ScriptSlots.h"

namespace host {

using RawRequest = BasicHostRequest<TStringLayout>;

// A plug-in that cannot be loaded or is not a valid mission plug-in.
class LoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "REQ_SET_TIMER" for 1024 and so on; "REQ_UNKNOWN" for any other code.
const char* RequestName(int code);
// "EV_DESTROYED" for 1 and so on; "EV_UNKNOWN" for any other code.
const char* EventName(int code);

// The text of a plug-in string: each 16-bit unit narrowed to its low 8
// bits. "" for a null pointer, a null unit array or a negative length.
std::string ReadText(const TStringLayout* text);

// One loaded plug-in with fresh state: the file is copied to a private
// temporary file, which is loaded and unlinked at once, so loading the
// same path twice gives two independent instances.
class Plugin {
public:
    // Throws LoadError: file missing or unreadable, not loadable, no
    // ScriptEntry, null script object, or a version other than 57.
    explicit Plugin(const std::string& path);
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    Script* script() const { return script_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    void* library_ = nullptr;
    Script* script_ = nullptr;
};

// One request the plug-in sent, decoded, with the host's answer.
struct Request {
    int code = 0;
    const char* codeName = "";     // RequestName(code)
    HostHandle unit = 0;
    int column = 0;                // as sent (map cell minus 1)
    int row = 0;
    int first = 0;
    int second = 0;
    HostHandle third = 0;
    int fourth = 0;
    float value = 0.0f;
    std::string text;              // the tString at offset 60, narrowed
    std::optional<std::string> name;  // the 8-bit text at `name`, if not null
    // What the host wrote back (only for codes that have a result).
    std::optional<long long> answerInt;           // `third` (or `first` for REQ_ASK)
    std::optional<float> answerValue;             // `value`
    std::optional<std::pair<int, int>> answerCell;  // column, row counted from 0
};

// One text shown to the player through the message callback.
struct Message {
    std::string text;
    int kind = 0;
    HostHandle unit = 0;
};

// One call of the random callback.
struct Draw {
    int low = 0;
    int high = 0;
    int answer = 0;
    bool queued = false;           // answered from QueueRandom
};

// The host's random numbers: queued values are answered first, as given
// (not clamped to the range); then a std::mt19937 (seed 1 unless Seed)
// draws uniformly from low..high inclusive, or answers low when
// low > high. Every draw is recorded.
class RandomSource {
public:
    void Queue(const std::vector<int>& values);
    void Seed(std::uint32_t seed) { rng_.seed(seed); }
    int Next(int low, int high);
    std::size_t QueuedCount() const { return queue_.size(); }
    const std::vector<Draw>& Draws() const { return draws_; }

private:
    std::deque<int> queue_;
    std::mt19937 rng_{1};
    std::vector<Draw> draws_;
};

// One event the host reported, and the plug-in's result flags.
struct EventRecord {
    int code = 0;
    HostHandle unit = 0;
    int team = 0;
    int value1 = 0, value2 = 0, value3 = 0, value4 = 0;
    int result = 0;
};

// One unit: asked for through the create-unit callback (created, or an
// adoption), or reported by the host itself (AddHostUnit), or both.
struct UnitRecord {
    // As the plug-in sent it (cells counted from 0, as in the record).
    bool created = false;          // went through the create-unit callback
    bool hasClassCode = false;
    std::string classCode;         // "" when null
    int team = 0;
    int marker = 0;
    int column = 0, row = 0, column2 = 0, row2 = 0;
    int unitId = 0;
    HostHandle setupIndex = 0;
    bool adopt = false;
    int race = 0;
    int param = 0;
    int group = 0;
    int extra = 0;
    int presetPoints = 0;          // `points` as sent (a group's preset)
    int budget = 0;                // `hostId` as sent (a group's budget)
    // The host's answer.
    std::string chosenClass;       // the class code, "GROUP" for a group, "ADOPT" for an adoption
    int points = 0;
    int hostId = 0;
    bool refused = false;
    // Placement and registration.
    bool hostUnit = false;         // reported by AddHostUnit
    HostHandle handle = 0;         // 0 until placed
    bool placed = false;
    bool markerFound = false;      // the marker's cell was found on the map
    int placedColumn = 0, placedRow = 0;    // counted from 1
    int placedColumn2 = 0, placedRow2 = 0;
    std::optional<bool> registered;  // OnUnitCreated's answer
    int currentTeam = 0;           // the host's view; changed by Capture

    bool IsGroup() const { return created && !hasClassCode && !adopt; }
};

// A host-to-plug-in call other than an event, for the transcript.
struct Call {
    std::string operation;         // "Initialize", "OnUnitCreated", ...
    std::string arguments;
    std::optional<long long> result;
};

enum class LogKind { Call, Event, Request, Creation, Message, Random };

// One entry of the combined log: which list, and the index in it
// (Calls(), Events(), Requests(), Units(), Messages(), Draws()). A
// Creation entry points at the unit's record, which later placement
// updates.
struct LogEntry {
    LogKind kind;
    std::size_t index;
};

// Which callbacks Initialize installs; one left out is never installed,
// so the plug-in keeps its null pointer.
struct InstallSet {
    bool request = true;
    bool createUnit = true;
    bool message = true;
    bool random = true;
};

class Battle {
public:
    using RefusePredicate = std::function<bool(const UnitSpec& creation, int nth)>;
    // Sees every request after the host's own answer is written into it
    // and before that answer is recorded: it may overwrite the answer. It
    // runs inside the plug-in's call, so it must not call the plug-in.
    using RequestHook = std::function<void(RawRequest& request)>;
    // Sees every accepted creation after the host's answer (class chosen,
    // points, host id); it may change the record's chosenClass and points,
    // and the points go back to the plug-in.
    using CreationHook = std::function<void(const UnitSpec& creation, UnitRecord& unit)>;

    // Loads the plug-in (see Plugin). Throws LoadError, or std::logic_error
    // when another Battle is alive.
    explicit Battle(const std::string& scriptPath);
    // Plays an already loaded plug-in, which must outlive the Battle and
    // must not have been initialized (one load serves one battle). Throws
    // std::logic_error when another Battle is alive.
    explicit Battle(Plugin& plugin);
    ~Battle();
    Battle(const Battle&) = delete;
    Battle& operator=(const Battle&) = delete;

    Script* script() const { return plugin_->script(); }
    const Plugin& plugin() const { return *plugin_; }

    // ---- Configuration (before running) --------------------------------

    // The setup record Initialize receives. Defaults: all zero, except
    // list1 = {12}, list2 = {12}, list3 = {10} and mapOverride = -1.
    MissionSetup& setup() { return setup_; }
    // Appends a setup unit (cells counted from 1, team = setup().playerTeam
    // at the time of the call) and increments setupUnitCount. Throws
    // std::length_error beyond MAX_SETUP_UNITS. A test may still write
    // setupUnitCount directly.
    void AddSetupUnit(std::string classCode, int column = 0, int row = 0);

    void SetDifficulty(int difficulty) { difficulty_ = difficulty; }  // default 1
    // REQ_QUERY: the range answered, default 10.0; per ordered pair
    // (unit, other) it overrides the default.
    void SetRange(float range) { range_ = range; }
    void SetRange(HostHandle unit, HostHandle other, float range) { ranges_[{unit, other}] = range; }
    // REQ_GET_CONDITION per unit, default 0.0.
    void SetCondition(HostHandle unit, float percent) { conditions_[unit] = percent; }
    // REQ_GET_POSITION per unit as a map cell counted from 1 (the host
    // writes it minus 1). Default: the cell the unit was placed on; an
    // unknown handle answers cell 1, 1.
    void SetPosition(HostHandle unit, int column, int row) { positions_[unit] = {column, row}; }
    // REQ_ASK: the int written at `first`, default 0.
    void SetAskAnswer(int answer) { askAnswer_ = answer; }
    // REQ_SET_STOCK: the int written at `third`; nullopt (default) echoes
    // the count sent.
    void SetStockAnswer(std::optional<int> answer) { stockAnswer_ = answer; }

    // The random callback's answers (see RandomSource).
    void QueueRandom(const std::vector<int>& values) { random_.Queue(values); }
    void SeedRandom(std::uint32_t seed) { random_.Seed(seed); }

    // Creation answers. Point value per class code, default 100; groups
    // (no class code, not an adoption) are valued as the class "GROUP"
    // and adoptions as "ADOPT", so SetPoints("GROUP", n) changes them.
    // Host ids are handed out serially from 1 (SetNextHostId to move on);
    // a refused unit gets -1. The predicate sees the record as sent and
    // the 0-based number of the create-unit call (adoptions included).
    void SetPoints(const std::string& classCode, int points) { points_[classCode] = points; }
    void SetNextHostId(int id) { nextHostId_ = id; }
    void RefuseWhen(RefusePredicate refuse) { refuse_ = std::move(refuse); }

    InstallSet& install() { return install_; }

    void SetRequestHook(RequestHook hook) { requestHook_ = std::move(hook); }
    void SetCreationHook(CreationHook hook) { creationHook_ = std::move(hook); }

    // ---- Operations ------------------------------------------------------

    int GetVersion();
    // Writes the version float (6.0 unless given) into out, leaves the rest
    // of out as the caller made it, and calls GetSettings.
    bool GetSettings(Settings& out);
    bool GetSettings(Settings& out, float version);
    // Installs the callbacks chosen in install(), then calls Initialize
    // with setup(). Copies the map name and title the plug-in wrote.
    void Initialize();
    // Places every unit created and accepted and not yet placed, in
    // creation order, and reports it with OnUnitCreated. Call it again
    // after an event to place units created since. A unit with a marker
    // stands on the marker's cell of the map named in setup().mapName
    // (character 70 + m, second cell 102 + m; a missing marker gives cell
    // 1, 1, a missing second cell the first cell); a unit without a marker
    // on the record's cells plus 1. Handles run 1001, 1002, ... The map is
    // read once, at the first placement that needs it.
    void PlaceUnits();
    // Created and accepted units not placed yet.
    bool HasUnplacedUnits() const;
    void Setup() { Initialize(); PlaceUnits(); }
    // Reports a unit the plug-in never asked for (placed at the given cell,
    // counted from 1); the plug-in adopts it through the create-unit
    // callback. Returns its handle.
    HostHandle AddHostUnit(int team, int unitId, int column = 1, int row = 1);

    // Sends exactly this event; returns and records the result flags.
    int Event(int code, HostHandle unit, int team, int v1 = 0, int v2 = 0, int v3 = 0, int v4 = 0);
    // Helpers: the team is the host's current team of the unit (throws
    // std::out_of_range for an unknown handle). They do not consult the
    // event mask; use Watches() to check it.
    int Destroy(HostHandle unit);
    int Capture(HostHandle unit, int newTeam);   // value1 = newTeam; the host's team changes
    int Disable(HostHandle unit);
    int Timer(int timerNumber = 13);             // unit field = timer number, team 20
    int Menu(HostHandle unit, int textIndex);    // value1 = text index
    int Scan(HostHandle unit, int state);        // value1 = state
    int TeamLeft(int team);                      // unit field = team, team 20
    int PlayerShip(HostHandle unit);             // unit field and value1 = unit

    // ---- After the battle ----------------------------------------------

    int EndMessageCount();
    std::vector<std::string> EndTexts();         // GetEndMessage(0..count-1), count capped at 100
    std::string EndMessage(int i);
    std::array<int, 5> Prestige();               // GetScore(0..4)
    int OutcomeLevel();                          // GetScore(5)
    int Score(int i);
    std::string Briefing();
    int Finish(int code = 0);
    std::optional<std::string> NextScript() const;  // text of the last REQ_NEXT_SCRIPT
    std::vector<std::string> MapLines();         // ReadMap(script())
    int Relation(int teamA, int teamB);

    // ---- Records -----------------------------------------------------

    const std::string& MapName() const { return mapName_; }  // copied after Initialize
    const std::string& Title() const { return title_; }      // copied after Initialize

    const std::vector<Request>& Requests() const { return requests_; }
    std::vector<Request> Requests(int code) const;
    const std::vector<Message>& Messages() const { return messages_; }
    const std::vector<Draw>& Draws() const { return random_.Draws(); }
    const std::vector<EventRecord>& Events() const { return events_; }
    const std::vector<Call>& Calls() const { return calls_; }
    // Every unit record, in the order the host learnt of it (refused ones
    // included). A deque: references stay valid while units are added.
    const std::deque<UnitRecord>& Units() const { return units_; }
    // The index-th unit of a team (the team it was created in) that the
    // host accepted, in creation order; throws std::out_of_range.
    const UnitRecord& Unit(int team, int index) const;
    const UnitRecord& UnitByHandle(HostHandle handle) const;  // throws std::out_of_range
    int UnitCount(int team) const;               // accepted units of the team

    const std::vector<LogEntry>& Log() const { return log_; }
    std::string Describe(const LogEntry& entry) const;
    std::vector<std::string> Transcript() const;  // Describe of every entry

    // Per-unit state derived from the requests.
    std::optional<Request> LastRequest(int code, HostHandle unit) const;
    // The mask last sent for the unit (REQ_SET_EVENT_MASK, or REQ_MOVE_TO,
    // whose `first` is the unit's mask with EV_ARRIVED added); 0 if none.
    int EventMask(HostHandle unit) const;
    bool Watches(HostHandle unit, int eventCode) const { return (EventMask(unit) & eventCode) != 0; }
    std::optional<HostHandle> OrderTarget(HostHandle unit) const;  // last REQ_ORDER with first 0
    std::optional<std::string> Name(HostHandle unit) const;        // last REQ_SET_NAME
    std::optional<float> Level(HostHandle unit) const;             // last REQ_SET_LEVEL value
    std::vector<std::pair<int, int>> Timers() const;  // (timer number, duration) per REQ_SET_TIMER
    std::vector<int> Sounds() const;                  // sound per REQ_PLAY_SOUND

private:
    static void RequestCallback(RawRequest* request);
    static void CreateUnitCallback(UnitSpec* creation);
    static void MessageCallback(TStringLayout* text, int kind, HostHandle unit);
    static int RandomCallback(int low, int high);

    void HandleRequest(RawRequest& raw);
    void HandleCreateUnit(UnitSpec& creation);
    void HandleMessage(const TStringLayout* text, int kind, HostHandle unit);

    std::size_t BeginCall(std::string operation, std::string arguments);
    void EndCall(std::size_t index, long long result);
    void RethrowPending();
    void Register(UnitRecord& unit);
    int TeamOf(HostHandle unit) const;
    UnitRecord* FindByHandle(HostHandle handle);

    static Battle* current_;

    std::unique_ptr<Plugin> ownedPlugin_;
    Plugin* plugin_;
    MissionSetup setup_{};
    std::deque<std::string> setupClassCodes_;
    InstallSet install_;

    int difficulty_ = 1;
    float range_ = 10.0f;
    std::map<std::pair<HostHandle, HostHandle>, float> ranges_;
    std::map<HostHandle, float> conditions_;
    std::map<HostHandle, int> eventMasks_;
    std::map<HostHandle, std::pair<int, int>> positions_;
    int askAnswer_ = 0;
    std::optional<int> stockAnswer_;
    RandomSource random_;
    std::map<std::string, int> points_;
    int nextHostId_ = 1;
    RefusePredicate refuse_;
    RequestHook requestHook_;
    CreationHook creationHook_;
    std::optional<Grid> grid_;     // the map named gridName_, read at the first placement
    std::string gridName_;
    std::size_t placedUpTo_ = 0;   // units_ before this index are all settled
    int createCalls_ = 0;
    HostHandle nextHandle_ = 1001;

    std::string mapName_;
    std::string title_;

    std::vector<Request> requests_;
    std::vector<Message> messages_;
    std::vector<EventRecord> events_;
    std::vector<Call> calls_;
    std::deque<UnitRecord> units_;
    std::vector<LogEntry> log_;

    std::exception_ptr pending_;   // thrown inside a callback, rethrown after the call
};

}  // namespace host
