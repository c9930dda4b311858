#pragma once

#include <string>
#include <vector>

namespace verbolt {

/// Where the editing commands tell the translator something: a modal message (UTF-8).
class MessageView
{
public:
    virtual ~MessageView() = default;
    virtual void showMessage(const std::string &text) = 0;
    /// A question with one button per choice (UTF-8), `preferred` the default; the index of
    /// the choice, or -1 when cancelled.
    virtual int ask(const std::string &question, const std::vector<std::string> &choices,
                    int preferred) = 0;
};

} // namespace verbolt
