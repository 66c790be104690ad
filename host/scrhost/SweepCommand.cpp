// sweep: the distribution of outcomes over many seeded battles.
#include <unistd.h>

#include <algorithm>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "Commands.h"
#include "Isolation.h"

namespace scrhost {

namespace {

void DrawProgress(long done, long total) {
    constexpr int kWidth = 40;
    const auto filled = static_cast<int>(done * kWidth / std::max(total, 1L));
    std::cerr << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << done << "/" << total
              << (done == total ? "\n" : "") << std::flush;
}

}  // namespace

int SweepCommand(SweepRequest request) {
    host::SweepOptions& o = request.sweep;
    if (request.progress && ::isatty(STDERR_FILENO) != 0) {
        long shown = -1;
        o.progress = [&shown](long done, long total) {
            // Redraw only when the bar or the count changes noticeably.
            const long step = std::max(1L, total / 200);
            if (done == total || done / step != shown) {
                shown = done / step;
                DrawProgress(done, total);
            }
        };
    }
    host::SweepSummary summary;
    try {
        summary = host::Sweep(o);
    } catch (const host::LoadError& e) {
        return Fail(e.what());
    } catch (const std::exception& e) {
        return Fail(o.path + ": " + e.what());
    }

    std::cout << "Sweep of " << o.path << ": " << o.battles << " battles per difficulty, seeds 1.." << o.battles
              << ", player team " << o.play.playerTeam << ", time limit " << o.play.maxTime << " s\n\n";
    const auto& ds = summary.difficulties;
    std::ostringstream head;
    head << std::left << std::setw(28) << "";
    for (const auto& d : ds) head << std::right << std::setw(14) << ("difficulty " + std::to_string(d.difficulty));
    std::cout << head.str() << "\n";
    const auto row = [&](const std::string& label, auto value) {
        std::ostringstream line;
        line << "  " << std::left << std::setw(26) << label;
        for (const auto& d : ds) line << std::right << std::setw(14) << value(d);
        std::cout << line.str() << "\n";
    };
    row("battles", [](const host::DifficultySweep& d) { return std::to_string(d.battles); });
    row("crashes", [](const host::DifficultySweep& d) { return std::to_string(d.crashes); });
    std::cout << "  outcome level\n";
    for (std::size_t level = 0; level < 6; ++level) {
        row(level < 5 ? "  " + std::to_string(level) : std::string("  not rated"),
            [level](const host::DifficultySweep& d) { return std::to_string(d.levels[level]); });
    }
    std::cout << "  result flags\n";
    for (int bit = 0; bit < 32; ++bit) {
        const auto b = static_cast<std::size_t>(bit);
        if (std::none_of(ds.begin(), ds.end(), [b](const host::DifficultySweep& d) { return d.flags[b] > 0; })) continue;
        row("  " + host::ResultFlagNames(static_cast<int>(1u << bit)).front(),
            [b](const host::DifficultySweep& d) { return std::to_string(d.flags[b]); });
    }
    row("  no result", [](const host::DifficultySweep& d) { return std::to_string(d.noResult); });
    row("player disengaged by host", [](const host::DifficultySweep& d) { return std::to_string(d.disengaged); });
    const auto fixed = [](double v) {
        std::ostringstream s;
        s << std::fixed << std::setprecision(1) << v;
        return s.str();
    };
    row("mean prestige", [&](const host::DifficultySweep& d) { return fixed(d.MeanPrestige()); });
    row("mean length (s)", [&](const host::DifficultySweep& d) { return fixed(d.MeanLength()); });

    for (const auto& d : ds) {
        if (d.crashes == 0) continue;
        std::vector<std::uint32_t> seeds = d.crashSeeds;
        std::sort(seeds.begin(), seeds.end());
        std::cout << "\nCRASHES at difficulty " << d.difficulty << ": " << d.crashes << " (first: " << d.firstCrash
                  << "), seeds:";
        for (const auto s : seeds) std::cout << " " << s;
        if (d.crashes > static_cast<long>(seeds.size())) std::cout << " ... and " << d.crashes - static_cast<long>(seeds.size()) << " more";
        std::cout << "\n";
    }
    return summary.Crashes() > 0 ? EXIT_CRASH : EXIT_OK;
}

}  // namespace scrhost
