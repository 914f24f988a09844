#pragma once
// What the benchmark programs share: a reporter that keeps each benchmark's best time over its
// repetitions, the ratios the programs print on their last lines, and the start-up that runs the
// repetitions of different benchmarks interleaved.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace benchsupport {

// Keeps, per benchmark, the lowest wall time and CPU time per iteration over its repetitions while
// printing as usual. The lowest repetition: the build machine is shared, and waiting for a core or
// for a busy cache is not the code's cost. A repetition that failed is left out.
class BestTimeReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0 && !r.error_occurred) {
                const std::string name = r.run_name.str();
                Keep(wallSeconds_, name, r.real_accumulated_time / double(r.iterations));
                Keep(cpuSeconds_, name, r.cpu_accumulated_time / double(r.iterations));
            }
        ConsoleReporter::ReportRuns(runs);
    }

    // The best time of the run whose name is `name` or starts with `name` + "/" (the arguments,
    // minimum time and repetitions follow the name); 0 when no such run was reported.
    double Of(const std::string& name, bool cpu) const
    {
        for (const auto& [key, value] : cpu ? cpuSeconds_ : wallSeconds_)
            if (key == name || key.rfind(name + "/", 0) == 0)
                return value;
        return 0.0;
    }
    double CpuOf(const std::string& name) const { return Of(name, true); }
    double WallOf(const std::string& name) const { return Of(name, false); }

private:
    static void Keep(std::map<std::string, double>& times, const std::string& name, double t)
    {
        const auto it = times.find(name);
        if (it == times.end() || t < it->second)
            times[name] = t;
    }
    std::map<std::string, double> wallSeconds_, cpuSeconds_;
};

// a / b, or 0 when b was not measured.
inline double Ratio(double a, double b) { return b > 0 ? a / b : 0.0; }

// Calls per second of a call taking t seconds, or 0 when it was not measured.
inline double PerSecond(double t) { return t > 0 ? 1.0 / t : 0.0; }

// Initializes Google Benchmark with the program's arguments and random interleaving of the
// repetitions, so a burst of load on the shared machine does not fall on one side of a ratio only.
inline void InitializeInterleaved(int argc, char** argv)
{
    // Kept for the program's life: the library may hold on to the argument vector.
    static std::string interleave = "--benchmark_enable_random_interleaving=true";
    static std::vector<char*> args;
    args.assign(argv, argv + argc);
    args.push_back(interleave.data());
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
}

}  // namespace benchsupport
