// Writing several keys to one file in one rewrite gives exactly what one write after the other
// would: the batch of Duplicate must never differ from single Applies. And what the write
// records takes it back to the old bytes exactly, and makes it again to the new ones.
#include "check.h"
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
    const std::string old = in.rest();

    const auto batch = ProfileEdit::apply(old, exists, writes);
    std::optional<std::string> oneByOne = exists ? old : std::string();
    for (const KeyValue &kv : writes) {
        oneByOne = ProfileEdit::apply(*oneByOne, true, {kv});
        if (!oneByOne)
            break;
    }
    FUZZ_CHECK(batch == oneByOne);

    // Keys as a label file can hold them: a key with "=" in it is read back as another key.
    for (const KeyValue &kv : writes)
        if (kv.key.find('=') != std::string::npos)
            return 0;
    FileChanges changes;
    std::string after;
    if (ProfileEdit::applyInto(old, exists, writes, after, nullptr, &changes)) {
        std::string undone;
        for (const bool applied : ProfileEdit::revertInto(after, true, changes, true, undone))
            FUZZ_CHECK(applied);
        FUZZ_CHECK(undone == (exists ? old : std::string()));
        std::string redone;
        ProfileEdit::revertInto(undone, exists || !undone.empty(), changes, false, redone);
        FUZZ_CHECK(redone == after);
    }
    return 0;
}
