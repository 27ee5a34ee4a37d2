// A settings file of any content (hand-edited, truncated, binary): every
// value in it is read, then one value is written and read back. A write
// changes only the value it names; a refused write changes nothing.
#include <cctype>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "fuzz_support.h"

namespace {

struct Value {
    bool found = false;
    std::string text;
    bool isInt = false;
    uint32_t number = 0;
    bool operator==(const Value&) const = default;
};

// The text before "=" on each line, blanks trimmed, as a hand editor means it.
std::vector<std::string> NamesIn(const std::string& file) {
    std::vector<std::string> names;
    size_t pos = 0;
    while (pos < file.size() && names.size() < 8) {
        size_t lf = file.find('\n', pos);
        std::string line = file.substr(pos, lf == std::string::npos ? std::string::npos : lf - pos);
        if (size_t eq = line.find('='); eq != std::string::npos) {
            std::string name = line.substr(0, eq);
            size_t b = name.find_first_not_of(" \t"), e = name.find_last_not_of(" \t");
            if (b != std::string::npos) names.push_back(name.substr(b, e - b + 1));
        }
        if (lf == std::string::npos) break;
        pos = lf + 1;
    }
    names.push_back("OutputFolder");
    return names;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::map<std::string, Value> ReadAll(kerfel::SettingsStore& store, const std::vector<std::string>& names) {
    std::map<std::string, Value> values;
    for (const std::string& name : names) {
        Value v;
        v.found = store.ReadString(name, v.text);
        v.isInt = store.ReadInt(name, v.number);
        if (v.found) FUZZ_CHECK(fuzz::IsUtf8(v.text));
        if (v.isInt) FUZZ_CHECK(v.found);
        values[name] = v;
    }
    return values;
}

// Values of every name not written are as they were.
void CheckOthersKept(const std::map<std::string, Value>& before, const std::map<std::string, Value>& after,
                     const std::vector<std::string>& written) {
    for (const auto& [name, value] : before) {
        bool wasWritten = false;
        for (const std::string& w : written) wasWritten |= SameName(name, w);
        if (!wasWritten) FUZZ_CHECK(after.at(name) == value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::ScratchFolder folder("settings");
    const std::string path = folder.Path() + "/settings.ini";
    const std::string file(reinterpret_cast<const char*>(data), size);
    fuzz::WriteBytes(path, data, size);

    kerfel::SettingsStore store(path);
    FUZZ_CHECK(store.Open());
    const std::vector<std::string> names = NamesIn(file);
    const std::map<std::string, Value> before = ReadAll(store, names);

    // The value written is the file's first line; the name, the last one found
    // there (which may well be refused).
    const std::string value = file.substr(0, file.find('\n'));
    const std::string& name = names[names.size() > 1 ? names.size() - 2 : 0];
    const bool valueIsText = fuzz::IsUtf8(value) && value.find('\0') == std::string::npos;
    const std::string unchanged = fuzz::ReadBytes(path);
    if (store.WriteString(name, value)) {
        FUZZ_CHECK(valueIsText);
        std::string back;
        FUZZ_CHECK(store.ReadString(name, back) && back == value);
        CheckOthersKept(before, ReadAll(store, names), {name});
    } else {
        FUZZ_CHECK(fuzz::ReadBytes(path) == unchanged);
    }

    // A plain name always takes a text value and an integer.
    std::map<std::string, Value> now = ReadAll(store, names);
    FUZZ_CHECK(store.WriteString("Fuzz.Text", value) == valueIsText);
    const uint32_t number = size >= 4 ? data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24 : 0;
    FUZZ_CHECK(store.WriteInt("Fuzz.Number", number));
    uint32_t readNumber = 0;
    FUZZ_CHECK(store.ReadInt("Fuzz.Number", readNumber) && readNumber == number);
    CheckOthersKept(now, ReadAll(store, names), {"Fuzz.Text", "Fuzz.Number"});
    return 0;
}
