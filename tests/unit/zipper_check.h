#pragma once
// Archives made in tests are opened with three independent unpackers, and
// 7-Zip where it is installed; an archive only counts as good when all of
// them accept it.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace ziptest {

inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct CommandResult {
    int rc = -1;
    std::string out;
};

inline CommandResult Run(const std::string& command) {
    CommandResult r;
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int status = ::pclose(p);
    r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            if (!line.empty()) lines.push_back(line);
            line.clear();
        } else line += c;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

struct ArchiveReport {
    bool unzipOk = false, pythonOk = false, bsdtarOk = false, sevenZipOk = false;
    std::string details;
    std::vector<std::string> names;  // in archive order, as Python reads them
    bool AllOk() const { return unzipOk && pythonOk && bsdtarOk && sevenZipOk; }
};

// unzip -t, Python's zipfile (test every entry, list names) and bsdtar
// (unpack everything into a scratch folder).
inline ArchiveReport CheckArchive(const std::string& archive) {
    ArchiveReport r;
    CommandResult u = Run("unzip -t -qq " + Quote(archive));
    r.unzipOk = u.rc == 0;
    CommandResult py = Run("/usr/bin/python3 -c " +
                           Quote("import sys, zipfile\n"
                                 "z = zipfile.ZipFile(sys.argv[1])\n"
                                 "bad = z.testzip()\n"
                                 "assert bad is None, bad\n"
                                 "assert len(z.infolist()) == len(set(z.namelist()))\n"
                                 "print('\\n'.join(z.namelist()))\n") +
                           " " + Quote(archive));
    r.pythonOk = py.rc == 0;
    if (r.pythonOk) r.names = Lines(py.out);
    std::string scratch = archive + ".bsdtar-check";
    std::filesystem::remove_all(scratch);
    std::filesystem::create_directories(scratch);
    CommandResult b = Run("bsdtar -xf " + Quote(archive) + " -C " + Quote(scratch));
    r.bsdtarOk = b.rc == 0;
    std::filesystem::remove_all(scratch);
    CommandResult seven = Run("command -v 7zz >/dev/null || exit 0; 7zz t -bd " + Quote(archive));
    r.sevenZipOk = seven.rc == 0;
    r.details = "unzip: " + u.out.substr(0, 2000) + "\npython: " + py.out.substr(0, 2000) + "\nbsdtar: " +
                b.out.substr(0, 2000) + "\n7-Zip: " + seven.out.substr(0, 2000);
    return r;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A private scratch folder removed with the object. `root` "/dev/shm" keeps
// tens of thousands of small files in memory: on a busy disk their writing
// and unpacking alone take minutes, and the test would time out for it.
struct TempFolder {
    std::string path;
    explicit TempFolder(std::string root = "/tmp") {
        if (::access(root.c_str(), W_OK) != 0) root = "/tmp";
        std::string tmpl = root + "/kerfel-unit-XXXXXX";
        path = ::mkdtemp(tmpl.data());
    }
    ~TempFolder() { std::filesystem::remove_all(path); }
};

}  // namespace ziptest
