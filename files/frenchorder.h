#pragma once

#include "foldedkeyset.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

/// The labels of french.lan in file order: the order every language file follows. A key
/// counts once, at its first line in [Label] scope; keys compare as the writer compares
/// them (trimmed, without ASCII letter case). Copies share the bytes.
class FrenchOrder
{
public:
    FrenchOrder() = default;
    explicit FrenchOrder(std::string frenchBytes);

    std::size_t size() const { return m_data ? m_data->keys.size() : 0; }
    /// The key as french.lan spells it, trimmed.
    std::string_view key(std::size_t i) const { return m_data->keys[i]; }
    /// The French text, trimmed as the reader has it.
    std::string_view text(std::size_t i) const { return m_data->texts[i]; }
    /// The place of `key` (trimmed here) in French order, or -1.
    int position(std::string_view key) const;
    /// The same, `hint` tried first: one comparison instead of a look-up when it is right.
    int position(std::string_view key, int hint) const;

private:
    struct Data
    {
        std::string bytes;
        std::vector<std::string_view> keys;
        std::vector<std::string_view> texts;
        FoldedKeySet index; // ids are positions
    };
    std::shared_ptr<const Data> m_data;
};

} // namespace verbolt
