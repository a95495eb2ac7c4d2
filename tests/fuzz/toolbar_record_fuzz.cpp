// Damaged toolbar records through the reader. Half of the inputs are read as a
// record as they are; the other half damage the program's own record: the
// first two bytes give the length to cut it to (or to lengthen it with zeros),
// the rest are (offset low, offset high, value) triples written into it. Every record is copied to a heap block of its exact
// size so that a read past the end trips AddressSanitizer. Checked: what the
// reader keeps lies within the record and agrees with the status.
#include "ToolbarRecord.h"

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <vector>

namespace {

const unsigned char kGeneratedRecord[] = {
#include "Form1_toolbar_bytes.inc"
};

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

std::vector<unsigned char> DamagedRecord(const uint8_t* data, std::size_t size)
{
    std::vector<unsigned char> record(std::begin(kGeneratedRecord), std::end(kGeneratedRecord));
    if (size >= 2)
        record.resize(std::min<std::size_t>((data[0] | data[1] << 8) % (record.size() + 16), record.size() + 15));
    for (std::size_t i = 2; i + 2 < size && !record.empty(); i += 3)
        record[(data[i] | data[i + 1] << 8) % record.size()] = data[i + 2];
    return record;
}

void CheckRecord(const ToolbarRecord& record, std::size_t size)
{
    using Status = ToolbarRecord::Status;
    const Status status = record.GetStatus();
    if (!record.HasHeader()) {
        Check(status == Status::HeaderTruncated || status == Status::HeaderInvalid);
        Check(record.GetEntries().empty() && record.GetImageRecords().empty());
        return;
    }
    const ToolbarRecord::Header& header = record.GetHeader();
    Check(header.entryCount >= 0 && header.imageRecordCount >= 0);
    Check(record.GetEntries().size() <= static_cast<std::size_t>(header.entryCount));
    Check(record.GetImageRecords().size() <= static_cast<std::size_t>(header.imageRecordCount));
    // Every kept part was read from inside the record.
    std::size_t used = ToolbarRecord::kHeaderSize;
    for (std::size_t i = 0; i < record.GetEntries().size(); ++i) {
        const ToolbarRecord::Entry& entry = record.GetEntries()[i];
        Check(entry.commandId == ToolbarRecord::kFirstCommandId + static_cast<int32_t>(i));
        used += ToolbarRecord::kEntryFixedSize + entry.text.GetLength() + entry.tip.GetLength() + 2;
    }
    used += record.GetImageRecords().size() * ToolbarRecord::kImageRecordSize;
    Check(used <= size);
    const bool allRead = record.GetEntries().size() == static_cast<std::size_t>(header.entryCount)
        && record.GetImageRecords().size() == static_cast<std::size_t>(header.imageRecordCount);
    Check(allRead == (status == Status::Ok || status == Status::TrailingBytes));
    Check(status != Status::Ok || used == size);
    Check(status != Status::TrailingBytes || used < size);
    Check(!record.GetImageRecords().empty() ? record.GetEntries().size() == static_cast<std::size_t>(header.entryCount)
                                            : true);
}

void ParseAndCheck(const std::vector<unsigned char>& bytes)
{
    std::unique_ptr<unsigned char[]> exact(new unsigned char[bytes.size() ? bytes.size() : 1]);
    std::copy(bytes.begin(), bytes.end(), exact.get());
    CheckRecord(ToolbarRecord::Parse(bytes.empty() ? nullptr : exact.get(), bytes.size()), bytes.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    if (data[0] & 1)
        ParseAndCheck(DamagedRecord(data + 1, size - 1));
    else
        ParseAndCheck(std::vector<unsigned char>(data + 1, data + size));
    return 0;
}
