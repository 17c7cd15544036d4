#pragma once
// One private folder per fuzzing process for the files the targets write,
// removed with everything in it when the process ends.
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <unistd.h>

inline void removeFuzzTempDir();

inline std::string& fuzzTempDirPath()
{
    static std::string path;
    return path;
}

inline const std::string& fuzzTempDir()
{
    std::string& path = fuzzTempDirPath();
    if (path.empty()) {
        const char* base = std::getenv("TMPDIR");
        std::string templ = std::string(base && *base ? base : "/tmp") + "/velmora-fuzz.XXXXXX";
        if (!mkdtemp(templ.data())) std::abort();
        path = templ;
        std::atexit(removeFuzzTempDir);
    }
    return path;
}

inline void removeFuzzTempDir()
{
    const std::string& path = fuzzTempDirPath();
    if (path.empty()) return;
    if (DIR* d = opendir(path.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") unlink((path + "/" + name).c_str());
        }
        closedir(d);
    }
    rmdir(path.c_str());
}
