#pragma once
// Reader of a toolbar description record (little-endian): a header of nine
// int32 fields, the entries (each of variable length) and the image records.
// Platform-free; the toolbar builds its image list and buttons from the result.
//
// The record comes from the program's own resources, but it is read as
// untrusted data: nothing is read past `size`, and every count and length is
// checked before it is used. A damaged record yields only its sound part:
//  - a header that is too short or inconsistent (a negative count, an entry
//    count whose command ids would overflow, an image or button side outside
//    1 to 1024 pixels): nothing at all;
//  - a damaged entry (kind neither 0 nor 1, negative length, lengths running
//    past the end, a text without its 0 byte): the entries before it, and no
//    image records, since where they start depends on the damaged entry;
//  - an entry count larger than the record holds: the same, at the first
//    entry that does not fit;
//  - image records running past the end, or a damaged one (negative image
//    count, icon flag neither 0 nor 1): all entries and the image records
//    before it;
//  - bytes after the last image record: everything, with a status that says so.
// GetStatus() tells which rule applied; Ok means the record was read whole.
#include "WString.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class ToolbarRecord {
public:
    enum class Status {
        Ok,
        HeaderTruncated,   // fewer bytes than the header
        HeaderInvalid,     // negative count, image or button size out of range
        EntryTruncated,    // an entry runs past the end of the record
        EntryInvalid,      // unknown kind, negative length, missing 0 byte
        ImagesTruncated,   // fewer image records than the header announces
        ImageInvalid,      // negative image count or icon flag not 0/1
        TrailingBytes,     // all read, but bytes are left over
    };

    enum class Kind : int32_t { Button = 0, Separator = 1 };

    static constexpr std::size_t kHeaderSize = 36;
    static constexpr std::size_t kEntryFixedSize = 28;   // before the two texts
    static constexpr std::size_t kImageRecordSize = 12;
    static constexpr int32_t kFirstCommandId = 100;
    static constexpr int32_t kMaxPixelSize = 1024;        // image and button sides

    struct Header {
        uint8_t standardImages = 0; // nonzero: add the 15 standard toolbar images
        uint8_t viewImages = 0;     // nonzero: add the 12 standard view images
        uint8_t largeImages = 0;    // nonzero: large standard images
        int32_t imageWidth = 0;
        int32_t imageHeight = 0;
        int32_t buttonWidth = 0;
        int32_t buttonHeight = 0;
        int32_t entryCount = 0;       // as announced; GetEntries() holds what was read
        int32_t imageRecordCount = 0; // as announced
    };

    struct Entry {
        Kind kind = Kind::Button;
        int32_t imageIndex = 0;
        int32_t userValue = 0;
        bool enabled = false;
        bool checked = false;
        bool pressed = false;
        bool indeterminate = false;
        bool hidden = false;
        bool wrap = false;     // wrap after this button; a wrapped button is also enabled
        bool include = false;  // the entry goes into the toolbar
        WString text;
        WString tip;
        int32_t commandId = 0; // 100 + position in the record
    };

    struct ImageRecord {
        int32_t resourceId = 0;
        int32_t imageCount = 0;
        bool isIcon = false; // icon loaded at the image size, else a bitmap strip
    };

    // Reads `size` bytes at `data`; a null pointer is an empty record.
    static ToolbarRecord Parse(const void* data, std::size_t size);

    Status GetStatus() const { return status_; }
    bool IsComplete() const { return status_ == Status::Ok; }
    // False when even the header was refused: then there is nothing to build.
    bool HasHeader() const { return hasHeader_; }
    const Header& GetHeader() const { return header_; }
    const std::vector<Entry>& GetEntries() const { return entries_; }
    const std::vector<ImageRecord>& GetImageRecords() const { return imageRecords_; }
    // Index of the entry or image record that was refused, -1 if none.
    int32_t GetDamagedIndex() const { return damagedIndex_; }

    static const char* StatusText(Status status);

private:
    class Reader;

    bool ReadHeader(Reader& reader);
    bool ReadEntries(Reader& reader);
    bool ReadImageRecords(Reader& reader);
    void Refuse(Status status, int32_t index);

    Status status_ = Status::Ok;
    bool hasHeader_ = false;
    int32_t damagedIndex_ = -1;
    Header header_;
    std::vector<Entry> entries_;
    std::vector<ImageRecord> imageRecords_;
};
