#pragma once
// The per-user settings: one "Name=value" line per value in
// $XDG_CONFIG_HOME/Lorvak Image Kerfel/settings.ini (default ~/.config/...).
// Opening it is the analogue of opening the registry key: when the file or
// its folder cannot be read and written, it does not open and nothing is
// read or written.
//
// The file is UTF-8. Names are matched without regard to ASCII case, as
// registry value names are. In values, "\" is written as "\\", a line feed
// as "\n" and a carriage return as "\r", so no value can break the file
// into lines of its own; any other "\x" reads back as it stands. A file
// that is not UTF-8 text (binary, NUL bytes, over 1 MiB) reads as if every
// value were absent; the first write keeps such a file's bytes beside it,
// under its name followed by kCorruptSuffix, before replacing it. Every write replaces the whole file atomically:
// a temporary file beside it, flushed to disk, then renamed over it.
#include <cstdint>
#include <string>

#include "i18n/language_choice.h"

namespace kerfel {

inline constexpr const char* kCorruptSuffix = ".corrupt";

class SettingsStore final : public LanguageSettings {
public:
    // The settings file of this user; empty when no home can be found.
    static std::string DefaultPath();

    explicit SettingsStore(std::string path = DefaultPath());

    // Creates the folder and an empty file when they are missing, as the
    // installer once created the key; the tool does this at start-up only.
    // Returns whether the store opens afterwards.
    bool CreateIfMissing();

    // Whether the store can be read and written now (the key "opens"): the
    // file exists, is a regular file that can be read and written, and its
    // folder takes the temporary file of a write.
    bool Open() override;
    bool IsOpen() const { return m_bOpen; }

    // false when the store is not open or the value is absent or malformed.
    // An integer is decimal, 0 to 4294967295 or -2147483648 to -1.
    bool ReadString(const std::string& name, std::string& value) override;
    bool ReadInt(const std::string& name, uint32_t& value);

    // false when the write failed after the store opened (or it is not open,
    // or the name is empty or holds "=", a line break or a NUL). A failed
    // write leaves the file as it was.
    bool WriteString(const std::string& name, const std::string& value) override;
    bool WriteInt(const std::string& name, uint32_t value);

    const std::string& Path() const { return m_strPath; }

private:
    bool Write(const std::string& name, const std::string& storedValue);

    std::string m_strPath;
    bool m_bOpen = false;
};

// The check state a stored option restores: only the value's lowest byte
// counts, so 256 restores unchecked.
inline bool OptionChecked(uint32_t stored) { return (stored & 0xFF) != 0; }

// Whether a stored output folder is taken at start-up: it still exists and is
// a folder (not a file, not gone).
bool IsRestorableFolder(const std::string& path);

}  // namespace kerfel
