#pragma once
// A TIFF or BigTIFF source through libtiff: its first full-resolution page,
// in strips (read a row at a time) or tiles (a row of tiles at a time),
// any compression the library decodes, 8 or 16 bits per sample (grey and
// palette also 1, 2 or 4), grey, RGB and palette, alpha composed over
// white. Planes stored apart are read a band of strips or tiles at a time;
// a band taller than streaming allows is sized for the memory rule. For a
// thumbnail, a reduced copy the file carries is read instead when it is
// large enough. The library's messages never reach the terminal: its first
// error becomes the one line naming the file.
#include <memory>
#include <string>
#include <vector>

#include "engine/source_bytes.h"
#include "engine/stored_rows_reader.h"

namespace kerfel {

struct TiffHandle;  // one handle of the library on the file

class TiffReader : public StoredRowsReader {
public:
    TiffReader();
    ~TiffReader() override;

    Status Open(std::unique_ptr<SourceBytes> bytes, const std::string& name);
    std::string Format() const override { return m_big ? "BigTIFF" : "TIFF"; }

    struct Page;  // how the current page stores its samples

protected:
    unsigned long long FormatWholeBytes(int scale) const override;
    Status StartStored(int scale, unsigned& w, unsigned& h) override;
    Status ReadStored(uint8_t* into) override;
    Status ReadStoredRows(uint8_t* const* rows, unsigned count) override;
    unsigned StoredBandRows() const override;

private:
    struct Library;
    Status Failure(const std::string& what) const;
    Status SelectPage(uint64_t offset);
    Status CheckBlocksInFile() const;
    Status ReadBlockRow(uint8_t* const* into);
    Status ReadBlock(TiffHandle& from, std::vector<uint8_t>& block, uint32_t x, uint32_t first, unsigned plane,
                     uint8_t* const* into);
    void OpenHelpers(uint64_t page, uint64_t blockBytes);
    uint64_t ReducedPageFor(unsigned side);

    std::unique_ptr<Library> m_lib;
    std::unique_ptr<Page> m_page;
    uint64_t m_fullPage = 0;  // the offset of the full-resolution page
    bool m_big = false;
    unsigned m_row = 0;              // the next stored row of the page
    std::vector<uint8_t> m_raw;      // one row as the library decodes it
    std::vector<uint8_t> m_block;    // a strip or tile as the library decodes it
    std::vector<uint8_t> m_blocks;   // a band of rows put together from blocks, made when first needed
    unsigned m_blockFirst = 0, m_blockRows = 0;  // the rows m_blocks holds
};

}  // namespace kerfel
