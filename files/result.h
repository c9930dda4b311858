#pragma once

#include <string>
#include <utility>

namespace verbolt {

/// How an operation on a file or a folder ended: done, or failed, saying which failure it
/// was, the errno where the system gave one (0 where the refusal is Verbolt's own), and the
/// path it was about. There is no default: every result says what happened.
class Result
{
public:
    enum class Failure
    {
        None,         // done
        Read,         // a file could not be read
        List,         // a folder could not be listed to its end
        Write,        // a file could not be written
        Create,       // an output could not be made where it was asked for
        LinksOutside, // the file links out of the folder the write is for: refused
        Refused,      // the request itself cannot be carried out (a text the files cannot
                      // hold, an output over its own input)
    };

    static Result done(std::string path = {}) { return {Failure::None, 0, std::move(path)}; }
    static Result failed(Failure failure, int error, std::string path)
    {
        return {failure, error, std::move(path)};
    }

    bool ok() const { return m_failure == Failure::None; }
    Failure failure() const { return m_failure; }
    int error() const { return m_error; }
    const std::string &path() const { return m_path; }

private:
    Result(Failure failure, int error, std::string path)
        : m_failure(failure), m_error(error), m_path(std::move(path))
    {}

    Failure m_failure;
    int m_error;
    std::string m_path;
};

} // namespace verbolt
