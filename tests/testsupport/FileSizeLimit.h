#pragma once

#include <sys/resource.h>

#include <csignal>

// Makes every write past `bytes` fail with EFBIG for the life of the object: a
// real write failure that even root cannot override.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    struct rlimit m_previous {};
    void (*m_previousHandler)(int) = nullptr;
};
