// Smoke test of the stand-in host against a real plug-in: loading with
// fresh state, and placing the units on their marker cells. Mission
// behaviour is tested elsewhere.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <set>
#include <string>
#include <vector>

#include "StandInHost.h"

namespace {

const std::string kDorran1 = std::string(SCR_DIR) + "/Dorran1.scr";

struct Placement {
    int team, index, marker, column, row, column2, row2;
};

TEST(StandInHostWithDorran1, SetupPlacesUnitsOnTheirMarkerCells) {
    host::Battle b(kDorran1);
    b.setup().playerTeam = 2;
    b.Setup();

    // (team, index in the team) -> marker and the cells it stands on in
    // the mission's map, counted from 1.
    const std::vector<Placement> expected = {
        {2, 0, 1, 28, 34, 19, 29},  {2, 1, 2, 29, 34, 20, 29},  {2, 2, 3, 30, 34, 21, 29},
        {6, 0, 4, 5, 11, 14, 24},   {6, 1, 5, 6, 11, 15, 24},   {6, 2, 6, 7, 11, 16, 24},
        {6, 3, 20, 8, 11, 17, 24},  {6, 4, 19, 9, 11, 18, 24},  {6, 5, 18, 15, 21, 15, 23},
        {6, 6, 14, 13, 22, 19, 24}, {6, 7, 15, 18, 22, 20, 24}, {6, 8, 16, 18, 20, 21, 24},
    };
    ASSERT_EQ(b.Units().size(), expected.size());
    EXPECT_EQ(b.UnitCount(2), 3);
    EXPECT_EQ(b.UnitCount(6), 9);

    std::set<HostHandle> handles;
    for (const Placement& p : expected) {
        const host::UnitRecord& u = b.Unit(p.team, p.index);
        SCOPED_TRACE("team " + std::to_string(p.team) + " unit " + std::to_string(p.index));
        EXPECT_EQ(u.marker, p.marker);
        EXPECT_TRUE(u.placed);
        EXPECT_TRUE(u.markerFound);
        EXPECT_EQ(u.placedColumn, p.column);
        EXPECT_EQ(u.placedRow, p.row);
        EXPECT_EQ(u.placedColumn2, p.column2);
        EXPECT_EQ(u.placedRow2, p.row2);
        EXPECT_NE(u.handle, 0);
        handles.insert(u.handle);
        ASSERT_TRUE(u.registered.has_value());
        // Only the report of the last unit completes the set-up.
        EXPECT_EQ(*u.registered, &u == &b.Units().back());
    }
    EXPECT_EQ(handles.size(), expected.size());
    EXPECT_EQ(b.MapName(), "Vessik Battlestation Assault Map");
    EXPECT_EQ(b.Title(), "Vessik Battlestation Assault");
}

TEST(StandInHostWithDorran1, EachBattleLoadsAFreshPlugin) {
    // Keep the file's library loaded throughout: a host that opened the
    // path itself would get this instance back, with the first battle's
    // state in it.
    void* held = dlopen(kDorran1.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(held, nullptr) << dlerror();
    {
        host::Battle first(kDorran1);
        EXPECT_THROW(host::Battle second(kDorran1), std::logic_error);
        first.Setup();
        EXPECT_NE(first.TeamLeft(0), 0);
        EXPECT_EQ(first.OutcomeLevel(), 4);
    }
    // Not the first battle's plug-in state: nothing rated, no units.
    host::Battle again(kDorran1);
    EXPECT_EQ(again.OutcomeLevel(), 0);
    EXPECT_EQ(again.EndMessageCount(), 0);
    dlclose(held);
}

}  // namespace
