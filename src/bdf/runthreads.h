// Work shared between threads by the readers of big fonts.
#pragma once

#include <cstddef>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

// Whether the test hook (SetThreadStartHook) says the next thread start fails.
bool ThreadStartRefused();

// Runs work(0) .. work(n - 1) at once, work(0) on this thread. When a thread
// cannot be started (the system has none left, or no memory for its stack),
// this thread does the work of that one and of all after it, so the result is
// the same, only slower. The first exception a work throws is thrown here once
// all have ended.
template <class Work>
void RunOnThreads(size_t n, Work work)
{
    std::vector<std::exception_ptr> errors(n);
    auto guarded = [&](size_t i) {
        try {
            work(i);
        } catch (...) {
            errors[i] = std::current_exception();
        }
    };
    std::vector<std::thread> workers;
    size_t started = 1;
    try {
        workers.reserve(n);
        for (; started < n; ++started) {
            if (ThreadStartRefused())
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            workers.emplace_back(guarded, started);
        }
    } catch (...) {
        // A thread left joinable would end the program; those started run on.
    }
    guarded(0);
    for (size_t i = started; i < n; ++i)
        guarded(i);
    for (std::thread &w : workers)
        w.join();
    for (const std::exception_ptr &e : errors)
        if (e)
            std::rethrow_exception(e);
}
