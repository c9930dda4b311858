// Writing several keys to one file in one rewrite gives exactly what one write after the other
// would: the batch of Duplicate must never differ from single Applies. And what the write
// records takes it back to the old bytes exactly, and makes it again to the new ones. The
// same holds when new keys go to their place in a French order.
#include "check.h"
#include "frenchorder.h"
#include "input.h"
#include "profileedit.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using namespace verbolt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t flags = in.byte();
    const bool exists = (flags & 1) == 0;
    std::vector<KeyValue> writes((flags >> 1) & 7);
    for (KeyValue &kv : writes) {
        kv.key = in.field();
        kv.value = in.field();
    }
    const FrenchOrder french((flags & 16) ? in.field() : std::string());
    const FrenchOrder *order = (flags & 16) ? &french : nullptr;
    const std::string old = in.rest();

    // Keys as a label file can hold them: a key with "=" in it is read back as another key,
    // which a French place does not foresee.
    bool plainKeys = true;
    for (const KeyValue &kv : writes)
        plainKeys = plainKeys && kv.key.find('=') == std::string::npos;

    const auto batch = ProfileEdit::apply(old, exists, writes, order);
    std::optional<std::string> oneByOne = exists ? old : std::string();
    for (const KeyValue &kv : writes) {
        oneByOne = ProfileEdit::apply(*oneByOne, true, {kv}, order);
        if (!oneByOne)
            break;
    }
    FUZZ_CHECK(batch == oneByOne || (order && !plainKeys));

    if (!plainKeys)
        return 0;
    FileChanges changes;
    std::string after;
    if (ProfileEdit::applyInto(old, exists, writes, after, nullptr, &changes, order)) {
        std::string undone;
        for (const bool applied :
             ProfileEdit::revertInto(after, true, changes, true, undone, order))
            FUZZ_CHECK(applied);
        FUZZ_CHECK(undone == (exists ? old : std::string()));
        std::string redone;
        ProfileEdit::revertInto(undone, exists || !undone.empty(), changes, false, redone, order);
        FUZZ_CHECK(redone == after);
    }
    return 0;
}
