// Runs a command N times and reports the median wall time and the peak resident
// memory of the child, as the whole process sees them (start-up included).
//   bench_process RUNS COMMAND [ARGS...]
//   bench_process RUNS COMMAND [ARGS...] --vs FLOOR [ARGS...]
// The second form runs the command and the floor (say a copy of the same file)
// in alternation and reports the median of the paired ratios: on a noisy machine
// only ratios of neighbouring runs hold.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Runs argv to its end; the wall time in ms, or a negative value when it failed.
double Run(char **argv, long &peakKiB)
{
    auto t0 = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr))
            _exit(126);
        execvp(argv[0], argv);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    auto t1 = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    peakKiB = std::max(peakKiB, usage.ru_maxrss);
    return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_process RUNS COMMAND [ARGS...] [--vs FLOOR [ARGS...]]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    char **command = argv + 2;
    char **floor = nullptr;
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], "--vs") == 0) {
            argv[i] = nullptr;
            floor = argv + i + 1;
        }
    std::vector<double> ms, floorMs, ratios;
    long peakKiB = 0, floorPeak = 0;
    for (int i = 0; i < runs; ++i) {
        const double t = Run(command, peakKiB);
        if (t < 0) {
            std::fprintf(stderr, "command failed\n");
            return 1;
        }
        ms.push_back(t);
        if (floor) {
            const double f = Run(floor, floorPeak);
            if (f < 0) {
                std::fprintf(stderr, "floor command failed\n");
                return 1;
            }
            floorMs.push_back(f);
            ratios.push_back(t / f);
        }
    }
    std::sort(ms.begin(), ms.end());
    std::printf("median %.1f ms (min %.1f, max %.1f) over %d runs, peak RSS %.1f MiB\n", Median(ms), ms.front(),
                ms.back(), runs, peakKiB / 1024.0);
    if (floor)
        std::printf("floor median %.1f ms; paired ratio: median %.2f (min %.2f, max %.2f)\n", Median(floorMs),
                    Median(ratios), *std::min_element(ratios.begin(), ratios.end()),
                    *std::max_element(ratios.begin(), ratios.end()));
    return 0;
}
