// Runs a command N times and reports the median wall time and the peak resident
// memory of the child, as the whole process sees them (start-up included).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_process RUNS COMMAND [ARGS...]\n");
        return 2;
    }
    int runs = std::atoi(argv[1]);
    std::vector<double> ms;
    long peakKiB = 0;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        pid_t pid = fork();
        if (pid == 0) {
            if (!freopen("/dev/null", "w", stdout))
                _exit(126);
            execvp(argv[2], argv + 2);
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        auto t1 = std::chrono::steady_clock::now();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "command failed\n");
            return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        peakKiB = std::max(peakKiB, usage.ru_maxrss);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("median %.1f ms (min %.1f, max %.1f) over %d runs, peak RSS %.1f MiB\n", ms[ms.size() / 2],
                ms.front(), ms.back(), runs, peakKiB / 1024.0);
    return 0;
}
