#include "StandInHost.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace host {

// ---------------------------------------------------------------------------
// Names

const char* RequestName(int code) {
    switch (code) {
        case REQ_QUERY: return "REQ_QUERY";
        case REQ_SET_ATTRIBUTE: return "REQ_SET_ATTRIBUTE";
        case REQ_MENU_ITEM: return "REQ_MENU_ITEM";
        case REQ_PLAY_SOUND: return "REQ_PLAY_SOUND";
        case REQ_GET_DIFFICULTY: return "REQ_GET_DIFFICULTY";
        case REQ_SET_MAP_CELL: return "REQ_SET_MAP_CELL";
        case REQ_GET_POSITION: return "REQ_GET_POSITION";
        case REQ_SET_TIMER: return "REQ_SET_TIMER";
        case REQ_MOVE_TO: return "REQ_MOVE_TO";
        case REQ_ASK: return "REQ_ASK";
        case REQ_ORDER: return "REQ_ORDER";
        case REQ_TAKE_COMMAND: return "REQ_TAKE_COMMAND";
        case REQ_SET_LEVEL: return "REQ_SET_LEVEL";
        case REQ_SET_EVENT_MASK: return "REQ_SET_EVENT_MASK";
        case REQ_SET_RELATION: return "REQ_SET_RELATION";
        case REQ_SET_NAME: return "REQ_SET_NAME";
        case REQ_GET_CONDITION: return "REQ_GET_CONDITION";
        case REQ_NEXT_SCRIPT: return "REQ_NEXT_SCRIPT";
        case REQ_MARK: return "REQ_MARK";
        case REQ_OFFICER: return "REQ_OFFICER";
        case REQ_SET_STOCK: return "REQ_SET_STOCK";
        default: return "REQ_UNKNOWN";
    }
}

const char* EventName(int code) {
    switch (code) {
        case EV_DESTROYED: return "EV_DESTROYED";
        case EV_CAPTURED: return "EV_CAPTURED";
        case EV_DISABLED: return "EV_DISABLED";
        case EV_ARRIVED: return "EV_ARRIVED";
        case EV_TIMER: return "EV_TIMER";
        case EV_MENU: return "EV_MENU";
        case EV_HIT: return "EV_HIT";
        case EV_SCAN: return "EV_SCAN";
        case EV_512: return "EV_512";
        case EV_PROBE: return "EV_PROBE";
        case EV_ORBIT_ENTER: return "EV_ORBIT_ENTER";
        case EV_ORBIT_LEAVE: return "EV_ORBIT_LEAVE";
        case EV_PLAYER_SHIP: return "EV_PLAYER_SHIP";
        case EV_TEAM_LEFT: return "EV_TEAM_LEFT";
        default: return "EV_UNKNOWN";
    }
}

std::string ReadText(const TStringLayout* text) {
    // Longer than any plug-in string may be (they stop below 50000 units).
    constexpr std::int32_t maxUnits = 1 << 20;
    if (text == nullptr || text->begin == nullptr || text->length <= 0) return {};
    const std::int32_t length = std::min(text->length, maxUnits);
    std::string out(static_cast<std::size_t>(length), '\0');
    for (std::int32_t i = 0; i < length; ++i) {
        out[static_cast<std::size_t>(i)] = static_cast<char>(text->begin[i] & 0xff);
    }
    return out;
}

// ---------------------------------------------------------------------------
// Plugin

namespace {

std::string TempDirectory() {
    const char* dir = std::getenv("TMPDIR");
    if (dir != nullptr && *dir != '\0') return dir;
    return "/tmp";
}

// Copies path to a new private temporary file and returns its name.
std::string CopyToTemp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw LoadError("cannot open plug-in '" + path + "': " + std::strerror(errno));
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw LoadError("cannot read plug-in '" + path + "'");

    std::string name = TempDirectory() + "/standin-host-XXXXXX";
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    const int fd = ::mkstemp(buffer.data());
    if (fd < 0) {
        throw LoadError("cannot create a temporary copy of '" + path + "': " + std::strerror(errno));
    }
    name = buffer.data();
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            const std::string reason = std::strerror(errno);
            ::close(fd);
            ::unlink(name.c_str());
            throw LoadError("cannot write a temporary copy of '" + path + "': " + reason);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) {
        const std::string reason = std::strerror(errno);
        ::unlink(name.c_str());
        throw LoadError("cannot write a temporary copy of '" + path + "': " + reason);
    }
    return name;
}

}  // namespace

Plugin::Plugin(const std::string& path) : path_(path) {
    const std::string copy = CopyToTemp(path);
    library_ = ::dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    const char* openError = library_ == nullptr ? ::dlerror() : nullptr;
    ::unlink(copy.c_str());
    if (library_ == nullptr) {
        // The loader names the private copy; the user knows the file.
        std::string reason = openError != nullptr ? openError : "unknown error";
        if (const auto at = reason.find(copy + ": "); at != std::string::npos) reason.erase(at, copy.size() + 2);
        throw LoadError("cannot load plug-in '" + path + "': " + reason);
    }
    try {
        ::dlerror();
        void* entry = ::dlsym(library_, SCRIPT_ENTRY_NAME);
        if (entry == nullptr) {
            throw LoadError("plug-in '" + path + "' does not export " + SCRIPT_ENTRY_NAME);
        }
        using EntryFn = Script* (*)();
        script_ = reinterpret_cast<EntryFn>(entry)();
        if (script_ == nullptr) {
            throw LoadError("plug-in '" + path + "': " + SCRIPT_ENTRY_NAME + " returned null");
        }
        const int version = slot::GetVersion(script_);
        if (version != SCRIPT_INTERFACE_VERSION) {
            throw LoadError("plug-in '" + path + "' has interface version " + std::to_string(version) +
                            ", expected " + std::to_string(SCRIPT_INTERFACE_VERSION));
        }
    } catch (...) {
        ::dlclose(library_);
        throw;
    }
}

Plugin::~Plugin() {
    if (library_ != nullptr) ::dlclose(library_);
}

// ---------------------------------------------------------------------------
// Battle: construction and configuration

Battle* Battle::current_ = nullptr;

namespace {

const std::string& CheckNoBattle(const std::string& path, const Battle* current) {
    if (current != nullptr) {
        throw std::logic_error("host::Battle: another Battle is alive; only one may exist at a time");
    }
    return path;
}

}  // namespace

Battle::Battle(const std::string& scriptPath)
    : ownedPlugin_(std::make_unique<Plugin>(CheckNoBattle(scriptPath, current_))), plugin_(ownedPlugin_.get()) {
    setup_.list1[0] = SETUP_LIST12_END;
    setup_.list2[0] = SETUP_LIST12_END;
    setup_.list3[0] = SETUP_LIST3_END;
    setup_.mapOverride = -1;
    current_ = this;
}

Battle::Battle(Plugin& plugin) : plugin_(&plugin) {
    CheckNoBattle(plugin.path(), current_);
    setup_.list1[0] = SETUP_LIST12_END;
    setup_.list2[0] = SETUP_LIST12_END;
    setup_.list3[0] = SETUP_LIST3_END;
    setup_.mapOverride = -1;
    current_ = this;
}

Battle::~Battle() {
    if (current_ == this) current_ = nullptr;
}

void Battle::AddSetupUnit(std::string classCode, int column, int row) {
    const int n = static_cast<int>(setupClassCodes_.size());
    if (n >= MAX_SETUP_UNITS) throw std::length_error("host::Battle::AddSetupUnit: at most 3 setup units");
    setupClassCodes_.push_back(std::move(classCode));
    SetupUnit& unit = setup_.setupUnits[n];
    unit = SetupUnit{};
    unit.classCode = setupClassCodes_.back().c_str();
    unit.column = column;
    unit.row = row;
    unit.team = setup_.playerTeam;
    setup_.setupUnitCount = n + 1;
}

// ---------------------------------------------------------------------------
// Callbacks

void Battle::RequestCallback(RawRequest* request) {
    Battle* b = current_;
    if (b == nullptr || request == nullptr) return;
    try {
        b->HandleRequest(*request);
    } catch (...) {
        if (!b->pending_) b->pending_ = std::current_exception();
    }
}

void Battle::CreateUnitCallback(UnitSpec* creation) {
    Battle* b = current_;
    if (creation == nullptr) return;
    if (b == nullptr) {
        creation->hostId = -1;
        return;
    }
    try {
        b->HandleCreateUnit(*creation);
    } catch (...) {
        creation->hostId = -1;
        if (!b->pending_) b->pending_ = std::current_exception();
    }
}

void Battle::MessageCallback(TStringLayout* text, int kind, HostHandle unit) {
    Battle* b = current_;
    if (b == nullptr) return;
    try {
        b->HandleMessage(text, kind, unit);
    } catch (...) {
        if (!b->pending_) b->pending_ = std::current_exception();
    }
}

int Battle::RandomCallback(int low, int high) {
    Battle* b = current_;
    if (b == nullptr) return low;
    try {
        const int answer = b->random_.Next(low, high);
        b->log_.push_back({LogKind::Random, b->random_.Draws().size() - 1});
        return answer;
    } catch (...) {
        if (!b->pending_) b->pending_ = std::current_exception();
        return low;
    }
}

void Battle::RethrowPending() {
    if (pending_) {
        std::exception_ptr e = pending_;
        pending_ = nullptr;
        std::rethrow_exception(e);
    }
}

void Battle::HandleRequest(RawRequest& raw) {
    if (raw.code == REQ_SET_EVENT_MASK || raw.code == REQ_MOVE_TO) eventMasks_[raw.unit] = raw.first;
    Request r;
    r.code = raw.code;
    r.codeName = RequestName(raw.code);
    r.unit = raw.unit;
    r.column = raw.column;
    r.row = raw.row;
    r.first = raw.first;
    r.second = raw.second;
    r.third = raw.third;
    r.fourth = raw.fourth;
    r.value = raw.value;
    r.text = ReadText(&raw.text);
    if (raw.name != nullptr) r.name = std::string(raw.name);

    switch (raw.code) {
        case REQ_QUERY: {
            const auto it = ranges_.find({raw.unit, static_cast<HostHandle>(raw.second)});
            raw.value = it != ranges_.end() ? it->second : range_;
            break;
        }
        case REQ_GET_DIFFICULTY:
            raw.third = difficulty_;
            break;
        case REQ_GET_POSITION: {
            std::pair<int, int> cell{1, 1};
            if (const auto it = positions_.find(raw.unit); it != positions_.end()) {
                cell = it->second;
            } else if (const UnitRecord* u = FindByHandle(raw.unit); u != nullptr && u->placed) {
                cell = {u->placedColumn, u->placedRow};
            }
            raw.column = cell.first - 1;
            raw.row = cell.second - 1;
            break;
        }
        case REQ_ASK:
            raw.first = askAnswer_;
            break;
        case REQ_GET_CONDITION: {
            const auto it = conditions_.find(raw.unit);
            raw.value = it != conditions_.end() ? it->second : 0.0f;
            break;
        }
        case REQ_SET_STOCK:
            if (stockAnswer_) raw.third = *stockAnswer_;
            break;
        default:
            break;
    }
    if (requestHook_) requestHook_(raw);
    switch (raw.code) {
        case REQ_QUERY: case REQ_GET_CONDITION: r.answerValue = raw.value; break;
        case REQ_GET_DIFFICULTY: case REQ_SET_STOCK: r.answerInt = raw.third; break;
        case REQ_ASK: r.answerInt = raw.first; break;
        case REQ_GET_POSITION: r.answerCell = std::make_pair(raw.column, raw.row); break;
        default: break;
    }
    requests_.push_back(std::move(r));
    log_.push_back({LogKind::Request, requests_.size() - 1});
}

void Battle::HandleCreateUnit(UnitSpec& creation) {
    const int nth = createCalls_++;
    UnitRecord sent;
    sent.created = true;
    sent.hasClassCode = creation.classCode != nullptr;
    if (sent.hasClassCode) sent.classCode = creation.classCode;
    sent.team = creation.team;
    sent.marker = creation.marker;
    sent.column = creation.column;
    sent.row = creation.row;
    sent.column2 = creation.column2;
    sent.row2 = creation.row2;
    sent.unitId = creation.unitId;
    sent.setupIndex = creation.setupIndex;
    sent.adopt = creation.adopt != 0;
    sent.race = creation.race;
    sent.param = creation.param;
    sent.group = creation.group;
    sent.extra = creation.extra;
    sent.presetPoints = creation.points;
    sent.budget = creation.hostId;
    sent.currentTeam = creation.team;
    sent.chosenClass = sent.adopt ? "ADOPT" : sent.hasClassCode ? sent.classCode : "GROUP";

    // An adoption of a unit the host reported completes that unit's record.
    UnitRecord* record = nullptr;
    if (sent.adopt) {
        record = FindByHandle(creation.setupIndex);
        if (record != nullptr && record->created) record = nullptr;  // adopted twice: a new record
    }
    if (record != nullptr) {
        sent.hostUnit = record->hostUnit;
        sent.handle = record->handle;
        sent.placed = record->placed;
        sent.placedColumn = record->placedColumn;
        sent.placedRow = record->placedRow;
        sent.placedColumn2 = record->placedColumn2;
        sent.placedRow2 = record->placedRow2;
        sent.registered = record->registered;
        *record = std::move(sent);
    } else {
        if (sent.adopt) sent.handle = creation.setupIndex;
        units_.push_back(std::move(sent));
        record = &units_.back();
    }

    const bool refused = refuse_ && refuse_(creation, nth);
    if (refused) {
        creation.hostId = -1;
        record->refused = true;
        record->hostId = -1;
        record->points = creation.points;
    } else {
        const auto it = points_.find(record->chosenClass);
        record->points = it != points_.end() ? it->second : 100;
        record->hostId = nextHostId_++;
        if (creationHook_) creationHook_(creation, *record);
        creation.points = record->points;
        creation.hostId = record->hostId;
    }
    std::size_t index = 0;
    while (&units_[index] != record) ++index;  // a deque is not contiguous: find the index
    log_.push_back({LogKind::Creation, index});
}

void Battle::HandleMessage(const TStringLayout* text, int kind, HostHandle unit) {
    messages_.push_back({ReadText(text), kind, unit});
    log_.push_back({LogKind::Message, messages_.size() - 1});
}

void RandomSource::Queue(const std::vector<int>& values) {
    queue_.insert(queue_.end(), values.begin(), values.end());
}

int RandomSource::Next(int low, int high) {
    Draw d{low, high, low, false};
    if (!queue_.empty()) {
        d.answer = queue_.front();
        queue_.pop_front();
        d.queued = true;
    } else if (low <= high) {
        d.answer = std::uniform_int_distribution<int>(low, high)(rng_);
    }
    draws_.push_back(d);
    return d.answer;
}

// ---------------------------------------------------------------------------
// Operations

std::size_t Battle::BeginCall(std::string operation, std::string arguments) {
    calls_.push_back({std::move(operation), std::move(arguments), std::nullopt});
    log_.push_back({LogKind::Call, calls_.size() - 1});
    return calls_.size() - 1;
}

void Battle::EndCall(std::size_t index, long long result) { calls_[index].result = result; }

int Battle::GetVersion() { return slot::GetVersion(script()); }

bool Battle::GetSettings(Settings& out) { return GetSettings(out, SETTINGS_VERSION); }

bool Battle::GetSettings(Settings& out, float version) {
    std::ostringstream args;
    args << "version " << version;
    const std::size_t call = BeginCall("GetSettings", args.str());
    out.version = version;
    const bool ok = slot::GetSettings(script(), &out);
    EndCall(call, ok);
    RethrowPending();
    return ok;
}

void Battle::Initialize() {
    Script* s = script();
    if (install_.request) slot::SetRequestFn(s, &Battle::RequestCallback);
    if (install_.createUnit) slot::SetCreateUnitFn(s, &Battle::CreateUnitCallback);
    if (install_.message) slot::SetMessageFn(s, &Battle::MessageCallback);
    if (install_.random) slot::SetRandomFn(s, &Battle::RandomCallback);
    BeginCall("Initialize", "");
    slot::Initialize(s, &setup_);
    mapName_ = setup_.mapName != nullptr ? setup_.mapName : "";
    title_ = setup_.title != nullptr ? setup_.title : "";
    RethrowPending();
}

void Battle::Register(UnitRecord& unit) {
    std::ostringstream args;
    args << "team " << unit.team << ", unit id " << unit.unitId << ", handle " << unit.handle;
    const std::size_t call = BeginCall("OnUnitCreated", args.str());
    const HostHandle handle = unit.handle;
    const bool done = slot::OnUnitCreated(script(), unit.team, unit.unitId, handle);
    // The record may have been completed in place by an adoption meanwhile;
    // find it again by handle.
    if (UnitRecord* u = FindByHandle(handle)) u->registered = done;
    EndCall(call, done);
}

namespace {

bool NeedsPlacing(const UnitRecord& u) { return u.created && !u.adopt && !u.refused && !u.placed; }

}  // namespace

bool Battle::HasUnplacedUnits() const {
    for (std::size_t i = placedUpTo_; i < units_.size(); ++i) {
        if (NeedsPlacing(units_[i])) return true;
    }
    return false;
}

void Battle::PlaceUnits() {
    if (!HasUnplacedUnits()) return;
    if (!grid_ || gridName_ != mapName_) {
        grid_ = mapName_.empty() ? Grid{} : FindGrid(ReadMap(script()), mapName_);
        gridName_ = mapName_;
    }
    const Grid& grid = *grid_;
    // Units created while reporting (by ConfigureUnits, say) are placed too.
    for (std::size_t i = placedUpTo_; i < units_.size(); ++i) {
        UnitRecord& u = units_[i];
        if (!NeedsPlacing(u)) continue;
        if (u.marker > 0) {
            std::optional<std::pair<int, int>> cell, cell2;
            if (const auto c = MarkerChar(u.marker)) cell = FindCell(grid, *c);
            if (const auto c = SecondMarkerChar(u.marker)) cell2 = FindCell(grid, *c);
            u.markerFound = cell.has_value();
            if (!cell) cell = std::make_pair(1, 1);
            if (!cell2) cell2 = cell;
            u.placedColumn = cell->first;
            u.placedRow = cell->second;
            u.placedColumn2 = cell2->first;
            u.placedRow2 = cell2->second;
        } else {
            u.placedColumn = u.column + 1;
            u.placedRow = u.row + 1;
            u.placedColumn2 = u.column2 + 1;
            u.placedRow2 = u.row2 + 1;
        }
        u.placed = true;
        u.handle = nextHandle_++;
        u.currentTeam = u.team;
        Register(u);
        RethrowPending();
    }
    placedUpTo_ = units_.size();
}

HostHandle Battle::AddHostUnit(int team, int unitId, int column, int row) {
    UnitRecord u;
    u.hostUnit = true;
    u.team = team;
    u.currentTeam = team;
    u.unitId = unitId;
    u.handle = nextHandle_++;
    u.placed = true;
    u.placedColumn = u.placedColumn2 = column;
    u.placedRow = u.placedRow2 = row;
    units_.push_back(u);
    Register(units_.back());
    RethrowPending();
    return u.handle;
}

int Battle::Event(int code, HostHandle unit, int team, int v1, int v2, int v3, int v4) {
    HostEvent event{};
    event.code = code;
    event.unit = unit;
    event.team = team;
    event.value1 = v1;
    event.value2 = v2;
    event.value3 = v3;
    event.value4 = v4;
    events_.push_back({code, unit, team, v1, v2, v3, v4, 0});
    const std::size_t index = events_.size() - 1;
    log_.push_back({LogKind::Event, index});
    const int result = slot::OnEvent(script(), &event);
    events_[index].result = result;
    RethrowPending();
    return result;
}

int Battle::TeamOf(HostHandle unit) const { return UnitByHandle(unit).currentTeam; }

int Battle::Destroy(HostHandle unit) { return Event(EV_DESTROYED, unit, TeamOf(unit)); }

int Battle::Capture(HostHandle unit, int newTeam) {
    const int result = Event(EV_CAPTURED, unit, TeamOf(unit), newTeam);
    if (UnitRecord* u = FindByHandle(unit)) u->currentTeam = newTeam;
    return result;
}

int Battle::Disable(HostHandle unit) { return Event(EV_DISABLED, unit, TeamOf(unit)); }

int Battle::Timer(int timerNumber) { return Event(EV_TIMER, timerNumber, NO_UNIT_TEAM); }

int Battle::Menu(HostHandle unit, int textIndex) { return Event(EV_MENU, unit, TeamOf(unit), textIndex); }

int Battle::Scan(HostHandle unit, int state) { return Event(EV_SCAN, unit, TeamOf(unit), state); }

int Battle::TeamLeft(int team) { return Event(EV_TEAM_LEFT, team, NO_UNIT_TEAM); }

int Battle::PlayerShip(HostHandle unit) {
    return Event(EV_PLAYER_SHIP, unit, TeamOf(unit), static_cast<int>(unit));
}

// ---------------------------------------------------------------------------
// After the battle

int Battle::EndMessageCount() { return slot::GetEndMessageCount(script()); }

std::string Battle::EndMessage(int i) { return ReadText(slot::GetEndMessage(script(), i)); }

std::vector<std::string> Battle::EndTexts() {
    const int count = std::clamp(EndMessageCount(), 0, 100);
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) texts.push_back(EndMessage(i));
    return texts;
}

std::array<int, 5> Battle::Prestige() {
    std::array<int, 5> prestige{};
    for (int i = 0; i < 5; ++i) prestige[static_cast<std::size_t>(i)] = Score(i);
    return prestige;
}

int Battle::OutcomeLevel() { return Score(5); }

int Battle::Score(int i) { return slot::GetScore(script(), i); }

std::string Battle::Briefing() { return ReadText(slot::GetBriefing(script())); }

int Battle::Finish(int code) {
    const std::size_t call = BeginCall("Finish", "code " + std::to_string(code));
    const int result = slot::Finish(script(), code);
    EndCall(call, result);
    RethrowPending();
    return result;
}

std::optional<std::string> Battle::NextScript() const {
    for (auto it = requests_.rbegin(); it != requests_.rend(); ++it) {
        if (it->code == REQ_NEXT_SCRIPT) return it->text;
    }
    return std::nullopt;
}

std::vector<std::string> Battle::MapLines() { return ReadMap(script()); }

int Battle::Relation(int teamA, int teamB) { return slot::GetRelation(script(), teamA, teamB); }

// ---------------------------------------------------------------------------
// Records

std::vector<Request> Battle::Requests(int code) const {
    std::vector<Request> out;
    std::copy_if(requests_.begin(), requests_.end(), std::back_inserter(out),
                 [code](const Request& r) { return r.code == code; });
    return out;
}

const UnitRecord& Battle::Unit(int team, int index) const {
    int seen = 0;
    for (const UnitRecord& u : units_) {
        if (u.team != team || u.refused) continue;
        if (seen++ == index) return u;
    }
    throw std::out_of_range("host::Battle::Unit: team " + std::to_string(team) + " has no unit " +
                            std::to_string(index) + " (it has " + std::to_string(seen) + ")");
}

int Battle::UnitCount(int team) const {
    return static_cast<int>(std::count_if(units_.begin(), units_.end(), [team](const UnitRecord& u) {
        return u.team == team && !u.refused;
    }));
}

UnitRecord* Battle::FindByHandle(HostHandle handle) {
    if (handle == 0) return nullptr;
    for (UnitRecord& u : units_) {
        if (u.handle == handle) return &u;
    }
    return nullptr;
}

const UnitRecord& Battle::UnitByHandle(HostHandle handle) const {
    if (handle != 0) {
        for (const UnitRecord& u : units_) {
            if (u.handle == handle) return u;
        }
    }
    throw std::out_of_range("host::Battle: no unit with handle " + std::to_string(handle));
}

std::optional<Request> Battle::LastRequest(int code, HostHandle unit) const {
    for (auto it = requests_.rbegin(); it != requests_.rend(); ++it) {
        if (it->code == code && it->unit == unit) return *it;
    }
    return std::nullopt;
}

int Battle::EventMask(HostHandle unit) const {
    const auto it = eventMasks_.find(unit);
    return it != eventMasks_.end() ? it->second : 0;
}

std::optional<HostHandle> Battle::OrderTarget(HostHandle unit) const {
    for (auto it = requests_.rbegin(); it != requests_.rend(); ++it) {
        if (it->code == REQ_ORDER && it->unit == unit && it->first == 0) return it->third;
    }
    return std::nullopt;
}

std::optional<std::string> Battle::Name(HostHandle unit) const {
    const auto r = LastRequest(REQ_SET_NAME, unit);
    if (!r) return std::nullopt;
    return r->name;
}

std::optional<float> Battle::Level(HostHandle unit) const {
    const auto r = LastRequest(REQ_SET_LEVEL, unit);
    if (!r) return std::nullopt;
    return r->value;
}

std::vector<std::pair<int, int>> Battle::Timers() const {
    std::vector<std::pair<int, int>> out;
    for (const Request& r : requests_) {
        if (r.code == REQ_SET_TIMER) out.emplace_back(r.second, r.first);
    }
    return out;
}

std::vector<int> Battle::Sounds() const {
    std::vector<int> out;
    for (const Request& r : requests_) {
        if (r.code == REQ_PLAY_SOUND) out.push_back(r.first);
    }
    return out;
}

// ---------------------------------------------------------------------------
// Transcript

namespace {

std::string Quoted(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u >= 0x7f) {
            static const char* hex = "0123456789abcdef";
            out += "\\x";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string DescribeRequest(const Request& r) {
    std::ostringstream o;
    o << "request " << r.codeName << " (" << r.code << ")";
    if (r.unit != 0) o << " unit=" << r.unit;
    if (r.column != 0 || r.row != 0) o << " cell=" << r.column << "," << r.row;
    // first..fourth up to the last non-zero one, so a 0 argument before a
    // used one still shows.
    const long long args[] = {r.first, r.second, static_cast<long long>(r.third), r.fourth};
    int used = 4;
    while (used > 0 && args[used - 1] == 0) --used;
    for (int i = 0; i < used; ++i) o << (i == 0 ? " args=" : ",") << args[i];
    const bool carriesValue = r.code == REQ_SET_ATTRIBUTE || r.code == REQ_MOVE_TO || r.code == REQ_SET_LEVEL ||
                              r.code == REQ_SET_RELATION;
    if (r.value != 0.0f || carriesValue) o << " value=" << r.value;
    if (!r.text.empty()) o << " text=" << Quoted(r.text);
    if (r.name) o << " name=" << Quoted(*r.name);
    if (r.answerInt) o << " -> " << *r.answerInt;
    if (r.answerValue) o << " -> " << *r.answerValue;
    if (r.answerCell) o << " -> cell " << r.answerCell->first << "," << r.answerCell->second;
    return o.str();
}

std::string DescribeUnit(const UnitRecord& u) {
    std::ostringstream o;
    o << "create " << (u.adopt ? "adopt" : u.hasClassCode ? Quoted(u.classCode) : "group") << " team=" << u.team
      << " id=" << u.unitId;
    if (u.marker != 0) o << " marker=" << u.marker;
    o << " cells=" << u.column << "," << u.row << "/" << u.column2 << "," << u.row2;
    if (u.setupIndex != -1) o << " setupIndex=" << u.setupIndex;
    if (u.race != -1) o << " race=" << u.race;
    if (u.IsGroup()) {
        o << " preset=" << u.presetPoints << " budget=" << u.budget << " param=" << u.param << " group=" << u.group;
    }
    if (u.extra != 0) o << " extra=" << u.extra;
    if (u.refused) {
        o << " -> refused";
    } else {
        o << " -> " << u.chosenClass << " points=" << u.points << " hostId=" << u.hostId;
    }
    if (u.placed) {
        o << " placed " << u.placedColumn << "," << u.placedRow << "/" << u.placedColumn2 << "," << u.placedRow2
          << " handle=" << u.handle;
    }
    return o.str();
}

}  // namespace

std::string Battle::Describe(const LogEntry& entry) const {
    std::ostringstream o;
    switch (entry.kind) {
        case LogKind::Call: {
            const Call& c = calls_.at(entry.index);
            o << "call " << c.operation << "(" << c.arguments << ")";
            if (c.result) o << " -> " << *c.result;
            break;
        }
        case LogKind::Event: {
            const EventRecord& e = events_.at(entry.index);
            o << "event " << EventName(e.code) << " (" << e.code << ") unit=" << e.unit << " team=" << e.team;
            if (e.value1 != 0 || e.value2 != 0 || e.value3 != 0 || e.value4 != 0) {
                o << " values=" << e.value1 << "," << e.value2 << "," << e.value3 << "," << e.value4;
            }
            o << " -> " << e.result;
            break;
        }
        case LogKind::Request:
            return DescribeRequest(requests_.at(entry.index));
        case LogKind::Creation:
            return DescribeUnit(units_.at(entry.index));
        case LogKind::Message: {
            const Message& m = messages_.at(entry.index);
            o << "message kind=" << m.kind;
            if (m.unit != 0) o << " unit=" << m.unit;
            o << " " << Quoted(m.text);
            break;
        }
        case LogKind::Random: {
            const Draw& d = random_.Draws().at(entry.index);
            o << "random " << d.low << ".." << d.high << " -> " << d.answer << (d.queued ? " (queued)" : "");
            break;
        }
    }
    return o.str();
}

std::vector<std::string> Battle::Transcript() const {
    std::vector<std::string> out;
    out.reserve(log_.size());
    for (const LogEntry& e : log_) out.push_back(Describe(e));
    return out;
}

}  // namespace host
