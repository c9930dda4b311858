#include "tempdir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace verbolt::test {

TempDir::TempDir()
{
    std::string templ = (std::filesystem::temp_directory_path() / "verbolt-test-XXXXXX").string();
    if (!::mkdtemp(templ.data()))
        throw std::runtime_error("mkdtemp failed");
    // Readable for the unprivileged user some tests drop to.
    std::filesystem::permissions(templ, std::filesystem::perms::all);
    m_path = templ + "/";
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

void TempDir::write(std::string_view name, std::string_view bytes) const
{
    writeFile(file(name), bytes);
}

std::string TempDir::read(std::string_view name) const
{
    return readFile(file(name));
}

bool TempDir::exists(std::string_view name) const
{
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(file(name), ec));
}

std::string TempDir::listing() const
{
    std::string out;
    for (const std::string &n : entriesOf(m_path))
        out += n + "\n";
    return out;
}

void writeFile(const std::string &path, std::string_view bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f)
        throw std::runtime_error("cannot write " + path);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::vector<std::string> entriesOf(const std::string &dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(dir, ec);
         it != std::filesystem::directory_iterator(); it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace verbolt::test
