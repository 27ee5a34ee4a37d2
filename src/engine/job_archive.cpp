#include "engine/job_archive.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace kerfel {

JobArchive::JobArchive(std::string path, std::string jobName)
    : m_path(std::move(path)),
      m_name(std::move(jobName)),
      m_label(ArchiveLabel(m_path, m_name)) {}

JobArchive::~JobArchive() = default;

Status JobArchive::Open(std::time_t made, ZipLimits limits) {
    int fd = STDOUT_FILENO;
    if (!ToStandardOutput()) {
        if (Status s = m_file.Open(m_path); !s) return s;
        fd = m_file.Fd();
    }
    m_zip = std::make_unique<StoredZipWriter>(fd, m_label, made, limits);
    return Status::Ok();
}

Status JobArchive::Put(const std::string& path, const std::vector<std::string>& others, const void* data,
                       std::size_t size) {
    std::lock_guard<std::mutex> hold(m_lock);
    Status s = m_zip->AddFile(path, data, size);
    for (size_t i = 0; s && i < others.size(); ++i) s = m_zip->AddFile(others[i], data, size);
    return s;
}

Status JobArchive::AddFolders(const std::vector<std::string>& below) {
    std::lock_guard<std::mutex> hold(m_lock);
    Status s = m_zip->AddFolder(m_name + "/");
    for (size_t i = 0; s && i < below.size(); ++i) s = m_zip->AddFolder(m_name + "/" + below[i] + "/");
    return s;
}

Status JobArchive::AddJobFiles(const std::string& folder) {
    std::lock_guard<std::mutex> hold(m_lock);
    return AddTree(folder, m_name + "/");
}

Status JobArchive::AddTree(const std::string& folder, const std::string& below) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().filename().string()[0] != '.') entries.push_back(*it);
    if (ec) return Status::Output(folder + ": " + ec.message());
    std::sort(entries.begin(), entries.end());
    for (const fs::directory_entry& e : entries) {
        const std::string name = below + e.path().filename().string();
        Status s = e.is_directory(ec) ? m_zip->AddFolder(name + "/") : m_zip->AddFileFrom(name, e.path().string());
        if (s && e.is_directory(ec)) s = AddTree(e.path().string(), name + "/");
        if (!s) return s;
    }
    return Status::Ok();
}

Status JobArchive::Commit() {
    std::lock_guard<std::mutex> hold(m_lock);
    Status s = m_zip->Finish();
    if (s && !ToStandardOutput()) s = m_file.Commit();
    return s;
}

}  // namespace kerfel
