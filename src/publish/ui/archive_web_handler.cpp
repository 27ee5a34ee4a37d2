#include "publish/ui/archive_web_handler.h"

#include <wx/filesys.h>
#include <wx/mstream.h>

#include <cctype>
#include <cstring>

namespace {

struct MimeType {
    const char* extension;
    const char* type;
};

constexpr MimeType kMimeTypes[] = {
    {".html", "text/html"},      {".js", "text/javascript"},   {".css", "text/css"},
    {".jpg", "image/jpeg"},      {".png", "image/png"},        {".xml", "application/xml"},
    {".dzi", "application/xml"}, {".json", "application/json"}, {".mp3", "audio/mpeg"},
};

wxString MimeTypeOf(const std::string& name) {
    for (const MimeType& m : kMimeTypes) {
        const size_t n = std::strlen(m.extension);
        if (name.size() >= n && name.compare(name.size() - n, n, m.extension) == 0) return m.type;
    }
    return "application/octet-stream";
}

// Every byte but letters, digits and "-._~/" as "%XX".
std::string Escape(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("-._~/", c)) out += static_cast<char>(c);
        else out += {'%', hex[c >> 4], hex[c & 15]};
    }
    return out;
}

std::string Unescape(const std::string& path) {
    std::string out;
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '%' && i + 2 < path.size() && std::isxdigit(static_cast<unsigned char>(path[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(path[i + 2]))) {
            out += static_cast<char>(std::stoi(path.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += path[i];
        }
    }
    return out;
}

// A scheme no earlier preview of this run has used.
wxString NextScheme() {
    static int made = 0;
    return wxString::Format("kerfel-archive-%d", ++made);
}

}  // namespace

CArchiveWebHandler::CArchiveWebHandler(std::unique_ptr<kerfel::ArchiveReader> archive)
    : wxWebViewHandler(NextScheme()), m_archive(std::move(archive)) {}

wxString CArchiveWebHandler::AddressOf(const std::string& entry) const {
    return GetName() + ":///" + wxString::FromUTF8(Escape(entry));
}

wxFSFile* CArchiveWebHandler::GetFile(const wxString& uri) {
    // "szi:///NAME/index.html?query#part": the entry's name is the path.
    std::string name = uri.utf8_string().substr(GetName().size() + 1);
    name = Unescape(name.substr(0, name.find_first_of("?#")));
    name.erase(0, name.find_first_not_of('/'));
    std::string bytes;
    if (!m_archive->Read(name, bytes)) return nullptr;
    wxMemoryOutputStream copy;
    copy.Write(bytes.data(), bytes.size());
    return new wxFSFile(new wxMemoryInputStream(copy), uri, MimeTypeOf(name), wxString(), wxDateTime::Now());
}
