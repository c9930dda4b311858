#pragma once

#include <string>

namespace verbolt {

/// Where the editing commands tell the translator something: a modal message (UTF-8).
class MessageView
{
public:
    virtual ~MessageView() = default;
    virtual void showMessage(const std::string &text) = 0;
};

} // namespace verbolt
