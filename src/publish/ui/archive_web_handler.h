#pragma once
// Serves the embedded browser the files of a job kept in one archive, under
// addresses of their own ("kerfel-archive-1:///NAME/index.html"), so the
// job's page and every tile it asks for are read out of the archive as the
// page asks.
#include <wx/webview.h>

#include <memory>
#include <string>

#include "publish/archive_reader.h"

class CArchiveWebHandler : public wxWebViewHandler {
public:
    // The archive must have been opened. Each handler has a scheme of its
    // own: the browser engine keeps a scheme for the whole process, bound to
    // the first browser that named it, and refuses to bind it again.
    explicit CArchiveWebHandler(std::unique_ptr<kerfel::ArchiveReader> archive);

    // The address of an entry of the archive.
    wxString AddressOf(const std::string& entry) const;

    wxFSFile* GetFile(const wxString& uri) override;

private:
    std::unique_ptr<kerfel::ArchiveReader> m_archive;
};
