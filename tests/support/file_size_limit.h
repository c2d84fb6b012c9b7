#pragma once
// Limits the size of files this process may write, so a save fails part way
// through even for root. SIGXFSZ is ignored meanwhile: the write then fails
// with an error instead of ending the process.

#include <csignal>
#include <sys/resource.h>

class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit now = old;
        now.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &now);
    }
    ~TFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previousHandler);
    }
    TFileSizeLimit(const TFileSizeLimit &) = delete;
    TFileSizeLimit &operator=(const TFileSizeLimit &) = delete;

private:
    rlimit old{};
    void (*previousHandler)(int) = nullptr;
};
