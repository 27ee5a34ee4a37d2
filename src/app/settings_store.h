#pragma once
// The per-user settings: one "Name=value" line per value in
// $XDG_CONFIG_HOME/Lorvak Image Kerfel/settings.ini (default ~/.config/...).
// Opening it is the analogue of opening the registry key: when the file or
// its folder cannot be read and written, it does not open and nothing is
// read or written.
#include <cstdint>
#include <string>

namespace kerfel {

class SettingsStore {
public:
    // The settings file of this user.
    static std::string DefaultPath();

    explicit SettingsStore(std::string path = DefaultPath());

    // Whether the store can be read and written now (the key "opens").
    bool Open();

    // false when the store is not open or the value is absent or malformed.
    bool ReadString(const std::string& name, std::string& value);
    bool ReadInt(const std::string& name, uint32_t& value);

    // false when the write failed after the store opened (or it is not open).
    bool WriteString(const std::string& name, const std::string& value);
    bool WriteInt(const std::string& name, uint32_t value);

    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
    bool m_bOpen = false;
};

}  // namespace kerfel
