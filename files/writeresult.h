#pragma once

#include <string>

namespace verbolt {

/// The outcome of a write to disk: written, failed with an errno, or refused because the
/// file is a link leading out of the folder it was written for.
struct WriteResult
{
    bool ok = false;
    bool outside = false; // refused: the file links outside its folder; nothing changed
    int error = 0;        // errno of a failure (EINVAL for a refused key or value)
    std::string path;     // the file the write was for

    static WriteResult success(std::string p) { return {true, false, 0, std::move(p)}; }
    static WriteResult failure(int err, std::string p) { return {false, false, err, std::move(p)}; }
    static WriteResult linksOutside(std::string p) { return {false, true, 0, std::move(p)}; }
};

} // namespace verbolt
