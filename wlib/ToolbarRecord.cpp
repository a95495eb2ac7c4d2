#include "ToolbarRecord.h"

#include <algorithm>
#include <limits>

// A cursor over the record that refuses to move past its end.
class ToolbarRecord::Reader {
public:
    Reader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t Remaining() const { return size_ - position_; }

    bool ReadByte(uint8_t& value)
    {
        if (Remaining() < 1)
            return false;
        value = data_[position_++];
        return true;
    }

    // Little-endian, whatever the host's byte order.
    bool ReadInt32(int32_t& value)
    {
        if (Remaining() < 4)
            return false;
        const unsigned char* p = data_ + position_;
        const uint32_t bits = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8
            | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
        value = static_cast<int32_t>(bits);
        position_ += 4;
        return true;
    }

    bool Skip(std::size_t count)
    {
        if (Remaining() < count)
            return false;
        position_ += count;
        return true;
    }

    // `length` bytes of text followed by a 0 byte. The length has been checked
    // against Remaining() by the caller.
    bool ReadText(std::size_t length, WString& text)
    {
        if (Remaining() < length + 1 || data_[position_ + length] != 0)
            return false;
        text = WString(reinterpret_cast<const char*>(data_ + position_), length);
        position_ += length + 1;
        return true;
    }

private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

namespace {
bool IsPixelSize(int32_t value)
{
    return value > 0 && value <= ToolbarRecord::kMaxPixelSize;
}
} // namespace

ToolbarRecord ToolbarRecord::Parse(const void* data, std::size_t size)
{
    ToolbarRecord record;
    if (data == nullptr)
        size = 0;
    Reader reader(static_cast<const unsigned char*>(data), size);
    if (!record.ReadHeader(reader) || !record.ReadEntries(reader) || !record.ReadImageRecords(reader))
        return record;
    if (reader.Remaining() != 0)
        record.Refuse(Status::TrailingBytes, -1);
    return record;
}

void ToolbarRecord::Refuse(Status status, int32_t index)
{
    status_ = status;
    damagedIndex_ = index;
}

bool ToolbarRecord::ReadHeader(Reader& reader)
{
    if (reader.Remaining() < kHeaderSize) {
        Refuse(Status::HeaderTruncated, -1);
        return false;
    }
    Header header;
    int32_t reserved = 0;
    reader.ReadByte(header.standardImages);
    reader.ReadByte(header.viewImages);
    reader.ReadByte(header.largeImages);
    reader.Skip(1);
    reader.ReadInt32(header.imageWidth);
    reader.ReadInt32(header.imageHeight);
    reader.ReadInt32(header.buttonWidth);
    reader.ReadInt32(header.buttonHeight);
    reader.ReadInt32(header.entryCount);
    reader.ReadInt32(reserved);
    reader.ReadInt32(header.imageRecordCount);
    reader.ReadInt32(reserved);
    if (!IsPixelSize(header.imageWidth) || !IsPixelSize(header.imageHeight) || !IsPixelSize(header.buttonWidth)
        || !IsPixelSize(header.buttonHeight) || header.entryCount < 0 || header.imageRecordCount < 0
        || header.entryCount > std::numeric_limits<int32_t>::max() - kFirstCommandId) {
        Refuse(Status::HeaderInvalid, -1);
        return false;
    }
    header_ = header;
    hasHeader_ = true;
    return true;
}

bool ToolbarRecord::ReadEntries(Reader& reader)
{
    // Reserve only what the bytes can hold, whatever the count announces.
    const std::size_t fitting = reader.Remaining() / (kEntryFixedSize + 2);
    entries_.reserve(std::min<std::size_t>(static_cast<std::size_t>(header_.entryCount), fitting));
    for (int32_t index = 0; index < header_.entryCount; ++index) {
        if (reader.Remaining() < kEntryFixedSize) {
            Refuse(Status::EntryTruncated, index);
            return false;
        }
        int32_t kind = 0;
        int32_t textLength = 0;
        int32_t tipLength = 0;
        uint8_t flags[8] = {};
        Entry entry;
        reader.ReadInt32(kind);
        reader.ReadInt32(entry.imageIndex);
        reader.ReadInt32(entry.userValue);
        for (uint8_t& flag : flags)
            reader.ReadByte(flag);
        reader.ReadInt32(textLength);
        reader.ReadInt32(tipLength);
        if ((kind != 0 && kind != 1) || textLength < 0 || tipLength < 0) {
            Refuse(Status::EntryInvalid, index);
            return false;
        }
        // Both lengths are below 2^31, so the sum cannot overflow a 64-bit size.
        const uint64_t textBytes = static_cast<uint64_t>(textLength) + static_cast<uint64_t>(tipLength) + 2;
        if (textBytes > reader.Remaining()) {
            Refuse(Status::EntryTruncated, index);
            return false;
        }
        if (!reader.ReadText(static_cast<std::size_t>(textLength), entry.text)
            || !reader.ReadText(static_cast<std::size_t>(tipLength), entry.tip)) {
            Refuse(Status::EntryInvalid, index);
            return false;
        }
        entry.kind = static_cast<Kind>(kind);
        entry.enabled = flags[0] != 0;
        entry.checked = flags[1] != 0;
        entry.pressed = flags[2] != 0;
        entry.indeterminate = flags[3] != 0;
        entry.hidden = flags[4] != 0;
        entry.wrap = flags[5] != 0;
        entry.include = flags[6] != 0;
        entry.commandId = kFirstCommandId + index;
        entries_.push_back(entry);
    }
    return true;
}

bool ToolbarRecord::ReadImageRecords(Reader& reader)
{
    const std::size_t fitting = reader.Remaining() / kImageRecordSize;
    imageRecords_.reserve(std::min<std::size_t>(static_cast<std::size_t>(header_.imageRecordCount), fitting));
    for (int32_t index = 0; index < header_.imageRecordCount; ++index) {
        if (reader.Remaining() < kImageRecordSize) {
            Refuse(Status::ImagesTruncated, index);
            return false;
        }
        ImageRecord image;
        int32_t isIcon = 0;
        reader.ReadInt32(image.resourceId);
        reader.ReadInt32(image.imageCount);
        reader.ReadInt32(isIcon);
        if (image.imageCount < 0 || (isIcon != 0 && isIcon != 1)) {
            Refuse(Status::ImageInvalid, index);
            return false;
        }
        image.isIcon = isIcon == 1;
        imageRecords_.push_back(image);
    }
    return true;
}

const char* ToolbarRecord::StatusText(Status status)
{
    switch (status) {
    case Status::Ok: return "complete";
    case Status::HeaderTruncated: return "header truncated";
    case Status::HeaderInvalid: return "header invalid";
    case Status::EntryTruncated: return "entry runs past the end";
    case Status::EntryInvalid: return "entry invalid";
    case Status::ImagesTruncated: return "image records run past the end";
    case Status::ImageInvalid: return "image record invalid";
    case Status::TrailingBytes: return "bytes after the last image record";
    }
    return "unknown";
}
