// The toolbar record: the bytes generated at build time read back field by
// field, and damaged records read safely (each one copied to a buffer of its
// exact size, so a read past the end trips AddressSanitizer).
#include "ToolbarRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

const unsigned char kGeneratedRecord[] = {
#include "Form1_toolbar_bytes.inc"
};

using Bytes = std::vector<unsigned char>;
using Status = ToolbarRecord::Status;
using Kind = ToolbarRecord::Kind;

Bytes Generated() { return Bytes(std::begin(kGeneratedRecord), std::end(kGeneratedRecord)); }

ToolbarRecord ParseExactly(const Bytes& bytes)
{
    if (bytes.empty())
        return ToolbarRecord::Parse(nullptr, 0);
    // A heap block of exactly this size: nothing beyond it may be read.
    std::unique_ptr<unsigned char[]> copy(new unsigned char[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), copy.get());
    return ToolbarRecord::Parse(copy.get(), bytes.size());
}

void Put32(Bytes& bytes, std::size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(offset + i) = static_cast<unsigned char>(value >> (8 * i));
}

// Where the parts of this record start.
constexpr std::size_t kEntryCountAt = 20;
constexpr std::size_t kImageCountAt = 28;
constexpr std::size_t kEntryAt[] = {36, 79, 109, 142, 175, 208, 241, 274, 304, 353, 383};
constexpr std::size_t kImagesAt = 420;
constexpr std::size_t kRecordSize = 492;

struct ExpectedEntry {
    Kind kind;
    int32_t image;
    const char* tip;
};

const ExpectedEntry kEntries[] = {
    {Kind::Button, 10, "Einstellungen"},
    {Kind::Separator, 0, ""},
    {Kind::Button, 27, "---"},
    {Kind::Button, 28, "---"},
    {Kind::Button, 29, "---"},
    {Kind::Button, 30, "---"},
    {Kind::Button, 31, "---"},
    {Kind::Separator, 0, ""},
    {Kind::Button, 5, "Ausgabefeld l\xF6schen"},
    {Kind::Separator, 0, ""},
    {Kind::Button, 32, "Beenden"},
};

TEST(ToolbarRecordLayout, GeneratedRecordMatchesTheTable)
{
    ASSERT_EQ(sizeof kGeneratedRecord, kRecordSize);
    const ToolbarRecord record = ParseExactly(Generated());
    ASSERT_EQ(record.GetStatus(), Status::Ok) << ToolbarRecord::StatusText(record.GetStatus());

    const ToolbarRecord::Header& header = record.GetHeader();
    EXPECT_EQ(header.standardImages, 1);
    EXPECT_EQ(header.viewImages, 0xD1);
    EXPECT_EQ(header.largeImages, 0);
    EXPECT_EQ(kGeneratedRecord[3], 0); // reserved byte
    EXPECT_EQ(header.imageWidth, 16);
    EXPECT_EQ(header.imageHeight, 16);
    EXPECT_EQ(header.buttonWidth, 23);
    EXPECT_EQ(header.buttonHeight, 22);
    EXPECT_EQ(header.entryCount, 11);
    EXPECT_EQ(header.imageRecordCount, 6);
    for (std::size_t reserved : {24u, 32u})
        EXPECT_EQ(kGeneratedRecord[reserved] | kGeneratedRecord[reserved + 1] | kGeneratedRecord[reserved + 2]
                      | kGeneratedRecord[reserved + 3], 0) << "reserved field at " << reserved;

    ASSERT_EQ(record.GetEntries().size(), std::size(kEntries));
    for (std::size_t i = 0; i < std::size(kEntries); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        const ToolbarRecord::Entry& entry = record.GetEntries()[i];
        EXPECT_EQ(entry.commandId, static_cast<int32_t>(100 + i));
        EXPECT_EQ(entry.kind, kEntries[i].kind);
        EXPECT_EQ(entry.imageIndex, kEntries[i].image);
        EXPECT_EQ(entry.userValue, 0);
        EXPECT_TRUE(entry.enabled);
        EXPECT_FALSE(entry.checked);
        EXPECT_FALSE(entry.pressed);
        EXPECT_FALSE(entry.indeterminate);
        EXPECT_FALSE(entry.hidden);
        EXPECT_FALSE(entry.wrap);
        EXPECT_TRUE(entry.include);
        EXPECT_EQ(kGeneratedRecord[kEntryAt[i] + 19], 0); // reserved byte
        EXPECT_TRUE(entry.text.IsEmpty());
        EXPECT_EQ(entry.tip, WString(kEntries[i].tip));
    }

    const struct { int32_t id; bool icon; } images[] = {
        {105, true}, {106, true}, {107, true}, {108, true}, {109, true}, {100, false}};
    ASSERT_EQ(record.GetImageRecords().size(), std::size(images));
    for (std::size_t i = 0; i < std::size(images); ++i) {
        SCOPED_TRACE("image record " + std::to_string(i));
        EXPECT_EQ(record.GetImageRecords()[i].resourceId, images[i].id);
        EXPECT_EQ(record.GetImageRecords()[i].imageCount, 1);
        EXPECT_EQ(record.GetImageRecords()[i].isIcon, images[i].icon);
    }
}

// Cut anywhere: never a read past the end, never an entry or image record that
// was not whole, and what is kept is exactly what the whole record holds there.
TEST(ToolbarRecordDamage, TruncatedAtEveryLength)
{
    const ToolbarRecord whole = ParseExactly(Generated());
    for (std::size_t size = 0; size < kRecordSize; ++size) {
        SCOPED_TRACE("size " + std::to_string(size));
        const ToolbarRecord record = ParseExactly(Bytes(kGeneratedRecord, kGeneratedRecord + size));
        EXPECT_FALSE(record.IsComplete());
        const auto& entries = record.GetEntries();
        ASSERT_LE(entries.size(), whole.GetEntries().size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            EXPECT_LE(kEntryAt[i] + 30 + entries[i].tip.GetLength(), size);
            EXPECT_EQ(entries[i].tip, whole.GetEntries()[i].tip);
            EXPECT_EQ(entries[i].imageIndex, whole.GetEntries()[i].imageIndex);
        }
        EXPECT_LE(kImagesAt + 12 * record.GetImageRecords().size(), std::max(size, kImagesAt));
    }
}

struct DamageCase {
    const char* name;
    std::size_t cutAt;      // record size after the damage (0: keep all)
    std::size_t patchAt;    // 0: no patch
    uint32_t value;
    Status status;
    int32_t damagedIndex;
    std::size_t entries;
    std::size_t images;
};

class ToolbarRecordDamaged : public testing::TestWithParam<DamageCase> {};

TEST_P(ToolbarRecordDamaged, KeepsOnlyTheSoundPart)
{
    const DamageCase& c = GetParam();
    Bytes bytes = Generated();
    if (c.patchAt != 0)
        Put32(bytes, c.patchAt, c.value);
    if (c.cutAt != 0)
        bytes.resize(c.cutAt);
    const ToolbarRecord record = ParseExactly(bytes);
    EXPECT_EQ(record.GetStatus(), c.status) << ToolbarRecord::StatusText(record.GetStatus());
    EXPECT_EQ(record.GetDamagedIndex(), c.damagedIndex);
    EXPECT_EQ(record.GetEntries().size(), c.entries);
    EXPECT_EQ(record.GetImageRecords().size(), c.images);
    EXPECT_EQ(record.HasHeader(), c.status != Status::HeaderTruncated && c.status != Status::HeaderInvalid);
}

constexpr std::size_t kTipLengthOf0 = 36 + 24;

INSTANTIATE_TEST_SUITE_P(
    Cases, ToolbarRecordDamaged,
    testing::Values(
        DamageCase{"CutInHeader", 35, 0, 0, Status::HeaderTruncated, -1, 0, 0},
        DamageCase{"CutAfterHeader", 36, 0, 0, Status::EntryTruncated, 0, 0, 0},
        DamageCase{"CutInTipOfEntry8", 340, 0, 0, Status::EntryTruncated, 8, 8, 0},
        DamageCase{"CutBeforeTerminatorOfEntry8", 352, 0, 0, Status::EntryTruncated, 8, 8, 0},
        DamageCase{"CutInImageRecord3", kImagesAt + 3 * 12 + 5, 0, 0, Status::ImagesTruncated, 3, 11, 3},
        DamageCase{"TipLengthPastTheEnd", 0, kTipLengthOf0, 1000, Status::EntryTruncated, 0, 0, 0},
        DamageCase{"TipLengthMissesTheZeroByte", 0, kTipLengthOf0, 14, Status::EntryInvalid, 0, 0, 0},
        DamageCase{"NegativeTextLength", 0, kEntryAt[3] + 20, 0xFFFFFFFF, Status::EntryInvalid, 3, 3, 0},
        DamageCase{"HugeTextLength", 0, kEntryAt[2] + 20, 0x7FFFFFFF, Status::EntryTruncated, 2, 2, 0},
        DamageCase{"UnknownKind", 0, kEntryAt[5], 7, Status::EntryInvalid, 5, 5, 0},
        DamageCase{"OneEntryTooMany", 0, kEntryCountAt, 12, Status::EntryInvalid, 11, 11, 0},
        DamageCase{"EntryCountFarTooLarge", 0, kEntryCountAt, 0x7FFFFFFF, Status::HeaderInvalid, -1, 0, 0},
        DamageCase{"EntryCountLarge", 0, kEntryCountAt, 100000000, Status::EntryInvalid, 11, 11, 0},
        DamageCase{"NegativeEntryCount", 0, kEntryCountAt, 0x80000000, Status::HeaderInvalid, -1, 0, 0},
        DamageCase{"ImageCountTooLarge", 0, kImageCountAt, 7, Status::ImagesTruncated, 6, 11, 6},
        DamageCase{"ImageCountHuge", 0, kImageCountAt, 0x7FFFFFFF, Status::ImagesTruncated, 6, 11, 6},
        DamageCase{"NegativeImageCount", 0, kImageCountAt, 0xFFFFFFFF, Status::HeaderInvalid, -1, 0, 0},
        DamageCase{"NegativeImagesInResource", 0, kImagesAt + 2 * 12 + 4, 0xFFFFFFFF, Status::ImageInvalid, 2, 11, 2},
        DamageCase{"IconFlagNotABool", 0, kImagesAt + 4 * 12 + 8, 2, Status::ImageInvalid, 4, 11, 4},
        DamageCase{"ZeroImageWidth", 0, 4, 0, Status::HeaderInvalid, -1, 0, 0},
        DamageCase{"NegativeButtonHeight", 0, 16, 0xFFFFFFEA, Status::HeaderInvalid, -1, 0, 0},
        DamageCase{"FewerImagesAnnounced", 0, kImageCountAt, 5, Status::TrailingBytes, -1, 11, 5}),
    [](const testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

TEST(ToolbarRecordDamage, LengthsWhoseSumOverflows32Bits)
{
    Bytes bytes = Generated();
    Put32(bytes, kEntryAt[1] + 20, 0x7FFFFFFF);
    Put32(bytes, kEntryAt[1] + 24, 0x7FFFFFFF);
    const ToolbarRecord record = ParseExactly(bytes);
    EXPECT_EQ(record.GetStatus(), Status::EntryTruncated);
    EXPECT_EQ(record.GetEntries().size(), 1u);
}

TEST(ToolbarRecordDamage, NullDataIsAnEmptyRecord)
{
    const ToolbarRecord record = ToolbarRecord::Parse(nullptr, 492);
    EXPECT_EQ(record.GetStatus(), Status::HeaderTruncated);
    EXPECT_FALSE(record.HasHeader());
    EXPECT_TRUE(record.GetEntries().empty());
}

TEST(ToolbarRecordDamage, BytesAfterTheLastImageRecordAreReported)
{
    Bytes bytes = Generated();
    bytes.push_back(0);
    const ToolbarRecord record = ParseExactly(bytes);
    EXPECT_EQ(record.GetStatus(), Status::TrailingBytes);
    EXPECT_EQ(record.GetEntries().size(), 11u);
    EXPECT_EQ(record.GetImageRecords().size(), 6u);
}

} // namespace
