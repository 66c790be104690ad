#include "Sweep.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "Isolation.h"

namespace host {

long SweepSummary::Crashes() const {
    long n = 0;
    for (const DifficultySweep& d : difficulties) n += d.crashes;
    return n;
}

namespace {

// What a child reports of one battle.
struct BattleRecord {
    std::int32_t magic;
    std::int32_t result;
    std::int32_t level;
    std::int32_t endTime;
    std::int32_t prestige;
    std::int32_t disengaged;
};
constexpr std::int32_t kMagic = 0x53575052;

struct InFlight {
    pid_t pid;
    int fd;
    std::uint32_t seed;
    std::size_t difficulty;  // index into the summary
};

// The child's whole life: one battle, one record; its exit code.
int PlayChild(Plugin& plugin, const PlayOptions& options, int fd) {
    int code = 1;
    try {
        const BattleOutcome out = PlayBattle(plugin, options);
        BattleRecord r{};
        r.magic = kMagic;
        r.result = out.result;
        r.level = out.level;
        r.endTime = out.endTime;
        r.prestige = out.level >= 0 && out.level <= 4 ? out.prestige[static_cast<std::size_t>(out.level)] : 0;
        r.disengaged = out.disengaged ? 1 : 0;
        code = WriteAll(fd, &r, sizeof r) ? 0 : 1;
    } catch (...) {
        code = 2;
    }
    return code;
}

void Count(DifficultySweep& d, const BattleRecord& r) {
    ++d.battles;
    d.levels[r.level >= 0 && r.level <= 4 ? static_cast<std::size_t>(r.level) : 5]++;
    for (int bit = 0; bit < 32; ++bit) {
        if ((static_cast<std::uint32_t>(r.result) >> bit) & 1u) d.flags[static_cast<std::size_t>(bit)]++;
    }
    if (r.result == 0) ++d.noResult;
    if (r.disengaged != 0) ++d.disengaged;
    d.prestigeSum += r.prestige;
    d.lengthSum += r.endTime;
}

void CountCrash(DifficultySweep& d, std::uint32_t seed, const ChildStatus& how) {
    ++d.crashes;
    if (d.crashSeeds.size() < MAX_LISTED_CRASH_SEEDS) d.crashSeeds.push_back(seed);
    if (d.firstCrash.empty()) d.firstCrash = how.Describe();
}

}  // namespace

SweepSummary Sweep(const SweepOptions& options) {
    if (options.battles < 1) throw std::invalid_argument("the number of battles must be at least 1");
    if (options.difficulties.empty()) throw std::invalid_argument("no difficulty to sweep");

    // A plug-in that crashes while loading must not take this process along.
    const ChildStatus probe = RunIsolated([&](ChildWriter& out) {
        try {
            Plugin p(options.path);
        } catch (const LoadError& e) {
            out.Write(e.what());
            return 2;
        }
        return 0;
    });
    if (!probe.completed) throw LoadError("plug-in '" + options.path + "' crashed while loading: " + probe.Describe());
    if (probe.exitCode != 0) throw LoadError(probe.payload);

    Plugin plugin(options.path);
    SweepSummary summary;
    for (const int d : options.difficulties) {
        DifficultySweep s;
        s.difficulty = d;
        summary.difficulties.push_back(s);
    }
    long jobs = options.jobs > 0 ? options.jobs : ::sysconf(_SC_NPROCESSORS_ONLN);
    if (jobs < 1) jobs = 1;
    const long total = static_cast<long>(options.battles) * static_cast<long>(options.difficulties.size());

    std::vector<InFlight> flying;
    flying.reserve(static_cast<std::size_t>(jobs));
    long launched = 0, done = 0;
    const auto launch = [&]() {
        const auto dIndex = static_cast<std::size_t>(launched / options.battles);
        const auto seed = static_cast<std::uint32_t>(launched % options.battles + 1);
        const SpawnedChild child = SpawnChild([&](int fd) {
            PlayOptions play = options.play;
            play.seed = seed;
            play.difficulty = options.difficulties[dIndex];
            return PlayChild(plugin, play, fd);
        });
        flying.push_back({child.pid, child.fd, seed, dIndex});
        ++launched;
    };

    while (done < total) {
        while (launched < total && static_cast<long>(flying.size()) < jobs) launch();
        int wstatus = 0;
        const pid_t pid = ::waitpid(-1, &wstatus, 0);
        if (pid < 0) {
            if (errno == EINTR) continue;
            throw std::system_error(errno, std::generic_category(), "waitpid");
        }
        auto it = flying.begin();
        while (it != flying.end() && it->pid != pid) ++it;
        if (it == flying.end()) continue;  // not one of ours
        const InFlight child = *it;
        flying.erase(it);

        BattleRecord r{};
        std::size_t got = 0;
        while (got < sizeof r) {
            const ssize_t n = ::read(child.fd, reinterpret_cast<char*>(&r) + got, sizeof r - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        ::close(child.fd);
        DifficultySweep& d = summary.difficulties[child.difficulty];
        if (WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0 && got == sizeof r && r.magic == kMagic) {
            Count(d, r);
        } else {
            ChildStatus how;
            if (WIFSIGNALED(wstatus)) how.signal = WTERMSIG(wstatus);
            if (WIFEXITED(wstatus)) how.rawExit = WEXITSTATUS(wstatus);
            CountCrash(d, child.seed, how);
        }
        ++done;
        if (options.progress) options.progress(done, total);
    }
    return summary;
}

}  // namespace host
