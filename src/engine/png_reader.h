#pragma once
// A PNG source, read a row at a time: 1 to 16 bits, grey, RGB and palette,
// transparency composed over white, its colour profile (iCCP) converted;
// sRGB needs nothing. libpng reads the chunks before the pixels, and the
// pixels of all but a plain picture (see PngIdatRows). An interlaced
// picture comes only whole, so it is sized for the memory rule. The
// library's messages never reach the terminal: its error becomes the one
// line naming the file.
#include <memory>
#include <string>
#include <vector>

#include "engine/source_bytes.h"
#include "engine/stored_rows_reader.h"

namespace kerfel {

class PngIdatRows;

class PngReader : public StoredRowsReader {
public:
    PngReader();
    ~PngReader() override;

    Status Open(std::unique_ptr<SourceBytes> bytes, const std::string& name);
    std::string Format() const override { return "PNG"; }

    struct Library;  // the library's state, reached from its callbacks

protected:
    unsigned long long FormatWholeBytes(int scale) const override;
    Status StartStored(int scale, unsigned& w, unsigned& h) override;
    Status ReadStored(uint8_t* into) override;

private:
    Status Failure(const std::string& what) const;
    void ReadProfile();
    void FindIdat(int depth);

    std::unique_ptr<Library> m_lib;
    bool m_interlaced = false;
    unsigned m_channels = 0;  // after expanding: grey, grey and alpha, RGB, RGB and alpha
    size_t m_rowBytes = 0;
    bool m_started = false;
    unsigned m_row = 0;
    uint64_t m_idatOffset = 0;  // a plain picture's first IDAT chunk, for PngIdatRows
    int m_depth = 8;
    std::unique_ptr<PngIdatRows> m_idat;  // its rows, read without the library
    std::vector<uint8_t> m_raw;    // one row as the library hands it
    std::vector<uint8_t> m_whole;  // every row of an interlaced picture
};

}  // namespace kerfel
