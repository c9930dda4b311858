#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace verbolt::test {

/// A fresh directory under the system's temporary folder, removed with all it holds.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    /// The directory path, ending in "/".
    const std::string &path() const { return m_path; }
    std::string file(std::string_view name) const { return m_path + std::string(name); }

    void write(std::string_view name, std::string_view bytes) const;
    std::string read(std::string_view name) const;
    bool exists(std::string_view name) const;
    /// Names of every entry of the directory, sorted.
    std::string listing() const;

private:
    std::string m_path;
};

void writeFile(const std::string &path, std::string_view bytes);
std::string readFile(const std::string &path);
/// Every entry of a directory but "." and "..", sorted; none when it cannot be listed.
std::vector<std::string> entriesOf(const std::string &dir);

} // namespace verbolt::test
