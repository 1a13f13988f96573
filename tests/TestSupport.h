// Shared helpers of the core tests.
#pragma once

#include <gtest/gtest.h>

#include <sys/resource.h>
#include "FileSizeLimit.h"

#include <csignal>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace epinax::test {

// A fresh directory per test, removed afterwards.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "epinax-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// A 150-character counterparty record.
inline std::string CustomerLine(const std::string& afm, const std::string& name)
{
    std::string line(150, ' ');
    line.replace(0, 1, "2");
    line.replace(6, afm.size(), afm);
    line.replace(15, name.size(), name);
    return line;
}

// The lines of a statement file, without their CR LF.
inline std::vector<std::string> FileLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

}  // namespace epinax::test
