#pragma once

#include <string>

namespace verbolt {

/// The outcome of a write to disk: success, or the errno and the path of what failed.
struct WriteResult
{
    bool ok = true;
    int error = 0;     // errno of the failure (EINVAL for a refused key or value)
    std::string path;  // the file the write was for

    static WriteResult success(std::string p) { return {true, 0, std::move(p)}; }
    static WriteResult failure(int err, std::string p) { return {false, err, std::move(p)}; }
};

} // namespace verbolt
