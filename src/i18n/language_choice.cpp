#include "i18n/language_choice.h"

#include <filesystem>
#include <system_error>

#include "i18n/language_list.h"

namespace kerfel {

namespace {

// A folder or a broken link at the remembered path is no language file.
bool IsLanguageFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

std::string PathOfChosenName(const std::string& appFolder, const std::vector<std::string>& list,
                             const std::string& name) {
    if (name == kEnglishName) return EnglishLanguagePath(appFolder);
    std::string path = LanguagePath(appFolder, FindLanguageFile(list, name));
    return path.empty() ? EnglishLanguagePath(appFolder) : path;
}

}  // namespace

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::string LanguagePath(const std::string& appFolder, const std::string& file) {
    return IsPlainFileName(file) ? appFolder + "/LanguageFiles/" + file : std::string();
}

std::string EnglishLanguagePath(const std::string& appFolder) { return LanguagePath(appFolder, kEnglishFile); }

LanguageChoice ChooseLanguageFile(LanguageSettings& store, const std::string& appFolder,
                                  const std::vector<std::string>& list, const LanguageChooser& ask) {
    LanguageChoice choice;
    std::string remembered;
    if (!store.Open() || !store.ReadString(kLanguageValue, remembered)) {
        choice.m_strPath = EnglishLanguagePath(appFolder);
    } else if (IsLanguageFile(remembered)) {
        choice.m_strPath = remembered;
    } else {
        choice.m_bAsked = true;
        choice.m_strPath = PathOfChosenName(appFolder, list, ask ? ask() : std::string(kEnglishName));
    }
    if (store.Open() && !store.WriteString(kLanguageValue, choice.m_strPath)) choice.m_bWriteFailed = true;
    return choice;
}

}  // namespace kerfel
