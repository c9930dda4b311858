#pragma once

#include <cstring>
#include <string>
#include <utility>

namespace verbolt {

/// How an operation on a file or a folder ended: done, or failed, saying which failure it
/// was, the errno where the system gave one (0 where the refusal is Verbolt's own), and the
/// path it was about. It is made only by done() or failed(): every result says what happened.
class [[nodiscard]] Result
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
        Unsupported,  // the file's bytes are in a form Verbolt reads but must not rewrite
                      // (UTF-16, lines ending in CR alone)
        Gone,         // the file a column was read from is no longer there
        TooLarge,     // more rows than the table can hold
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

    /// Why it failed, for a message: the system's text for the errno ("No space left on
    /// device"), else Verbolt's own reason; empty when done or when there is
    /// nothing more to say.
    std::string reason() const
    {
        if (m_error != 0)
            return std::strerror(m_error);
        switch (m_failure) {
        case Failure::None:
            return {};
        case Failure::LinksOutside:
            return "it links outside the label folder";
        case Failure::Unsupported:
            return "its encoding or line ends cannot be written back safely";
        case Failure::Gone:
            return "the file is no longer there";
        case Failure::TooLarge:
            return "it has more rows than the table can hold";
        case Failure::Refused:
            return "the request cannot be carried out";
        default:
            return {};
        }
    }

    /// The reason as a sentence of its own, led by a space, to end a message with: a
    /// translator who sees "Unable to write the file ..." learns whether the disk is full or
    /// the file is not theirs to write. Empty when there is no reason to give.
    std::string reasonSentence() const
    {
        // A refusal of Verbolt's own is said by the message itself.
        if (m_failure == Failure::Refused && m_error == 0)
            return {};
        std::string r = reason();
        if (r.empty())
            return r;
        if (r[0] >= 'a' && r[0] <= 'z')
            r[0] = static_cast<char>(r[0] - 'a' + 'A');
        return " " + r + ".";
    }

private:
    Result(Failure failure, int error, std::string path)
        : m_failure(failure), m_error(error), m_path(std::move(path))
    {}

    Failure m_failure;
    int m_error;
    std::string m_path;
};

} // namespace verbolt
