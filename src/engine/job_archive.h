#pragma once
// A job written as one archive (NAME.szi) instead of a job folder: a ZIP of
// stored entries holding, below NAME/, exactly the files and folders the job
// folder would hold. The tiles go in as the encoders finish them; the
// archive goes to a file that takes its name only once complete, or to
// standard output, where it can be uploaded while it is made.
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/pending_file.h"
#include "base/stored_zip_writer.h"
#include "engine/job_folder.h"
#include "engine/tile_store.h"

namespace kerfel {

class JobArchive : public TileStore {
public:
    // `path`: the archive's name, or kStandardOutputName.
    JobArchive(std::string path, std::string jobName);
    // Not committed: nothing takes the archive's name.
    ~JobArchive() override;

    Status Open(std::time_t made, ZipLimits limits = {});
    // A tile and its further names; from any thread.
    Status Put(const std::string& path, const std::vector<std::string>& others, const void* data,
               std::size_t size) override;
    // Entries for the job's own folder and the folders below it (named as
    // TilePaths::Folders gives them).
    Status AddFolders(const std::vector<std::string>& below);
    // Every folder and file in `folder` (a job folder), named below the
    // job's name, in the order of their names; hidden names are passed over
    // as an archive of the job folder would.
    Status AddJobFiles(const std::string& folder);
    // The central directory; then the archive takes its name.
    Status Commit();

    bool ToStandardOutput() const { return m_path == kStandardOutputName; }
    const std::string& Path() const { return m_path; }
    // The job's name, the folder its entries lie in.
    const std::string& Name() const { return m_name; }
    // What errors call it: its path, or its name on standard output.
    const std::string& Label() const { return m_label; }

private:
    Status AddTree(const std::string& folder, const std::string& below);

    const std::string m_path, m_name, m_label;
    PendingFile m_file;
    std::mutex m_lock;
    std::unique_ptr<StoredZipWriter> m_zip;
};

}  // namespace kerfel
