#pragma once
// Caps the size of files this process writes (RLIMIT_FSIZE) while it lives, so that writing runs
// out of room on purpose; writes beyond the cap fail with EFBIG instead of raising SIGXFSZ.

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

namespace qlytest {

class FileSizeCap {
  public:
    explicit FileSizeCap(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit cap = old_;
        cap.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &cap), 0);
    }
    FileSizeCap(const FileSizeCap&) = delete;
    FileSizeCap& operator=(const FileSizeCap&) = delete;
    ~FileSizeCap() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }

  private:
    rlimit old_{};
    void (*oldSignal_)(int) = nullptr;
};

} // namespace qlytest
