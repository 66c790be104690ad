// The stand-in host's parts that need no plug-in: the map grid reader, the
// code name tables, the string reader, the random source and load errors.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "StandInHost.h"

namespace {

using Cell = std::optional<std::pair<int, int>>;

// Two 6-by-5 maps. In the first: "G" at (4, 1); "K" twice, first at (2, 3);
// "Q" only in the second map; the row label "1" at row 5 and the border
// characters must not be found as cells.
const std::vector<std::string> kMaps = {
    "Fixture Maps",            // 0
    "// First Map",            // 1
    " +____5_+",               // 2
    " |...G..|",               // 3  row 1
    " |......|",               // 4  row 2
    " |.K...K|",               // 5  row 3
    " |......|",               // 6  row 4
    "1|.....g|",               // 7  row 5
    " +------+",               // 8
    "      1",                 // 9
    "// Second Map",           // 10
    " +____5_+",               // 11
    " |Q.....|",               // 12
    " |.....G|",               // 13
    " +------+",               // 14
    "///",                     // 15
};

TEST(MapGrid, FindsTheNamedMapAndItsParts) {
    const host::Grid g = host::FindGrid(kMaps, "First Map");
    ASSERT_TRUE(g.found);
    EXPECT_EQ(g.headerIndex, 1);
    EXPECT_EQ(g.top, " +____5_+");
    EXPECT_EQ(g.topIndex, 2);
    EXPECT_EQ(g.height, 5);
    EXPECT_EQ(g.width, 6);
    EXPECT_EQ(g.rows.front(), "...G..");
    EXPECT_EQ(g.labels.back(), "1");
    EXPECT_EQ(g.rowIndex, (std::vector<int>{3, 4, 5, 6, 7}));
    EXPECT_EQ(g.bottom, " +------+");
    EXPECT_EQ(g.bottomIndex, 8);
    EXPECT_EQ(g.footer, "      1");
    EXPECT_EQ(g.endIndex, 9);
}

TEST(MapGrid, SecondMapEndsAtTheEndLine) {
    const host::Grid g = host::FindGrid(kMaps, "Second");
    ASSERT_TRUE(g.found);
    EXPECT_EQ(g.headerIndex, 10);
    EXPECT_EQ(g.height, 2);
    EXPECT_EQ(g.endIndex, 15);
    EXPECT_EQ(g.footerIndex, -1);
    EXPECT_EQ(host::FindCell(g, 'G'), Cell({6, 2}));
}

TEST(MapGrid, NameMatchesOnlyHeaderLines) {
    // "Fixture Maps" is the title line, not a "//" header.
    EXPECT_FALSE(host::FindGrid(kMaps, "Fixture").found);
    EXPECT_FALSE(host::FindGrid(kMaps, "Third Map").found);
    // A name that is part of an earlier header finds that header.
    EXPECT_EQ(host::FindGrid(kMaps, "Map").headerIndex, 1);
    EXPECT_FALSE(host::FindCell(host::FindGrid(kMaps, "Third Map"), '.').has_value());
}

TEST(MapGrid, FindCellInTheFirstMap) {
    const host::Grid g = host::FindGrid(kMaps, "First Map");
    const std::vector<std::pair<char, Cell>> cases = {
        {'G', Cell({4, 1})},     // marker in row 1, column 4
        {'K', Cell({2, 3})},     // first match in reading order
        {'g', Cell({6, 5})},     // last row, after the label
        {'Q', std::nullopt},     // only in the second map: the search stops at its header
        {'1', std::nullopt},     // row label, not a cell
        {'_', std::nullopt},     // top border
        {'5', std::nullopt},     // top border's column digit
        {'-', std::nullopt},     // bottom border
        {'|', std::nullopt},
    };
    for (const auto& [c, expected] : cases) {
        EXPECT_EQ(host::FindCell(g, c), expected) << "character " << c;
    }
}

TEST(MapGrid, RowWithoutClosingBarRunsToTheEnd) {
    const std::vector<std::string> lines = {"// M", " |..G", " |.....H|x"};
    const host::Grid g = host::FindGrid(lines, "M");
    EXPECT_EQ(g.rows, (std::vector<std::string>{"..G", ".....H"}));
    EXPECT_EQ(g.width, 6);
    EXPECT_EQ(host::FindCell(g, 'x'), std::nullopt);
    EXPECT_EQ(host::FindCell(g, 'H'), Cell({6, 2}));
}

TEST(MapGrid, MarkerCharacters) {
    const std::vector<std::pair<int, std::optional<char>>> first = {
        {0, std::nullopt}, {-1, std::nullopt}, {1, 'G'}, {3, 'I'}, {20, 'Z'}, {25, '_'},
        {57, '\x7f'}, {58, std::nullopt}, {200, std::nullopt},
    };
    for (const auto& [m, c] : first) EXPECT_EQ(host::MarkerChar(m), c) << "marker " << m;
    const std::vector<std::pair<int, std::optional<char>>> second = {
        {0, std::nullopt}, {1, 'g'}, {20, 'z'}, {25, '\x7f'}, {26, std::nullopt},
    };
    for (const auto& [m, c] : second) EXPECT_EQ(host::SecondMarkerChar(m), c) << "marker " << m;
}

TEST(Names, RequestAndEventTables) {
    const std::vector<std::pair<int, std::string>> requests = {
        {REQ_QUERY, "REQ_QUERY"}, {REQ_SET_ATTRIBUTE, "REQ_SET_ATTRIBUTE"},
        {REQ_MENU_ITEM, "REQ_MENU_ITEM"}, {REQ_PLAY_SOUND, "REQ_PLAY_SOUND"},
        {REQ_GET_DIFFICULTY, "REQ_GET_DIFFICULTY"}, {REQ_SET_MAP_CELL, "REQ_SET_MAP_CELL"},
        {REQ_GET_POSITION, "REQ_GET_POSITION"}, {REQ_SET_TIMER, "REQ_SET_TIMER"},
        {REQ_MOVE_TO, "REQ_MOVE_TO"}, {REQ_ASK, "REQ_ASK"}, {REQ_ORDER, "REQ_ORDER"},
        {REQ_TAKE_COMMAND, "REQ_TAKE_COMMAND"}, {REQ_SET_LEVEL, "REQ_SET_LEVEL"},
        {REQ_SET_EVENT_MASK, "REQ_SET_EVENT_MASK"}, {REQ_SET_RELATION, "REQ_SET_RELATION"},
        {REQ_SET_NAME, "REQ_SET_NAME"}, {REQ_GET_CONDITION, "REQ_GET_CONDITION"},
        {REQ_NEXT_SCRIPT, "REQ_NEXT_SCRIPT"}, {REQ_MARK, "REQ_MARK"}, {REQ_OFFICER, "REQ_OFFICER"},
        {REQ_SET_STOCK, "REQ_SET_STOCK"}, {0, "REQ_UNKNOWN"}, {3, "REQ_UNKNOWN"}, {-1, "REQ_UNKNOWN"},
    };
    for (const auto& [code, name] : requests) EXPECT_EQ(host::RequestName(code), name) << code;

    const std::vector<std::pair<int, std::string>> events = {
        {EV_DESTROYED, "EV_DESTROYED"}, {EV_CAPTURED, "EV_CAPTURED"}, {EV_DISABLED, "EV_DISABLED"},
        {EV_ARRIVED, "EV_ARRIVED"}, {EV_TIMER, "EV_TIMER"}, {EV_MENU, "EV_MENU"}, {EV_HIT, "EV_HIT"},
        {EV_SCAN, "EV_SCAN"}, {EV_512, "EV_512"}, {EV_PROBE, "EV_PROBE"},
        {EV_ORBIT_ENTER, "EV_ORBIT_ENTER"}, {EV_ORBIT_LEAVE, "EV_ORBIT_LEAVE"},
        {EV_PLAYER_SHIP, "EV_PLAYER_SHIP"}, {EV_TEAM_LEFT, "EV_TEAM_LEFT"},
        {16, "EV_UNKNOWN"}, {3, "EV_UNKNOWN"}, {0, "EV_UNKNOWN"},
    };
    for (const auto& [code, name] : events) EXPECT_EQ(host::EventName(code), name) << code;
}

TEST(ReadText, NarrowsUnitsToTheirLowByte) {
    std::uint16_t units[] = {'O', 'k', 0x1E9, 0x20};
    TStringLayout s{};
    s.begin = units;
    s.end = units + 4;
    s.length = 4;
    EXPECT_EQ(host::ReadText(&s), std::string("Ok\xE9 "));
    s.length = 2;  // length, not end, bounds the text
    EXPECT_EQ(host::ReadText(&s), "Ok");
    s.length = -3;
    EXPECT_EQ(host::ReadText(&s), "");
    s.length = 4;
    s.begin = nullptr;
    EXPECT_EQ(host::ReadText(&s), "");
    EXPECT_EQ(host::ReadText(nullptr), "");
}

TEST(RandomSource, QueueFirstThenSeededGenerator) {
    host::RandomSource r;
    r.Queue({5, 99});
    r.Queue({-4});
    EXPECT_EQ(r.Next(1, 100), 5);
    EXPECT_EQ(r.Next(0, 3), 99);      // queued values are not clamped
    EXPECT_EQ(r.Next(7, 2), -4);      // not even for an empty range
    EXPECT_EQ(r.QueuedCount(), 0u);
    EXPECT_EQ(r.Next(9, 3), 9);       // low > high: low
    for (int i = 0; i < 50; ++i) {
        const int v = r.Next(0, 3);
        EXPECT_GE(v, 0);
        EXPECT_LE(v, 3);
    }
    EXPECT_EQ(r.Next(4, 4), 4);

    const auto& d = r.Draws();
    ASSERT_EQ(d.size(), 55u);
    EXPECT_EQ(d[0].low, 1);
    EXPECT_EQ(d[0].high, 100);
    EXPECT_EQ(d[0].answer, 5);
    EXPECT_TRUE(d[0].queued);
    EXPECT_TRUE(d[2].queued);
    EXPECT_FALSE(d[3].queued);
    EXPECT_EQ(d[3].answer, 9);
    EXPECT_FALSE(d[54].queued);
}

TEST(RandomSource, SeedGivesTheSameSequence) {
    host::RandomSource a, b, c, fresh;
    a.Seed(7);
    b.Seed(7);
    c.Seed(8);
    fresh.Seed(1);
    host::RandomSource byDefault;
    std::vector<int> va, vb, vc, vFresh, vDefault;
    for (int i = 0; i < 20; ++i) {
        va.push_back(a.Next(1, 1000000));
        vb.push_back(b.Next(1, 1000000));
        vc.push_back(c.Next(1, 1000000));
        vFresh.push_back(fresh.Next(1, 1000000));
        vDefault.push_back(byDefault.Next(1, 1000000));
    }
    EXPECT_EQ(va, vb);
    EXPECT_NE(va, vc);
    EXPECT_EQ(vDefault, vFresh);  // the default seed is 1
}

// A load error names the file and is a runtime_error.
void ExpectLoadError(const std::string& path, const std::string& part) {
    try {
        host::Plugin p(path);
        ADD_FAILURE() << "loaded " << path;
    } catch (const host::LoadError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find(path), std::string::npos) << what;
        EXPECT_NE(what.find(part), std::string::npos) << what;
    }
}

TEST(Plugin, LoadErrors) {
    ExpectLoadError("/nonexistent/dir/Nothing.scr", "cannot open");

    char name[] = "/tmp/host-test-XXXXXX";
    const int fd = ::mkstemp(name);
    ASSERT_GE(fd, 0);
    ::close(fd);
    {
        std::ofstream out(name);
        out << "this is not a shared library\n";
    }
    ExpectLoadError(name, "cannot load");
    std::remove(name);

    static_assert(std::is_base_of_v<std::runtime_error, host::LoadError>);
}

}  // namespace
