#pragma once
// Which language file to load at start-up, and remembering it.
#include <functional>
#include <string>
#include <vector>

namespace kerfel {

// The settings as the language choice sees them: the tool's settings store,
// or whatever a test or another front end remembers values in.
class LanguageSettings {
public:
    // Whether the settings can be read and written at all.
    virtual bool Open() = 0;
    virtual bool ReadString(const std::string& name, std::string& value) = 0;
    virtual bool WriteString(const std::string& name, const std::string& value) = 0;

protected:
    ~LanguageSettings() = default;
};

// The settings value that remembers the chosen language file's full path.
inline constexpr const char* kLanguageValue = "Language";
// Literals of the chooser: no language is loaded when it asks.
inline constexpr const char* kSelectLanguage = "Select Language";

struct LanguageChoice {
    std::string m_strPath;        // the language file to load
    bool m_bAsked = false;        // the user was asked to choose
    bool m_bWriteFailed = false;  // the store opened but the path could not be remembered
};

// Shows the chooser and returns the name the user chose or typed.
using LanguageChooser = std::function<std::string()>;

// Whether a name from a language file or lan.txt names a file in its own
// folder: not empty, not "." or "..", no "/". A translator's file cannot send
// the tool to read or open files elsewhere.
bool IsPlainFileName(const std::string& name);

// A language file of lan.txt below an application folder; empty when the
// name is not a plain file name.
std::string LanguagePath(const std::string& appFolder, const std::string& file);

// The English file below an application folder.
std::string EnglishLanguagePath(const std::string& appFolder);

// Chooses the file:
//  - store does not open, or remembers no language: English, without asking;
//  - the remembered path names an existing file: that file;
//  - otherwise (moved, deleted, empty path) `ask` chooses: "English" gives
//    English, a display name of `list` its file (the later of equal names),
//    anything else English.
// Then remembers the path when the store opens (again, even when it was just
// read); a failed write is reported in the result and changes nothing else.
LanguageChoice ChooseLanguageFile(LanguageSettings& store, const std::string& appFolder,
                                  const std::vector<std::string>& list, const LanguageChooser& ask);

}  // namespace kerfel
