#pragma once

#include <cstdlib>

namespace verbolt::test {

/// The seed of a random test: `fixed`, so that every run tries the same cases, unless the
/// environment's VERBOLT_TEST_SEED gives another. Tests name it in their trace
/// (SCOPED_TRACE), so that a failure says how to repeat it.
inline unsigned testSeed(unsigned fixed)
{
    const char *given = std::getenv("VERBOLT_TEST_SEED");
    return given && *given ? static_cast<unsigned>(std::strtoul(given, nullptr, 0)) : fixed;
}

} // namespace verbolt::test
