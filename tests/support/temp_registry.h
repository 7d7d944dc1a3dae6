// A private registry file for one test: TOVANEL_REGISTRY points at a fresh
// file in a temporary folder that is removed afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class TempRegistry {
public:
    TempRegistry() {
        char pattern[] = "/tmp/tovanel-registry-XXXXXX";
        folder_ = mkdtemp(pattern);
        path_ = folder_ + "/registry.reg";
        setenv("TOVANEL_REGISTRY", path_.c_str(), 1);
    }
    ~TempRegistry() {
        unsetenv("TOVANEL_REGISTRY");
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    const std::string& path() const { return path_; }
    const std::string& folder() const { return folder_; }

    void Write(const std::string& text) const { WriteTo(path_, text); }
    static void WriteTo(const std::string& path, const std::string& text) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
    }
    std::string Read() const { return ReadFile(path_); }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::string folder_;
    std::string path_;
};
