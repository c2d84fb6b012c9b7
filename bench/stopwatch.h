#pragma once
// Wall-clock and processor time of a stretch of benchmark code. On a machine
// shared with busy programs the wall-clock figure includes the waits for a
// core; the processor time is this thread's own work.

#include <QElapsedTimer>
#include <cstdio>
#include <ctime>

class TStopwatch {
public:
    TStopwatch() { Restart(); }
    void Restart()
    {
        Wall.restart();
        Cpu = CpuMs();
    }
    // "12.34 ms (5.67 ms CPU)", per repeat.
    const char *Text(int repeats = 1)
    {
        std::snprintf(Buffer, sizeof Buffer, "%.2f ms (%.2f ms CPU)", double(Wall.nsecsElapsed()) / 1e6 / repeats,
                      (CpuMs() - Cpu) / repeats);
        return Buffer;
    }

private:
    static double CpuMs()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    }
    QElapsedTimer Wall;
    double Cpu = 0;
    char Buffer[64] = {};
};
