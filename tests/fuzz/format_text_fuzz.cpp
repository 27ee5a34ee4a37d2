// A translator's format text filled with up to four arguments of either
// kind, as the dialogs and the command line fill them.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "i18n/format_text.h"

namespace {

struct Arg {
    bool integer;
    long long number;
    std::string text;
};

std::string Format(const std::string& format, const std::vector<Arg>& a) {
    auto arg = [&](size_t i) -> kerfel::TextArg {
        if (a[i].integer) return a[i].number;
        return a[i].text;
    };
    switch (a.size()) {
        case 0: return kerfel::FormatText(format, {});
        case 1: return kerfel::FormatText(format, {arg(0)});
        case 2: return kerfel::FormatText(format, {arg(0), arg(1)});
        case 3: return kerfel::FormatText(format, {arg(0), arg(1), arg(2)});
        default: return kerfel::FormatText(format, {arg(0), arg(1), arg(2), arg(3)});
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<Arg> args(in.ConsumeIntegralInRange<size_t>(0, 4));
    size_t argBytes = 0;
    for (Arg& a : args) {
        a.integer = in.ConsumeBool();
        if (a.integer) a.number = in.ConsumeIntegral<long long>();
        else a.text = in.ConsumeRandomLengthString(64);
        argBytes += a.integer ? std::to_string(a.number).size() : a.text.size();
    }
    const std::string format = in.ConsumeRemainingBytesAsString();
    const std::string out = Format(format, args);

    // Every placeholder is two characters and takes at most one argument,
    // each argument at most once: nothing grows beyond that.
    FUZZ_CHECK(out.size() <= format.size() + argBytes);
    // A text without placeholders comes back as it was.
    if (format.find('%') == std::string::npos) FUZZ_CHECK(out == format);
    // With no arguments only "%%" changes anything.
    if (args.empty()) {
        std::string expected;
        for (size_t i = 0; i < format.size(); ++i) {
            expected += format[i];
            if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '%') ++i;
        }
        FUZZ_CHECK(out == expected);
    }
    return 0;
}
