#pragma once
// A file-size limit for this process while the object lives, as a full disk looks to a
// writer: a write beyond it fails with EFBIG instead of ending the process. Windows has no
// such limit: there ok() is false and the test that needs it says it cannot run.

#include <cstdint>

#ifdef _WIN32

namespace zentor::testing {

class SizeLimit {
public:
    explicit SizeLimit(int64_t) {}
    bool ok() const { return false; }
};

}  // namespace zentor::testing

#else

#include <csignal>
#include <sys/resource.h>

namespace zentor::testing {

class SizeLimit {
public:
    explicit SizeLimit(int64_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~SizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    bool ok_ = false;
};

}  // namespace zentor::testing

#endif
